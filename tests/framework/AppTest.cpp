// The application object under Wine: paths, version strings and their defaults, the string
// table, message boxes and the icon of a conversion report, and the command line of a real
// process started in several ways.
#include "App.h"
#include "ShowResult.h"

#include "StringTexts.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Environment variables that turn this executable into a child checking its own App.
constexpr const char* childvar = "TESSEL_APP_CHILD";
constexpr const char* namevar = "TESSEL_EXPECT_NAME";

std::string modulepath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

std::string dirof(const std::string& path) {
    return path.substr(0, path.rfind('\\'));
}

std::string envvar(const char* name) {
    char value[1024];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<App>(GetModuleHandleA(nullptr), true);
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner);
        app.reset();
    }
    std::unique_ptr<App> app;
    HWND owner = nullptr;
};

} // namespace

TEST_F(AppTest, KnowsItsModuleAndPublishesItself) {
    EXPECT_EQ(appptr, app.get());
    EXPECT_EQ(app->hinst, GetModuleHandleA(nullptr));
    EXPECT_EQ(app->mainwnd, nullptr);
    EXPECT_EQ(std::string(app->moddir), dirof(modulepath()));
    EXPECT_STREQ(app->modname, "framework_app_test");
    EXPECT_TRUE(app->loops.empty());
    app.reset();
    EXPECT_EQ(appptr, nullptr);
}

TEST_F(AppTest, VersionStringsComeFromTheFirstTranslationValueByValue) {
    EXPECT_STREQ(app->company, ""); // present but empty: no default
    EXPECT_STREQ(app->internal, "TesselInternal");
    EXPECT_STREQ(app->fileversion, "9.8");
    EXPECT_EQ(std::string(app->product), acp("テスト製品表"));
    EXPECT_STREQ(app->legal, "All rights reserved."); // missing in the first translation
    EXPECT_STREQ(app->getappname(), app->product);
    char* product = app->product;
    app->product = nullptr;
    EXPECT_STREQ(app->getappname(), "framework_app_test");
    app->product = product;

    // getverstr itself: another translation, a missing value, a query that does not fit.
    const std::string path = modulepath();
    DWORD ignored = 0;
    std::string block(GetFileVersionInfoSizeA(path.c_str(), &ignored), '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, block.size(), block.data()));
    char* second = getverstr(block.data(), 0x0409, 0x04B0, "LegalCopyright");
    EXPECT_STREQ(second, "Second");
    std::free(second);
    EXPECT_EQ(getverstr(block.data(), 0x0411, 0x04B0, "LegalCopyright"), nullptr);
    EXPECT_EQ(getverstr(block.data(), 0x0411, 0x04B0, std::string(300, 'k').c_str()), nullptr);
}

TEST_F(AppTest, LoadstrGivesEveryTableEntryInTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 932u);
    for (const StringText& s : stringtexts) {
        char* text = app->loadstr(s.id);
        ASSERT_NE(text, nullptr) << s.id;
        EXPECT_EQ(std::string(text), acp(s.text)) << s.id;
        delete[] text;
    }
    // 40000 shares block 2501 with 40005 but is empty; block 626 (id 9999) does not exist.
    EXPECT_EQ(app->loadstr(40000), nullptr);
    EXPECT_EQ(app->loadstr(9999), nullptr);
}

TEST_F(AppTest, MessageBoxesTakeTheDefaultOwnerAndCaption) {
    // Before setmainwnd: ownerless, captioned with the product name.
    ModalSeen seen =
        watchmodal([&] { EXPECT_EQ(app->msgbox(nullptr, "one", nullptr, MB_OK), IDOK); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "one");
    EXPECT_EQ(seen.caption, std::string(app->product));
    EXPECT_EQ(seen.owner, nullptr);

    App::setmainwnd(owner);
    EXPECT_EQ(app->mainwnd, owner);
    seen = watchmodal([&] { app->msgbox(nullptr, "two", "own caption", MB_OK); });
    EXPECT_EQ(seen.owner, owner);
    EXPECT_EQ(seen.caption, "own caption");

    // A string-table text, and an id without text shows an empty box.
    seen = watchmodal([&] { app->msgboxid(nullptr, 40009, nullptr, MB_OK); });
    EXPECT_EQ(seen.text, acp(stringtext(40009)));
    seen = watchmodal([&] { app->msgboxid(nullptr, 40000, nullptr, MB_OK); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "");
}

// The report's text is composed by the engine; here the box: its icon by severity, owner and
// caption, and no box without a failure.
TEST_F(AppTest, ShowresultShowsTheReportWithTheIconOfItsSeverity) {
    const HICON stop = LoadIconA(nullptr, IDI_HAND);
    const HICON warning = LoadIconA(nullptr, IDI_EXCLAMATION);
    ASSERT_NE(stop, warning);
    struct Case {
        Result result;
        std::string text;
        HICON icon;
    };
    const Case cases[] = {
        {{0x0001000E, 0}, acp(stringtext(40012)) + "[1,14,0,0]", warning},
        {{0x01010001, 5}, acp(stringtext(40006)) + "[1,1,1,5]", stop},
        {{0, 0}, "", nullptr}, // no failure: no box
    };
    for (const Case& c : cases) {
        const ModalSeen seen = watchmodal([&] { showresult(c.result, owner); });
        ASSERT_EQ(seen.found, c.result.code != 0) << std::hex << c.result.code;
        if (seen.found) {
            EXPECT_EQ(seen.text, c.text) << std::hex << c.result.code;
            EXPECT_EQ(seen.caption, std::string(app->product));
            EXPECT_EQ(seen.owner, owner);
            EXPECT_EQ(seen.icon, c.icon) << std::hex << c.result.code;
        }
    }
}

namespace {

// A copy of this executable as "<dir>\<name>", where dir is this executable's directory or,
// for a path of length bytes, a new directory of 'd's below it.
struct Copy {
    explicit Copy(const char* name, std::size_t length = 0) : dir(dirof(modulepath())) {
        if (length != 0) {
            dir += "\\" + std::string(length - dir.size() - 2 - std::strlen(name), 'd');
            CreateDirectoryA(dir.c_str(), nullptr);
        }
        path = dir + "\\" + name;
        EXPECT_TRUE(length == 0 || path.size() == length);
        EXPECT_TRUE(CopyFileA(modulepath().c_str(), path.c_str(), FALSE)) << GetLastError();
        deep = length != 0;
    }
    ~Copy() {
        DeleteFileA(path.c_str());
        if (deep) {
            RemoveDirectoryA(dir.c_str());
        }
    }
    // Runs the copy, named by program (a path, or a name relative to dir), as a child with the
    // given check; answers its exit code (0 when its checks passed).
    DWORD run(const std::string& program, const char* check, const char* expectedname,
              const char* args = "") const {
        char saved[MAX_PATH];
        GetCurrentDirectoryA(sizeof saved, saved);
        SetCurrentDirectoryA(dir.c_str());
        SetEnvironmentVariableA(childvar, check);
        SetEnvironmentVariableA(namevar, expectedname);
        std::string line = "\"" + program + "\" --gtest_filter=AppChild.* " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        const BOOL started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                                            0, nullptr, nullptr, &si, &pi);
        SetEnvironmentVariableA(childvar, nullptr);
        SetCurrentDirectoryA(saved);
        if (!started) {
            ADD_FAILURE() << "CreateProcessA " << program << " failed: " << GetLastError();
            return 99;
        }
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = 99;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return code;
    }
    std::string dir;
    std::string path;
    bool deep;
};

} // namespace

TEST_F(AppTest, StartedAsACopyItTakesTheStoredNameOrTheDefaults) {
    const char* options = "/deluser -DelInfo=1";
    {
        // Another extension: no version block is found. Started through an upper-case path,
        // the name comes back in its stored letter case.
        Copy copy("Tessel Copy.dat");
        std::string upper = copy.path;
        CharUpperA(&upper[upper.rfind('\\') + 1]);
        EXPECT_EQ(copy.run(upper, "defaults", "Tessel Copy", options), 0u);
    }
    {
        // Started by its short name: the long name.
        Copy copy("TesselLongNameCopy.exe");
        char shortpath[MAX_PATH];
        ASSERT_GT(GetShortPathNameA(copy.path.c_str(), shortpath, sizeof shortpath), 0u);
        ASSERT_NE(std::string(shortpath), copy.path); // a distinct short form exists
        EXPECT_EQ(copy.run(shortpath, "versioned", "TesselLongNameCopy"), 0u);
    }
    // Deep copies are started by their names relative to their directories (a full application
    // path this long is refused by the process creation).
    {
        // The module path (258 bytes) fits and is found, but the rebuilt "<moddir>\<name>.exe"
        // needs 261 bytes of 260: the version block is not read rather than the path
        // overrunning its buffer.
        Copy copy("TesselDeep.e", 258);
        EXPECT_EQ(copy.run("TesselDeep.e", "defaults", "TesselDeep", options), 0u);
    }
    {
        // 272 bytes: the module query truncates it, so neither directory nor name is taken.
        Copy copy("TesselDeep.exe", 272);
        EXPECT_EQ(copy.run("TesselDeep.exe", "nomodule", "", options), 0u);
    }
}

// Runs only inside a child started by the test above.
TEST(AppChild, ChecksItsOwnApp) {
    const std::string check = envvar(childvar);
    if (check.empty()) {
        GTEST_SKIP() << "not started as a child";
    }
    App app(GetModuleHandleA(nullptr), false);
    const std::string name = envvar(namevar);
    EXPECT_EQ(std::string(app.modname), name);
    if (check == "nomodule") {
        EXPECT_STREQ(app.moddir, "");
        EXPECT_STREQ(app.company, "Norvex");
        EXPECT_STREQ(app.internal, "");
        EXPECT_STREQ(app.getappname(), "");
        return;
    }
    // The directory as the module query gives it (for a short-path start possibly short).
    EXPECT_EQ(std::string(app.moddir), dirof(modulepath()));
    if (check == "defaults") {
        EXPECT_STREQ(app.company, "Norvex");
        EXPECT_EQ(std::string(app.internal), name);
        EXPECT_STREQ(app.fileversion, "CurrentVersion");
        EXPECT_EQ(std::string(app.product), name);
        EXPECT_STREQ(app.legal, "All rights reserved.");
        // The process command line, as GetCommandLineA gives it.
        EXPECT_EQ(app.cmdline.checkopt("deluser"), optalone);
        EXPECT_EQ(app.cmdline.checkopt("delinfo"), optwithtext);
    } else {
        EXPECT_STREQ(app.internal, "TesselInternal");
        EXPECT_EQ(app.cmdline.checkopt("deluser"), optabsent);
    }
}
