// Registry helpers against Wine's real registry (scratch keys under HKCU and HKLM), and the
// restore of a saved placement on a real window of the 1280 x 1024 virtual screen.
#include "Registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* company = "TesselTestCo";
constexpr const char* companypath = "Software\\TesselTestCo";
constexpr const char* rootpath = "TesselTestRoot"; // directly under the root, no "Software"
constexpr const char* apppath = "Software\\TesselTestCo\\Conv\\1.0";

void removetree(HKEY root, const char* path) {
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
}

void makekey(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS)
        << path;
    RegCloseKey(key);
}

void setvalue(HKEY root, const std::string& path, const char* name, DWORD type, const void* data,
              DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void setdword(HKEY root, const std::string& path, const char* name, DWORD value) {
    setvalue(root, path, name, REG_DWORD, &value, sizeof value);
}

bool exists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            removetree(root, companypath);
            removetree(root, rootpath);
        }
    }
};

} // namespace

TEST_F(RegistryTest, OpensTheAppKeyByItsComponents) {
    makekey(HKEY_CURRENT_USER, apppath);
    HKEY key = openappkey(HKEY_CURRENT_USER, company, "Conv", "1.0");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(closeregkey(key), ERROR_SUCCESS);
    key = openappkey(HKEY_CURRENT_USER, company, "", "Conv", "1.0"); // empty component skipped
    ASSERT_NE(key, nullptr);
    closeregkey(key);
    EXPECT_EQ(openappkey(HKEY_CURRENT_USER, company, "Conv", "2.0"), nullptr);
    EXPECT_EQ(openappkey(HKEY_LOCAL_MACHINE, company, "Conv", "1.0"), nullptr);
    EXPECT_EQ(openappkey(HKEY_CURRENT_USER, std::string(regpathsize, 'c').c_str()), nullptr);
    EXPECT_EQ(openregkey(HKEY_CURRENT_USER, "Software\\TesselTestCo\\Missing"), nullptr);
}

TEST_F(RegistryTest, DeletesATreeBottomUp) {
    const std::string top = std::string(apppath);
    for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\d", "\\a\\\x95\x5C\x8E\xA6"}) {
        makekey(HKEY_CURRENT_USER, top + sub);
    }
    setdword(HKEY_CURRENT_USER, top + "\\a\\b\\c", "v", 1);
    setvalue(HKEY_CURRENT_USER, top + "\\a", "s", REG_SZ, "text", 5);
    setdword(HKEY_CURRENT_USER, top, "MainWindowPos.left", 5);
    EXPECT_TRUE(delregtree(HKEY_CURRENT_USER, apppath));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, apppath));
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, "Software\\TesselTestCo\\Conv"));
    // A missing key is a failure.
    EXPECT_FALSE(delregtree(HKEY_CURRENT_USER, apppath));
}

TEST_F(RegistryTest, DeletesEmptyParentsUpToTheFirstThatHoldsAnything) {
    // Nothing else under the company: everything up to "Software" goes; "Software" stays, so
    // the answer is false.
    makekey(HKEY_CURRENT_USER, apppath);
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, company, "Conv", "1.0"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, companypath));
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, "Software"));

    // Another version's key keeps its parent.
    makekey(HKEY_CURRENT_USER, apppath);
    makekey(HKEY_CURRENT_USER, "Software\\TesselTestCo\\Conv\\2.0");
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, company, "Conv", "1.0"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, apppath));
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, "Software\\TesselTestCo\\Conv\\2.0"));

    // A value keeps its key, and the walk stops there.
    removetree(HKEY_CURRENT_USER, companypath);
    makekey(HKEY_CURRENT_USER, apppath);
    setdword(HKEY_CURRENT_USER, companypath, "keep", 1);
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, company, "Conv", "1.0"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, "Software\\TesselTestCo\\Conv"));
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, companypath));

    // Every component deleted: true.
    makekey(HKEY_CURRENT_USER, std::string(rootpath) + "\\A\\B");
    EXPECT_TRUE(delregkey(HKEY_CURRENT_USER, "TesselTestRoot\\A\\B"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, rootpath));

    // A missing key deletes nothing.
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, company, "Conv", "9.9"));
    EXPECT_FALSE(delappkey(HKEY_CURRENT_USER, std::string(regpathsize, 'c').c_str()));
}

TEST_F(RegistryTest, DeletesThePerMachineKey) {
    makekey(HKEY_LOCAL_MACHINE, std::string(apppath) + "\\sub");
    makekey(HKEY_CURRENT_USER, apppath);
    EXPECT_FALSE(delappkey(HKEY_LOCAL_MACHINE, company, "Conv", "1.0"));
    EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, companypath));
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, apppath));
}

TEST_F(RegistryTest, ReadsOnlyDwordValues) {
    const DWORD eight[2] = {1, 2};
    setdword(HKEY_CURRENT_USER, apppath, "dword", 0xFFFFFF9C);
    setdword(HKEY_CURRENT_USER, apppath, "zero", 0);
    setvalue(HKEY_CURRENT_USER, apppath, "text", REG_SZ, "12", 3);
    setvalue(HKEY_CURRENT_USER, apppath, "binary", REG_BINARY, eight, 4);
    setvalue(HKEY_CURRENT_USER, apppath, "long", REG_DWORD, eight, sizeof eight);
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
    bool flag = false;
    EXPECT_TRUE(reg.readbool("dword", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(reg.readbool("zero", flag));
    EXPECT_FALSE(flag);
    flag = true;
    EXPECT_FALSE(reg.readbool("text", flag));
    EXPECT_TRUE(flag);
    closeregkey(key);
}

TEST_F(RegistryTest, ReadwndposReportsWhetherAllEdgesWereRead) {
    setdword(HKEY_CURRENT_USER, apppath, posleftname, static_cast<DWORD>(-100));
    setdword(HKEY_CURRENT_USER, apppath, postopname, 20);
    setvalue(HKEY_CURRENT_USER, apppath, posrightname, REG_SZ, "300", 4);
    HKEY key = openregkey(HKEY_CURRENT_USER, apppath);
    ASSERT_NE(key, nullptr);
    RECT rect{1, 2, 3, 4};
    bool maximized = true;
    bool all = true;
    EXPECT_TRUE(readwndpos(RegKey{key}, rect, maximized, &all));
    EXPECT_FALSE(all);
    EXPECT_EQ(rect.left, -100);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 3); // untouched
    EXPECT_EQ(rect.bottom, 4);
    EXPECT_TRUE(maximized); // missing flag: untouched
    closeregkey(key);
    EXPECT_FALSE(readwndpos(RegKey{nullptr}, rect, maximized, &all));
}

namespace {

constexpr RECT initial{100, 100, 400, 300};

class PlacementTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
        ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
        // A popup: no minimum tracking size clamps the small rectangles.
        wnd = CreateWindowExA(0, "STATIC", "placed", WS_POPUP, initial.left, initial.top,
                              initial.right - initial.left, initial.bottom - initial.top, nullptr,
                              nullptr, nullptr, nullptr);
        ASSERT_NE(wnd, nullptr);
    }
    void TearDown() override {
        DestroyWindow(wnd);
        RegistryTest::TearDown();
    }
    void save(const RECT& r, int maximized) {
        setdword(HKEY_CURRENT_USER, apppath, posleftname, static_cast<DWORD>(r.left));
        setdword(HKEY_CURRENT_USER, apppath, postopname, static_cast<DWORD>(r.top));
        setdword(HKEY_CURRENT_USER, apppath, posrightname, static_cast<DWORD>(r.right));
        setdword(HKEY_CURRENT_USER, apppath, posbottomname, static_cast<DWORD>(r.bottom));
        if (maximized >= 0) {
            setdword(HKEY_CURRENT_USER, apppath, posmaximizedname, static_cast<DWORD>(maximized));
        }
    }
    bool restore(int* showcmd) {
        HKEY key = openappkey(HKEY_CURRENT_USER, company, "Conv", "1.0");
        EXPECT_NE(key, nullptr);
        const bool result = restorewndpos(wnd, showcmd, key);
        closeregkey(key);
        return result;
    }
    RECT normal() {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        GetWindowPlacement(wnd, &wp);
        return wp.rcNormalPosition;
    }
    HWND wnd = nullptr;
};

bool same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}

} // namespace

TEST_F(PlacementTest, AppliesOnlyVisibleRectangles) {
    struct Case {
        RECT saved;
        bool applied;
        const char* what;
    };
    const Case cases[] = {
        {{10, 10, 60, 50}, true, "wholly on screen, smaller than 80 x 80"},
        {{1199, 943, 1500, 1200}, true, "81 x 81 visible"},
        {{1200, 943, 1500, 1200}, false, "80 wide visible"},
        {{1199, 944, 1500, 1200}, false, "80 high visible"},
        {{-900, 100, -100, 500}, false, "on a display to the left"},
        {{300, 300, 300, 500}, false, "right equal to left"},
    };
    for (const Case& c : cases) {
        SetWindowPos(wnd, nullptr, initial.left, initial.top, initial.right - initial.left,
                     initial.bottom - initial.top, SWP_NOZORDER | SWP_NOACTIVATE);
        save(c.saved, 0);
        int showcmd = SW_SHOWNORMAL;
        EXPECT_TRUE(restore(&showcmd)) << c.what;
        EXPECT_EQ(showcmd, SW_SHOWNORMAL) << c.what;
        EXPECT_TRUE(same(normal(), c.applied ? c.saved : initial)) << c.what;
        RECT actual;
        GetWindowRect(wnd, &actual);
        EXPECT_TRUE(same(actual, c.applied ? c.saved : initial)) << c.what;
    }
}

TEST_F(PlacementTest, IgnoresARectangleWithAMissingOrMistypedEdge) {
    save({10, 10, 200, 200}, -1);
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, apppath, 0, KEY_SET_VALUE, &key);
    RegDeleteValueA(key, postopname);
    RegCloseKey(key);
    int showcmd = SW_SHOW;
    EXPECT_TRUE(restore(&showcmd));
    EXPECT_TRUE(same(normal(), initial));
    EXPECT_EQ(showcmd, SW_SHOW);
    setvalue(HKEY_CURRENT_USER, apppath, postopname, REG_BINARY, "\x0a\0\0\0", 4);
    EXPECT_TRUE(restore(&showcmd));
    EXPECT_TRUE(same(normal(), initial));
}

TEST_F(PlacementTest, MaximizedChangesOnlyPlainShowCommands) {
    struct Case {
        int showcmd;
        int result;
    };
    const Case cases[] = {
        {SW_SHOWNORMAL, SW_SHOWMAXIMIZED},    {SW_SHOW, SW_SHOWMAXIMIZED},
        {SW_SHOWDEFAULT, SW_SHOWMAXIMIZED},   {SW_SHOWMINNOACTIVE, SW_SHOWMINNOACTIVE},
        {SW_SHOWMINIMIZED, SW_SHOWMINIMIZED}, {SW_HIDE, SW_HIDE}};
    // Also when the rectangle itself is refused.
    for (const RECT& saved : {RECT{20, 20, 300, 200}, RECT{-900, 0, -100, 500}}) {
        save(saved, 1);
        for (const Case& c : cases) {
            int showcmd = c.showcmd;
            EXPECT_TRUE(restore(&showcmd));
            EXPECT_EQ(showcmd, c.result) << c.showcmd;
        }
    }
    setdword(HKEY_CURRENT_USER, apppath, posmaximizedname, 0);
    int showcmd = SW_SHOWNORMAL;
    EXPECT_TRUE(restore(&showcmd));
    EXPECT_EQ(showcmd, SW_SHOWNORMAL);
}

TEST_F(PlacementTest, FailsWithoutKeyOrWindow) {
    int showcmd = SW_SHOWNORMAL;
    EXPECT_FALSE(restorewndpos(wnd, &showcmd, nullptr));
    save({10, 10, 60, 50}, 1);
    HKEY key = openappkey(HKEY_CURRENT_USER, company, "Conv", "1.0");
    ASSERT_NE(key, nullptr);
    EXPECT_FALSE(restorewndpos(reinterpret_cast<HWND>(0x12345678), &showcmd, key));
    EXPECT_EQ(showcmd, SW_SHOWNORMAL);
    closeregkey(key);
}
