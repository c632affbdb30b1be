// The application object under Wine: paths, version strings and their defaults, the string
// table, message boxes, help, and the command line of a real process.
#include "App.h"

#include "StringTexts.h"
#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Environment variable that turns this executable into a child checking its own App.
constexpr const char* childvar = "TESSEL_APP_CHILD";

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

// Runs path (a copy of this executable) as a child with the given check and arguments, and
// returns its exit code (0 when its checks passed).
DWORD runchild(const std::string& path, const std::string& check, const std::string& args,
               const std::string& expectedname) {
    SetEnvironmentVariableA(childvar, check.c_str());
    SetEnvironmentVariableA("TESSEL_EXPECT_NAME", expectedname.c_str());
    std::string cmd = "\"" + path + "\" --gtest_filter=AppChild.* " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(childvar, nullptr);
    if (!started) {
        ADD_FAILURE() << "CreateProcessA " << path << " failed: " << GetLastError();
        return 99;
    }
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

std::string copyself(const std::string& name) {
    const std::string path = dirof(modulepath()) + "\\" + name;
    EXPECT_TRUE(CopyFileA(modulepath().c_str(), path.c_str(), FALSE)) << GetLastError();
    return path;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override { app = std::make_unique<App>(GetModuleHandleA(nullptr), true); }
    void TearDown() override { app.reset(); }
    std::unique_ptr<App> app;
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
}

TEST_F(AppTest, GetverstrAnswersNullForMissingValuesAndQueriesThatDoNotFit) {
    const std::string path = modulepath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    char* second = getverstr(block.data(), 0x0409, 0x04B0, "LegalCopyright");
    ASSERT_NE(second, nullptr);
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

    HWND main = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100,
                                nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
    App::setmainwnd(main);
    EXPECT_EQ(app->mainwnd, main);
    seen = watchmodal([&] { app->msgbox(nullptr, "two", "own caption", MB_OK); });
    EXPECT_EQ(seen.owner, main);
    EXPECT_EQ(seen.caption, "own caption");

    // A string-table text, and an id without text shows an empty box.
    seen = watchmodal([&] { app->msgboxid(nullptr, 40009, nullptr, MB_OK); });
    EXPECT_EQ(seen.text, acp(stringtext(40009)));
    seen = watchmodal([&] { app->msgboxid(nullptr, 40000, nullptr, MB_OK); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "");
    DestroyWindow(main);
}

TEST_F(AppTest, WinhelpRefusesAHelpPathThatDoesNotFit) {
    // Telling a viewer that is not running to quit succeeds.
    EXPECT_TRUE(app->winhelp(nullptr, HELP_QUIT, 0, nullptr));
    EXPECT_FALSE(app->winhelp(nullptr, HELP_QUIT, 0, std::string(helppathsize, 'w').c_str()));
}

TEST_F(AppTest, CopyWithAnotherExtensionFindsNoVersionBlock) {
    // Started through an upper-case path: the name comes back in its stored letter case.
    const std::string copy = copyself("Tessel Copy.dat");
    std::string upper = copy;
    const std::size_t at = upper.rfind('\\') + 1;
    for (std::size_t i = at; i < upper.size(); ++i) {
        upper[i] = static_cast<char>(toupper(static_cast<unsigned char>(upper[i])));
    }
    EXPECT_EQ(runchild(upper, "defaults", "/deluser -DelInfo=1", "Tessel Copy"), 0u);
    DeleteFileA(copy.c_str());
}

TEST_F(AppTest, ShortPathStartGivesTheLongName) {
    const std::string copy = copyself("TesselLongNameCopy.exe");
    char shortpath[MAX_PATH];
    ASSERT_GT(GetShortPathNameA(copy.c_str(), shortpath, sizeof shortpath), 0u);
    ASSERT_NE(std::string(shortpath), copy); // a distinct short form exists
    EXPECT_EQ(runchild(shortpath, "versioned", "", "TesselLongNameCopy"), 0u);
    DeleteFileA(copy.c_str());
}

namespace {

// A copy of this executable at "<dir>\<deep dir>\<name>" whose full path is length bytes long.
struct DeepCopy {
    DeepCopy(const char* name, std::size_t length) {
        const std::string base = dirof(modulepath());
        const std::size_t rest = length - base.size() - 2 - std::strlen(name);
        dir = base + "\\" + std::string(rest, 'd');
        path = dir + "\\" + name;
        EXPECT_EQ(path.size(), length);
        CreateDirectoryA(dir.c_str(), nullptr);
        copied = CopyFileA(modulepath().c_str(), path.c_str(), FALSE) != 0;
    }
    ~DeepCopy() {
        DeleteFileA(path.c_str());
        RemoveDirectoryA(dir.c_str());
    }
    std::string dir;
    std::string path;
    bool copied = false;
};

} // namespace

// Starts a deep copy by its name relative to its directory (a full application path this long
// is refused by the process creation).
DWORD rundeepchild(const DeepCopy& copy, const std::string& check, const std::string& name) {
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(copy.dir.c_str());
    const DWORD code =
        runchild(copy.path.substr(copy.dir.size() + 1), check, "/deluser -DelInfo=1", name);
    SetCurrentDirectoryA(saved);
    return code;
}

TEST_F(AppTest, ExePathThatDoesNotFitItsBufferTakesTheDefaults) {
    // The module path (258 bytes) fits and is found, but the rebuilt "<moddir>\<modname>.exe"
    // needs 261 bytes of 260: the version block is not read rather than the path overrunning
    // its buffer.
    DeepCopy copy("TesselDeep.e", 258);
    ASSERT_TRUE(copy.copied) << GetLastError();
    EXPECT_EQ(rundeepchild(copy, "defaults", "TesselDeep"), 0u);
}

TEST_F(AppTest, ModulePathThatDoesNotFitIsNotUsed) {
    // 272 bytes: the module query truncates it, so neither directory nor name is taken.
    DeepCopy copy("TesselDeep.exe", 272);
    ASSERT_TRUE(copy.copied) << GetLastError();
    EXPECT_EQ(rundeepchild(copy, "nomodule", ""), 0u);
}

// Runs only inside a child started by the tests above.
TEST(AppChild, ChecksItsOwnApp) {
    const std::string check = envvar(childvar);
    if (check.empty()) {
        GTEST_SKIP() << "not started as a child";
    }
    App app(GetModuleHandleA(nullptr), false);
    const std::string name = envvar("TESSEL_EXPECT_NAME");
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
