// End-to-end scenarios: the real Sonorm.exe operated from outside through its windows' messages;
// every wait polls until a deadline. Narrow literals are code page 932, as the program's texts.
#include "Registry.h"
#include "ResourceIds.h"
#include "TempDir.h"
#include "Version.h"
#include "WavBytes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>

namespace {

constexpr DWORD deadline = 30000; // ms for a window to appear or go, a program to end
constexpr DWORD pollms = 20;
constexpr int boxtextid = 0xFFFF; // the text of a message box
constexpr int filenameid = 1148;  // the name box of the system's file dialogs
constexpr const char* settings =
    "Software\\" SONORM_COMPANY "\\" SONORM_INTERNAL "\\" SONORM_FILEVERSION;

bool waitfor(const std::function<bool()>& done, DWORD limit = deadline) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < limit) {
        Sleep(pollms);
    }
    return done();
}

// A message's answer from the window's own thread; -1 when it gives none.
LRESULT send(HWND window, UINT msg, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutA(window, msg, wparam, lparam, SMTO_ABORTIFHUNG, deadline, &result);
    return answered ? static_cast<LRESULT>(result) : -1;
}

std::string text(HWND window) {
    char buffer[1024] = {};
    send(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void settext(HWND window, const std::string& value) {
    send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

// The first visible top-level window of the class that matches, once there is one.
HWND findwindow(const char* cls, const std::function<bool(HWND)>& match, DWORD limit = deadline) {
    HWND found = nullptr;
    waitfor(
        [&] {
            found = FindWindowExA(nullptr, nullptr, cls, nullptr);
            while (found && !(IsWindowVisible(found) && match(found))) {
                found = FindWindowExA(nullptr, found, cls, nullptr);
            }
            return found != nullptr;
        },
        limit);
    return found;
}

bool gone(HWND window) {
    return waitfor([window] { return !IsWindow(window); });
}

std::string beside(const std::string& name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, std::strrchr(path, '\\') + 1) + name;
}

// Read without opening: the program may be writing the file.
LONGLONG filesize(const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)
               ? static_cast<LONGLONG>(data.nFileSizeLow)
               : -1;
}

bool hasvalue(HKEY root) {
    return !RegGetValueA(root, settings, posleftname, RRF_RT_ANY, nullptr, nullptr, nullptr);
}

void setvalue(HKEY root, const char* name, DWORD value) {
    RegSetKeyValueA(root, settings, name, REG_DWORD, &value, sizeof value);
}

void clearkeys() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\" SONORM_COMPANY);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\" SONORM_COMPANY);
}

// Sonorm.exe (or a copy) running as its own process; main is its main dialog once shown.
class Program {
public:
    explicit Program(const std::string& args = "", WORD show = SW_SHOWNORMAL,
                     const std::string& exe = beside("Sonorm.exe")) {
        // Wine rarely ends a fresh process with status 1 before its first window: once more.
        for (int tries = 2; tries > 0 && !main && (tries == 2 || exitcode() == 1); --tries) {
            end();
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESHOWWINDOW;
            startup.wShowWindow = show;
            if (CreateProcessA(exe.c_str(), ("\"" + exe + "\" " + args).data(), nullptr, nullptr,
                               FALSE, 0, nullptr, nullptr, &startup, &process)) {
                waitfor([this] { return (main = dialog(nullptr, 0)) || ended(); });
            }
        }
    }
    ~Program() { end(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The program's dialog owned by owner: the main dialog (none), a box or a file dialog.
    HWND dialog(HWND owner, DWORD limit = deadline) const {
        return findwindow(
            "#32770", [&](HWND w) { return owns(w) && GetWindow(w, GW_OWNER) == owner; }, limit);
    }
    bool owns(HWND window) const {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        return id == process.dwProcessId;
    }
    bool ended() const { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }
    // The exit code once the program has ended; STILL_ACTIVE when it does not end in time.
    DWORD exitcode() const {
        DWORD code = STILL_ACTIVE;
        return waitfor([this] { return ended(); }) && GetExitCodeProcess(process.hProcess, &code)
                   ? code
                   : STILL_ACTIVE;
    }
    DWORD quit() const {
        PostMessageA(main, WM_COMMAND, ID_EXIT, 0);
        return exitcode();
    }
    HWND item(int id) const { return GetDlgItem(main, id); }
    void convert(const std::string& input, const std::string& output) const {
        settext(item(IDC_INPUT_NAME), input);
        settext(item(IDC_OUTPUT_NAME), output);
        PostMessageA(item(IDC_START), BM_CLICK, 0, 0);
    }
    // Start enabled and the status empty: no conversion running, no message up.
    bool idle() const { return IsWindowEnabled(item(IDC_START)) && text(item(IDC_STATUS)).empty(); }
    HWND focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
        return info.hwndFocus;
    }
    // A key as the keyboard delivers it: to the focus of the program's thread.
    void press(WPARAM key) const { PostMessageA(focus(), WM_KEYDOWN, key, 1); }
    // A menu command by keyboard: Alt+H opens the Help menu, then the item's letter.
    void choose(char letter) const {
        PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, 'h');
        if (findwindow("#32768", [this](HWND w) { return owns(w); })) {
            PostMessageA(main, WM_CHAR, static_cast<WPARAM>(letter), 1);
        }
    }
    HWND main = nullptr;

private:
    void end() {
        if (process.hProcess) {
            TerminateProcess(process.hProcess, 1); // refused once it has ended
            WaitForSingleObject(process.hProcess, deadline);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        process = {};
    }
    PROCESS_INFORMATION process = {};
};

// A copy named conv.exe, asked by the shell to start minimised: shown plainly and centred; Tab
// walks the controls and wraps, Enter and Esc do nothing; the menu's version dialog, help
// (conv.txt beside it) and exit; power queries granted; the placement is not stored.
TEST(Start, ShowsTheDialogAndAnswersKeyboardAndMenu) {
    clearkeys();
    TempDir temp;
    const std::string dir = temp.path("");
    ASSERT_TRUE(CopyFileA(beside("Sonorm.exe").c_str(), (dir + "conv.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(beside("Sonorm.txt").c_str(), (dir + "conv.txt").c_str(), FALSE));
    Program program("", SW_SHOWMINNOACTIVE, dir + "conv.exe");
    const HWND main = program.main;
    ASSERT_TRUE(main);
    ASSERT_TRUE(IsWindowVisible(main) && !IsIconic(main));
    RECT shown = {}, work = {};
    GetWindowRect(main, &shown);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(shown.left + shown.right, work.left + work.right, 2);
    EXPECT_NEAR(shown.top + shown.bottom, work.top + work.bottom, 2);
    for (int id :
         {IDC_INPUT_NAME, IDC_INPUT_BROWSE, IDC_OUTPUT_NAME, IDC_OUTPUT_BROWSE, IDC_START}) {
        ASSERT_TRUE(waitfor([&] { return GetDlgCtrlID(program.focus()) == id; })) << id;
        program.press(VK_TAB);
    }
    // The Tab after Enter and Esc shows that they were handled: the dialog is still there.
    for (WPARAM key : {VK_RETURN, VK_ESCAPE, VK_TAB}) {
        program.press(key);
    }
    ASSERT_TRUE(waitfor([&] { return GetDlgCtrlID(program.focus()) == IDC_INPUT_BROWSE; }));
    EXPECT_EQ(send(main, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND), 1);
    EXPECT_EQ(send(main, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE), 0);
    program.choose('a');
    const HWND about = program.dialog(main);
    char version[256] = {};
    std::snprintf(version, sizeof version, SONORM_VERSION_FORMAT, SONORM_PRODUCT,
                  SONORM_FILEVERSION, SONORM_LEGAL);
    EXPECT_EQ(text(GetDlgItem(about, IDC_ABOUT_TEXT)), version);
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(gone(about));
    program.choose('h');
    const HWND viewer = findwindow("Notepad", [](HWND w) {
        char title[256] = {};
        GetWindowTextA(w, title, sizeof title);
        return std::strstr(title, "conv.txt") != nullptr;
    });
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(viewer && gone(viewer));
    program.choose('x');
    EXPECT_EQ(program.exitcode(), 0u);
    EXPECT_FALSE(hasvalue(HKEY_CURRENT_USER));
}

// Conversions write the canonical file silently, also for double-byte names (second byte 0x5C)
// and a name cut to its first 259 characters; a failure shows its exact text while still busy.
TEST(Convert, WritesTheCanonicalFileOrShowsTheFailure) {
    TempDir temp;
    const std::string dir = temp.path("");
    const std::string data = wav::samples(4000);
    const std::string expected = wav::canonical(data);
    const std::string longname = dir + std::string(MAX_PATH - 5 - dir.size(), 'n') + ".wav";
    temp.write("in.wav", wav::decorated(data));
    temp.write("表示.wav", wav::decorated(data));
    temp.write("rifx.wav", "RIFX" + wav::decorated(data).substr(4));
    const std::tuple<std::string, std::string, std::string> successes[] = {
        {dir + "表示.wav", dir + "能力.wav", dir + "能力.wav"},
        {dir + "in.wav", longname + "EXTRA", longname},
    };
    const std::tuple<std::string, std::string, std::string, bool> failures[] = {
        {dir + "rifx.wav", dir + "bad.wav", "ヘッダーのRIFFが不正です[1,7,0,0]", true},
        {dir + "in.wav", "", "ファイル名を指定して下さい", false},
        {dir + "in.wav", dir + "in.wav", "読み込みファイル名と書き込みファイル名は別にして下さい",
         false},
    };
    Program program;
    ASSERT_TRUE(program.main);
    for (const auto& [input, typed, written] : successes) {
        program.convert(input, typed);
        // Busy from the click to the end, and also while a message is up.
        ASSERT_TRUE(waitfor([&, &written = written] {
            return filesize(written) == static_cast<LONGLONG>(expected.size()) && program.idle();
        })) << typed;
        EXPECT_EQ(readfile(written), expected) << typed;
    }
    for (const auto& [input, output, message, busy] : failures) {
        program.convert(input, output);
        const HWND box = program.dialog(program.main);
        EXPECT_EQ(text(GetDlgItem(box, boxtextid)), message);
        EXPECT_EQ(text(program.item(IDC_STATUS)), busy ? "処理中..." : "");
        EXPECT_EQ(IsWindowEnabled(program.item(IDC_START)) == FALSE, busy);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(box && gone(box) && waitfor([&] { return program.idle(); })) << output;
    }
    EXPECT_EQ(filesize(dir + "bad.wav"), -1);
    EXPECT_EQ(program.quit(), 0u);
}

// The file dialog starts from the field's name; the file chosen fills the field with its full
// path (a name to save gets .wav); cancelling (nothing typed) leaves the field.
TEST(Browse, TheFileDialogFillsTheField) {
    TempDir temp;
    const std::string dir = temp.path("");
    temp.write("exists.wav", "RIFF");
    const std::tuple<int, int, std::string, std::string> rows[] = {
        {IDC_INPUT_BROWSE, IDC_INPUT_NAME, dir + "exists.wav", dir + "exists.wav"},
        {IDC_OUTPUT_BROWSE, IDC_OUTPUT_NAME, dir + "fresh", dir + "fresh.wav"},
        {IDC_INPUT_BROWSE, IDC_INPUT_NAME, "", dir + "start.wav"},
    };
    Program program;
    ASSERT_TRUE(program.main);
    for (const auto& [button, field, typed, expected] : rows) {
        settext(program.item(field), dir + "start.wav");
        PostMessageA(program.item(button), BM_CLICK, 0, 0);
        const HWND box = program.dialog(program.main);
        HWND name = nullptr;
        ASSERT_TRUE(box &&
                    waitfor([&] { return (name = GetDlgItem(box, filenameid)) != nullptr; }));
        EXPECT_EQ(text(name), "start.wav");
        settext(name, typed);
        PostMessageA(box, WM_COMMAND, typed.empty() ? IDCANCEL : IDOK, 0);
        EXPECT_TRUE(gone(box));
        EXPECT_EQ(text(program.item(field)), expected);
    }
    EXPECT_EQ(program.quit(), 0u);
}

// The saved rectangle is used, the saved maximised state not. Every way to close ends with code 0
// (the end of the session once its query is answered 1) and deletes the keys that deluser and
// delinfo ask for, each only when given alone. A WM_APP posted without the query changes nothing.
TEST(Close, EndsWithCodeZeroDeletingTheKeysAsked) {
    const std::pair<const char*, DWORD> saved[] = {{posleftname, 100},
                                                   {postopname, 80},
                                                   {posrightname, 520},
                                                   {posbottomname, 330},
                                                   {posmaximizedname, 1}};
    const std::tuple<const char*, UINT, WPARAM, bool, bool> rows[] = {
        {"/deluser", WM_COMMAND, ID_EXIT, false, true},
        {"-DELINFO", WM_QUERYENDSESSION, 0, true, false},
        {"/DelUser -delinfo", WM_SYSCOMMAND, SC_CLOSE, false, false},
        {"/deluser=1 -delinfo=x", WM_QUERYENDSESSION, 0, true, true},
    };
    for (const auto& [args, msg, wparam, userkept, machinekept] : rows) {
        clearkeys();
        for (const auto& [name, value] : saved) {
            setvalue(HKEY_CURRENT_USER, name, value);
        }
        setvalue(HKEY_LOCAL_MACHINE, posleftname, 0);
        Program program(args);
        ASSERT_TRUE(program.main) << args;
        RECT shown = {};
        GetWindowRect(program.main, &shown);
        EXPECT_EQ(std::tie(shown.left, shown.top, shown.right, shown.bottom),
                  std::make_tuple(100, 80, 520, 330));
        EXPECT_FALSE(IsZoomed(program.main));
        if (msg == WM_QUERYENDSESSION) {
            EXPECT_EQ(send(program.main, msg), 1) << args;
            send(program.main, WM_ENDSESSION, TRUE); // the window may be gone already
        } else {
            // Another program's WM_APP comes first: the dialog stays, so the close below acts.
            PostMessageA(program.main, WM_APP, 0, 0);
            PostMessageA(program.main, msg, wparam, 0);
        }
        EXPECT_EQ(program.exitcode(), 0u) << args;
        EXPECT_EQ(hasvalue(HKEY_CURRENT_USER), userkept) << args;
        EXPECT_EQ(hasvalue(HKEY_LOCAL_MACHINE), machinekept) << args;
    }
    clearkeys();
}

} // namespace
