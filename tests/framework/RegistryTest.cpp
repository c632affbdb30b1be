// Registry helpers against Wine's real registry (scratch keys under HKCU and HKLM): opening by
// components, deletion of a tree and its empty parents, DWORD reads, and a saved placement
// applied to a real window.
#include "Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* company = "TesselTestCo";
constexpr const char* companypath = "Software\\TesselTestCo";
constexpr const char* convpath = "Software\\TesselTestCo\\Conv";
constexpr const char* apppath = "Software\\TesselTestCo\\Conv\\1.0";
constexpr const char* rootpath = "TesselTestRoot"; // directly under the root, no "Software"

void makekey(HKEY root, const std::string& path, const char* value = nullptr,
             DWORD type = REG_DWORD, const void* data = nullptr, DWORD size = 0) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS)
        << path;
    if (value != nullptr) {
        EXPECT_EQ(RegSetValueExA(key, value, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
}

void setdword(const char* name, DWORD value) {
    makekey(HKEY_CURRENT_USER, apppath, name, REG_DWORD, &value, sizeof value);
}

bool exists(HKEY root, const std::string& path) {
    HKEY key = openregkey(root, path.c_str());
    return key != nullptr && closeregkey(key) == ERROR_SUCCESS;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (const char* path : {companypath, rootpath}) {
                RegDeleteTreeA(root, path);
                RegDeleteKeyA(root, path);
            }
        }
    }
};

} // namespace

TEST_F(RegistryTest, OpensTheAppKeyByItsComponents) {
    makekey(HKEY_CURRENT_USER, apppath);
    HKEY key = openappkey(HKEY_CURRENT_USER, company, "", "Conv", "1.0"); // empty one skipped
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(closeregkey(key), ERROR_SUCCESS);
    EXPECT_EQ(openappkey(HKEY_CURRENT_USER, company, "Conv", "2.0"), nullptr);
    EXPECT_EQ(openappkey(HKEY_LOCAL_MACHINE, company, "Conv", "1.0"), nullptr);
    EXPECT_EQ(openappkey(HKEY_CURRENT_USER, std::string(regpathsize, 'c').c_str()), nullptr);
}

TEST_F(RegistryTest, DeletesATreeBottomUp) {
    const std::string top = apppath;
    // Nested levels, several keys on one level, and a Japanese name whose second byte is "\".
    for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\d", "\\a\\\x95\x5C\x8E\xA6"}) {
        makekey(HKEY_CURRENT_USER, top + sub);
    }
    makekey(HKEY_CURRENT_USER, top + "\\a", "s", REG_SZ, "text", 5);
    EXPECT_TRUE(delregtree(HKEY_CURRENT_USER, apppath));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, apppath));
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, convpath));
    EXPECT_FALSE(delregtree(HKEY_CURRENT_USER, apppath)); // a missing key is a failure
}

TEST_F(RegistryTest, DeletesEmptyParentsUpToTheFirstThatHoldsAnything) {
    struct Case {
        const char* what;
        HKEY root;
        const char* other; // a key or (with a value) key kept beside the deleted one
        bool othervalue;
        const char* gone; // the highest key deleted
        const char* kept; // the parent where the walk stopped
    };
    const Case cases[] = {
        // "Software" stays, so not every component is deleted: false.
        {"nothing else", HKEY_CURRENT_USER, nullptr, false, companypath, "Software"},
        {"another version", HKEY_CURRENT_USER, "Software\\TesselTestCo\\Conv\\2.0", false, apppath,
         "Software\\TesselTestCo\\Conv\\2.0"},
        {"a value of the company key", HKEY_CURRENT_USER, companypath, true, convpath, companypath},
        {"the per-machine key", HKEY_LOCAL_MACHINE, nullptr, false, companypath, "Software"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegistryTest::clean();
        makekey(c.root, std::string(apppath) + "\\sub");
        if (c.other != nullptr) {
            const DWORD one = 1;
            makekey(c.root, c.other, c.othervalue ? "keep" : nullptr, REG_DWORD, &one, sizeof one);
        }
        // The same key of the other root is left alone.
        const HKEY otherroot = c.root == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        makekey(otherroot, apppath);
        EXPECT_FALSE(delappkey(c.root, company, "Conv", "1.0"));
        EXPECT_FALSE(exists(c.root, c.gone));
        EXPECT_TRUE(exists(c.root, c.kept));
        EXPECT_TRUE(exists(otherroot, apppath));
    }
    // Every component deleted: true.
    makekey(HKEY_CURRENT_USER, std::string(rootpath) + "\\A\\B");
    EXPECT_TRUE(delregkey(HKEY_CURRENT_USER, "TesselTestRoot\\A\\B"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, rootpath));
    // A missing key, or one whose path does not fit, deletes nothing.
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, company, "Conv", "9.9"));
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, std::string(regpathsize, 'c').c_str()));
}

TEST_F(RegistryTest, ReadsOnlyDwordValues) {
    const DWORD eight[2] = {1, 2};
    setdword("dword", 0xFFFFFF9C);
    makekey(HKEY_CURRENT_USER, apppath, "text", REG_SZ, "12", 3);
    makekey(HKEY_CURRENT_USER, apppath, "binary", REG_BINARY, eight, 4);
    makekey(HKEY_CURRENT_USER, apppath, "long", REG_DWORD, eight, sizeof eight);
    HKEY key = openregkey(HKEY_CURRENT_USER, apppath);
    ASSERT_NE(key, nullptr);
    const RegKey reg{key};
    DWORD value = 77;
    EXPECT_TRUE(reg.readdword("dword", value));
    EXPECT_EQ(value, 0xFFFFFF9Cu);
    for (const char* name : {"text", "binary", "long", "missing"}) {
        value = 77;
        EXPECT_FALSE(reg.readdword(name, value)) << name;
        EXPECT_EQ(value, 77u) << name;
    }
    closeregkey(key);
}

// The five values on a real window of the 1280 x 1024 screen: a rectangle is applied only
// with all four edges present as DWORDs; the maximized flag changes the show command.
TEST_F(RegistryTest, RestoresASavedPlacement) {
    HWND wnd = CreateWindowExA(0, "STATIC", "placed", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    const RECT initial{100, 100, 400, 300};
    struct Case {
        const char* what;
        LONG left; // the saved edges: left, 20, 300, 200
        const char* dropped;
        DWORD maximized;
        bool applied;
        int showcmd;
    };
    const Case cases[] = {
        {"all edges", -100, nullptr, 1, true, SW_SHOWMAXIMIZED},
        {"top missing", 10, postopname, 0, false, SW_SHOW},
        {"top binary", 10, "binary", 1, false, SW_SHOWMAXIMIZED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegistryTest::clean();
        setdword(posleftname, static_cast<DWORD>(c.left));
        setdword(posrightname, 300);
        setdword(posbottomname, 200);
        setdword(posmaximizedname, c.maximized);
        if (c.dropped == nullptr) {
            setdword(postopname, 20);
        } else if (std::string(c.dropped) == "binary") {
            makekey(HKEY_CURRENT_USER, apppath, postopname, REG_BINARY, "\x14\0\0\0", 4);
        }
        SetWindowPos(wnd, nullptr, initial.left, initial.top, initial.right - initial.left,
                     initial.bottom - initial.top, SWP_NOZORDER | SWP_NOACTIVATE);
        HKEY key = openappkey(HKEY_CURRENT_USER, company, "Conv", "1.0");
        int showcmd = SW_SHOW;
        EXPECT_TRUE(restorewndpos(wnd, &showcmd, key));
        EXPECT_FALSE(restorewndpos(reinterpret_cast<HWND>(0x12345678), nullptr, key));
        closeregkey(key);
        EXPECT_EQ(showcmd, c.showcmd);
        RECT actual;
        GetWindowRect(wnd, &actual);
        const RECT expected = c.applied ? RECT{c.left, 20, 300, 200} : initial;
        EXPECT_TRUE(EqualRect(&actual, &expected))
            << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom;
    }
    int showcmd = SW_SHOW;
    EXPECT_FALSE(restorewndpos(wnd, &showcmd, nullptr));
    DestroyWindow(wnd);
}
