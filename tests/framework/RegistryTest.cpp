// Registry helpers against Wine's real registry (scratch keys under HKCU and HKLM), and the
// restore of a saved placement on a real window of the 1280 x 1024 virtual screen.
#include "Registry.h"

#include "SavedPlacements.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* company = "TesselTestCo";
constexpr const char* companypath = "Software\\TesselTestCo";
constexpr const char* convpath = "Software\\TesselTestCo\\Conv";
constexpr const char* apppath = "Software\\TesselTestCo\\Conv\\1.0";
constexpr const char* rootpath = "TesselTestRoot"; // directly under the root, no "Software"

void removetree(HKEY root, const char* path) {
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
}

void makekey(HKEY root, const std::string& path, const char* value = nullptr, DWORD type = 0,
             const void* data = nullptr, DWORD size = 0) {
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
    const std::string top = apppath;
    // Nested levels, several keys on one level, and a Japanese name whose second byte is "\".
    for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\d", "\\a\\\x95\x5C\x8E\xA6"}) {
        makekey(HKEY_CURRENT_USER, top + sub);
    }
    const DWORD one = 1;
    makekey(HKEY_CURRENT_USER, top + "\\a\\b\\c", "v", REG_DWORD, &one, sizeof one);
    makekey(HKEY_CURRENT_USER, top + "\\a", "s", REG_SZ, "text", 5);
    setdword(posleftname, 5);
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

TEST_F(RegistryTest, ReadsOnlyDwordValuesAndTheEdgesThereAre) {
    const DWORD eight[2] = {1, 2};
    setdword("dword", 0xFFFFFF9C);
    setdword("zero", 0);
    makekey(HKEY_CURRENT_USER, apppath, "text", REG_SZ, "12", 3);
    makekey(HKEY_CURRENT_USER, apppath, "binary", REG_BINARY, eight, 4);
    makekey(HKEY_CURRENT_USER, apppath, "long", REG_DWORD, eight, sizeof eight);
    setdword(posleftname, static_cast<DWORD>(-100));
    setdword(postopname, 20);
    makekey(HKEY_CURRENT_USER, apppath, posrightname, REG_SZ, "300", 4);
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
    EXPECT_TRUE(reg.readbool("dword", flag) && flag);
    EXPECT_TRUE(reg.readbool("zero", flag) && !flag);
    flag = true;
    EXPECT_FALSE(reg.readbool("text", flag));
    EXPECT_TRUE(flag);

    // Missing and mistyped edges, and the missing flag, leave their targets as they were.
    RECT rect{1, 2, 3, 4};
    bool maximized = true;
    bool all = true;
    EXPECT_TRUE(readwndpos(reg, rect, maximized, &all));
    EXPECT_FALSE(all);
    EXPECT_EQ(std::vector<LONG>({rect.left, rect.top, rect.right, rect.bottom}),
              std::vector<LONG>({-100, 20, 3, 4}));
    EXPECT_TRUE(maximized);
    closeregkey(key);
    EXPECT_FALSE(readwndpos(RegKey{nullptr}, rect, maximized, &all));
}

namespace {

constexpr RECT initial{100, 100, 400, 300};

class PlacementTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), testscreenwidth);
        ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), testscreenheight);
        // A popup: no minimum tracking size clamps the small rectangles.
        wnd = CreateWindowExA(0, "STATIC", "placed", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
        ASSERT_NE(wnd, nullptr);
    }
    void TearDown() override {
        DestroyWindow(wnd);
        RegistryTest::TearDown();
    }
    // Saves the rectangle (and the flag, unless negative) and puts the window at initial.
    void save(const EdgeRect& r, int maximized) {
        setdword(posleftname, static_cast<DWORD>(r.left));
        setdword(postopname, static_cast<DWORD>(r.top));
        setdword(posrightname, static_cast<DWORD>(r.right));
        setdword(posbottomname, static_cast<DWORD>(r.bottom));
        if (maximized >= 0) {
            setdword(posmaximizedname, static_cast<DWORD>(maximized));
        }
        SetWindowPos(wnd, nullptr, initial.left, initial.top, initial.right - initial.left,
                     initial.bottom - initial.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Restores and answers the show command; checks that the window is at rect.
    int restore(int showcmd, const RECT& rect, const char* what) {
        HKEY key = openappkey(HKEY_CURRENT_USER, company, "Conv", "1.0");
        EXPECT_TRUE(restorewndpos(wnd, &showcmd, key)) << what;
        closeregkey(key);
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        GetWindowPlacement(wnd, &wp);
        RECT actual;
        GetWindowRect(wnd, &actual);
        EXPECT_TRUE(EqualRect(&wp.rcNormalPosition, &rect)) << what;
        EXPECT_TRUE(EqualRect(&actual, &rect)) << what;
        return showcmd;
    }
    HWND wnd = nullptr;
};

RECT asrect(const EdgeRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

} // namespace

TEST_F(PlacementTest, AppliesOnlyVisibleRectangles) {
    for (const SavedRect& c : savedrects) {
        save(c.saved, 0);
        EXPECT_EQ(restore(SW_SHOWNORMAL, c.used ? asrect(c.saved) : initial, c.what),
                  SW_SHOWNORMAL);
    }
}

TEST_F(PlacementTest, IgnoresARectangleWithAMissingOrMistypedEdge) {
    save({10, 10, 200, 200}, -1);
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, apppath, 0, KEY_SET_VALUE, &key);
    RegDeleteValueA(key, postopname);
    RegCloseKey(key);
    EXPECT_EQ(restore(SW_SHOW, initial, "top missing"), SW_SHOW);
    makekey(HKEY_CURRENT_USER, apppath, postopname, REG_BINARY, "\x0a\0\0\0", 4);
    EXPECT_EQ(restore(SW_SHOW, initial, "top binary"), SW_SHOW);
}

TEST_F(PlacementTest, MaximizedChangesOnlyPlainShowCommands) {
    // Also when the rectangle itself is refused.
    for (const EdgeRect& saved : {EdgeRect{20, 20, 300, 200}, EdgeRect{-900, 0, -100, 500}}) {
        for (int maximized : {1, 0}) {
            for (const MaximizedShow& c : maximizedshows) {
                save(saved, maximized);
                const RECT placed = saved.left < 0 ? initial : asrect(saved);
                EXPECT_EQ(restore(c.showcmd, placed, "maximized"),
                          maximized != 0 ? c.result : c.showcmd)
                    << c.showcmd << " maximized " << maximized;
            }
        }
    }
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
