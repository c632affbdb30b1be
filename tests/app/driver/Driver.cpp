// sonorm-driver: operates the running program from outside, as a person at the screen would,
// for the end-to-end scenarios. One command per run; results are printed as key=value lines
// (texts as hex of their ANSI bytes). Exit status 0 on success, 1 when the command failed or
// timed out, 2 on a usage error.
#include "Probe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD sendtimeout = 5000;
constexpr DWORD polldelay = 50;
constexpr DWORD defaulttimeout = 10000;
constexpr int textsize = 65536;
constexpr const char* dialogclass = "#32770";
constexpr const char* programtitle = "Sonorm";
constexpr int startbuttonid = 1005;
constexpr int statusid = 1006;
constexpr int messageboxtextid = 0xFFFF;

std::string hex(const std::string& s) {
    std::string out;
    char pair[3];
    for (unsigned char c : s) {
        std::snprintf(pair, sizeof pair, "%02x", c);
        out += pair;
    }
    return out;
}

std::string unhex(const char* s) {
    std::string out;
    for (std::size_t i = 0; s[i] && s[i + 1]; i += 2) {
        char pair[3] = {s[i], s[i + 1], 0};
        out += static_cast<char>(std::strtoul(pair, nullptr, 16));
    }
    return out;
}

unsigned long long number(const char* s) {
    return std::strtoull(s, nullptr, 0);
}
HWND handle(const char* s) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(number(s)));
}

void printhwnd(const char* key, HWND hwnd) {
    std::printf("%s=0x%llx\n", key,
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)));
}

std::string classname(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// The window text through WM_GETTEXT, answered by the owning thread (as a screen reader does).
bool windowtext(HWND hwnd, std::string& text) {
    std::vector<char> buf(textsize, 0);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, textsize, reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_ABORTIFHUNG, sendtimeout, &length)) {
        return false;
    }
    text.assign(buf.data(), length < textsize ? length : textsize - 1);
    return true;
}

bool waitfor(DWORD timeout, bool (*done)(void*), void* context) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done(context)) {
            return true;
        }
        if (GetTickCount() - start >= timeout) {
            return false;
        }
        Sleep(polldelay);
    }
}

// A main dialog of the program: an unowned dialog titled "Sonorm" with the start button.
bool ismain(HWND hwnd) {
    char title[64] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    return classname(hwnd) == dialogclass && std::strcmp(title, programtitle) == 0 &&
           !GetWindow(hwnd, GW_OWNER) && GetDlgItem(hwnd, startbuttonid);
}

struct MainSearch {
    std::vector<HWND> found;
    bool visibleonly;
};

BOOL CALLBACK collectmain(HWND hwnd, LPARAM lparam) {
    auto* search = reinterpret_cast<MainSearch*>(lparam);
    if (ismain(hwnd) && (!search->visibleonly || IsWindowVisible(hwnd))) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> mainwindows(bool visibleonly) {
    MainSearch search{{}, visibleonly};
    EnumWindows(collectmain, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK findowned(HWND hwnd, LPARAM lparam) {
    auto* search = reinterpret_cast<OwnedSearch*>(lparam);
    if (GetWindow(hwnd, GW_OWNER) == search->owner && IsWindowVisible(hwnd) &&
        classname(hwnd) == dialogclass) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct TitleSearch {
    const char* part;
    HWND found;
};

BOOL CALLBACK findtitle(HWND hwnd, LPARAM lparam) {
    auto* search = reinterpret_cast<TitleSearch*>(lparam);
    char title[512] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    if (IsWindowVisible(hwnd) && std::strstr(title, search->part)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct TitleCount {
    const char* part;
    int count;
};

BOOL CALLBACK counttitle(HWND hwnd, LPARAM lparam) {
    auto* search = reinterpret_cast<TitleCount*>(lparam);
    char title[512] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    if (IsWindowVisible(hwnd) && std::strstr(title, search->part)) {
        ++search->count;
    }
    return TRUE;
}

void printrect(const char* key, HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    std::printf("%s=%ld,%ld,%ld,%ld\n", key, r.left, r.top, r.right, r.bottom);
}

void describeitem(HWND item) {
    std::string text;
    windowtext(item, text);
    printhwnd("hwnd", item);
    std::printf("id=%d\nclass=%s\ntext=%s\nvisible=%d\nenabled=%d\nstyle=0x%lx\n",
                GetDlgCtrlID(item), classname(item).c_str(), hex(text).c_str(),
                IsWindowVisible(item) ? 1 : 0, IsWindowEnabled(item) ? 1 : 0,
                static_cast<unsigned long>(GetWindowLongA(item, GWL_STYLE)));
    printrect("rect", item);
}

HWND focusof(HWND hwnd) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

// Runs one probe query on the thread that owns window, about target; waits up to timeout.
bool probe(HWND window, ProbeQuery query, HWND target, std::string& answer,
           DWORD timeout = sendtimeout) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return false;
    }
    char* slash = std::strrchr(path, '\\');
    if (!slash || static_cast<std::size_t>(slash - path) > sizeof path - sizeof "\\probe.dll") {
        return false;
    }
    std::strcpy(slash, "\\probe.dll");
    HMODULE dll = LoadLibraryA(path);
    auto hook = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(dll ? GetProcAddress(dll, probehookname) : nullptr));
    if (!hook) {
        std::fprintf(stderr, "driver: cannot load %s\n", path);
        return false;
    }
    HANDLE map = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    proberesultsize, proberesultname);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, probedonename);
    HHOOK installed =
        SetWindowsHookExA(WH_GETMESSAGE, hook, dll, GetWindowThreadProcessId(window, nullptr));
    bool ok = false;
    if (map && done && installed &&
        PostMessageA(window, RegisterWindowMessageA(probemessagename), query,
                     reinterpret_cast<LPARAM>(target)) &&
        WaitForSingleObject(done, timeout) == WAIT_OBJECT_0) {
        auto* view = static_cast<const char*>(MapViewOfFile(map, FILE_MAP_READ, 0, 0, 0));
        if (view) {
            answer.assign(view, strnlen(view, proberesultsize));
            UnmapViewOfFile(view);
            ok = true;
        }
    }
    if (installed) {
        UnhookWindowsHookEx(installed);
    }
    if (done) {
        CloseHandle(done);
    }
    if (map) {
        CloseHandle(map);
    }
    return ok;
}

// Copies every resource of source into update, except type/id.
struct Copier {
    HMODULE source;
    HANDLE update;
    WORD skiptype;
    WORD skipid;
    bool ok;
};

BOOL CALLBACK copylanguage(HMODULE module, LPCSTR type, LPCSTR name, WORD language,
                           LONG_PTR context) {
    auto* copier = reinterpret_cast<Copier*>(context);
    if (IS_INTRESOURCE(type) && IS_INTRESOURCE(name) &&
        reinterpret_cast<ULONG_PTR>(type) == copier->skiptype &&
        reinterpret_cast<ULONG_PTR>(name) == copier->skipid) {
        return TRUE;
    }
    HRSRC found = FindResourceExA(module, type, name, language);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || !UpdateResourceA(copier->update, type, name, language, data,
                                  SizeofResource(module, found))) {
        copier->ok = false;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK copyname(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
    return EnumResourceLanguagesA(module, type, name, copylanguage, context);
}

BOOL CALLBACK copytype(HMODULE module, LPSTR type, LONG_PTR context) {
    return EnumResourceNamesA(module, type, copyname, context);
}

HKEY rootkey(const char* name) {
    if (std::strcmp(name, "HKCU") == 0) {
        return HKEY_CURRENT_USER;
    }
    if (std::strcmp(name, "HKLM") == 0) {
        return HKEY_LOCAL_MACHINE;
    }
    return nullptr;
}

int usage() {
    std::fputs("usage: sonorm-driver COMMAND ARGS (see tests/app/driver/Driver.cpp)\n", stderr);
    return 2;
}

int fail(const char* what) {
    std::fprintf(stderr, "driver: %s\n", what);
    return 1;
}

DWORD timeoutarg(int argc, char** argv, int index) {
    return argc > index ? static_cast<DWORD>(number(argv[index])) : defaulttimeout;
}

int run(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    std::string cmd = argv[1];
    auto need = [argc](int n) { return argc >= n + 2; };

    if (cmd == "find-main") {
        // A visible main dialog other than the ones given after the timeout.
        struct Wanted {
            std::vector<HWND> known;
            HWND found;
        } wanted{{}, nullptr};
        for (int i = 3; i < argc; ++i) {
            wanted.known.push_back(handle(argv[i]));
        }
        auto done = [](void* c) {
            auto* w = static_cast<Wanted*>(c);
            for (HWND hwnd : mainwindows(true)) {
                bool known = false;
                for (HWND k : w->known) {
                    known = known || k == hwnd;
                }
                if (!known) {
                    w->found = hwnd;
                    return true;
                }
            }
            return false;
        };
        if (!waitfor(timeoutarg(argc, argv, 2), done, &wanted)) {
            return fail("no main dialog");
        }
        printhwnd("hwnd", wanted.found);
        return 0;
    }
    if (cmd == "count-main") {
        std::printf("count=%zu\n", mainwindows(false).size());
        return 0;
    }
    if (cmd == "window" && need(1)) {
        HWND hwnd = handle(argv[2]);
        if (!IsWindow(hwnd)) {
            return fail("no such window");
        }
        std::string title;
        windowtext(hwnd, title);
        RECT client = {};
        GetClientRect(hwnd, &client);
        std::printf("class=%s\ntitle=%s\nvisible=%d\nenabled=%d\nzoomed=%d\niconic=%d\n"
                    "style=0x%lx\nexstyle=0x%lx\nclient=%ld,%ld\n",
                    classname(hwnd).c_str(), hex(title).c_str(), IsWindowVisible(hwnd) ? 1 : 0,
                    IsWindowEnabled(hwnd) ? 1 : 0, IsZoomed(hwnd) ? 1 : 0, IsIconic(hwnd) ? 1 : 0,
                    static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_STYLE)),
                    static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_EXSTYLE)), client.right,
                    client.bottom);
        printrect("rect", hwnd);
        printhwnd("owner", GetWindow(hwnd, GW_OWNER));
        return 0;
    }
    if (cmd == "item" && need(2)) {
        HWND item = GetDlgItem(handle(argv[2]), static_cast<int>(number(argv[3])));
        if (!item) {
            return fail("no such item");
        }
        describeitem(item);
        return 0;
    }
    if (cmd == "items" && need(1)) {
        // Every child in z-order (the template order): id, class, style, text.
        for (HWND c = GetWindow(handle(argv[2]), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            std::string text;
            windowtext(c, text);
            std::printf("child=%d,%s,0x%lx,%s\n", GetDlgCtrlID(c), classname(c).c_str(),
                        static_cast<unsigned long>(GetWindowLongA(c, GWL_STYLE)),
                        hex(text).c_str());
        }
        return 0;
    }
    if ((cmd == "settext" || cmd == "settext-hex") && need(3)) {
        HWND hwnd = handle(argv[2]);
        int id = static_cast<int>(number(argv[3]));
        HWND target = id ? GetDlgItem(hwnd, id) : hwnd;
        std::string text = cmd == "settext" ? std::string(argv[4]) : unhex(argv[4]);
        DWORD_PTR result = 0;
        if (!target ||
            !SendMessageTimeoutA(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                 SMTO_ABORTIFHUNG, sendtimeout, &result)) {
            return fail("WM_SETTEXT failed");
        }
        return 0;
    }
    if (cmd == "click" && need(2)) {
        HWND item = GetDlgItem(handle(argv[2]), static_cast<int>(number(argv[3])));
        if (!item || !PostMessageA(item, BM_CLICK, 0, 0)) {
            return fail("cannot click");
        }
        return 0;
    }
    if (cmd == "command" && need(2)) {
        WPARAM wparam = MAKEWPARAM(number(argv[3]), argc > 4 ? number(argv[4]) : 0);
        if (!PostMessageA(handle(argv[2]), WM_COMMAND, wparam, 0)) {
            return fail("cannot post");
        }
        return 0;
    }
    if (cmd == "post" && need(4)) {
        if (!PostMessageA(handle(argv[2]), static_cast<UINT>(number(argv[3])),
                          static_cast<WPARAM>(number(argv[4])),
                          static_cast<LPARAM>(number(argv[5])))) {
            return fail("cannot post");
        }
        return 0;
    }
    if (cmd == "send" && need(4)) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(handle(argv[2]), static_cast<UINT>(number(argv[3])),
                                 static_cast<WPARAM>(number(argv[4])),
                                 static_cast<LPARAM>(number(argv[5])), SMTO_ABORTIFHUNG,
                                 sendtimeout, &result)) {
            return fail("no answer");
        }
        std::printf("result=%lld\n", static_cast<long long>(result));
        return 0;
    }
    if (cmd == "key" && need(2)) {
        // A key press as the keyboard delivers it: to the focus window of the dialog's thread.
        HWND hwnd = handle(argv[2]);
        HWND target = focusof(hwnd);
        if (!target) {
            target = hwnd;
        }
        auto vk = static_cast<WPARAM>(number(argv[3]));
        LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC))
                      << 16;
        constexpr LPARAM keyupbits = static_cast<LPARAM>(0xC0000000u);
        if (!PostMessageA(target, WM_KEYDOWN, vk, scan | 1) ||
            !PostMessageA(target, WM_KEYUP, vk, scan | 1 | keyupbits)) {
            return fail("cannot post key");
        }
        return 0;
    }
    if (cmd == "move" && need(3)) {
        // The window dragged by its caption to a new place (SetWindowPos is carried out by the
        // window's own thread).
        if (!SetWindowPos(handle(argv[2]), nullptr, static_cast<int>(number(argv[3])),
                          static_cast<int>(number(argv[4])), 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
            return fail("cannot move");
        }
        return 0;
    }
    if (cmd == "focus" && need(1)) {
        HWND f = focusof(handle(argv[2]));
        std::printf("focus=%d\n", f ? GetDlgCtrlID(f) : 0);
        return 0;
    }
    if (cmd == "taborder" && need(1)) {
        HWND dlg = handle(argv[2]);
        HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
        std::printf("ids=");
        HWND c = first;
        for (int i = 0; c && i < 64; ++i) {
            std::printf("%s%d", i ? "," : "", GetDlgCtrlID(c));
            c = GetNextDlgTabItem(dlg, c, FALSE);
            if (c == first) {
                break;
            }
        }
        std::printf("\n");
        return 0;
    }
    if (cmd == "owned" && need(1)) {
        // A dialog owned by the window: message box, version dialog or file dialog.
        OwnedSearch search{handle(argv[2]), nullptr};
        auto done = [](void* c) {
            auto* s = static_cast<OwnedSearch*>(c);
            s->found = nullptr;
            EnumWindows(findowned, reinterpret_cast<LPARAM>(s));
            return s->found != nullptr;
        };
        if (!waitfor(timeoutarg(argc, argv, 3), done, &search)) {
            return fail("no owned dialog");
        }
        HWND box = search.found;
        std::string title;
        windowtext(box, title);
        printhwnd("hwnd", box);
        std::printf("title=%s\n", hex(title).c_str());
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            LONG style = GetWindowLongA(c, GWL_STYLE);
            bool isicon = classname(c) == "Static" && (style & SS_TYPEMASK) == SS_ICON;
            if (isicon) {
                printhwnd("iconcontrol", c);
            } else if (GetDlgCtrlID(c) == messageboxtextid) {
                std::string text;
                windowtext(c, text);
                std::printf("text=%s\n", hex(text).c_str());
            }
        }
        return 0;
    }
    if (cmd == "wait-gone" && need(1)) {
        HWND hwnd = handle(argv[2]);
        auto done = [](void* c) { return !IsWindow(static_cast<HWND>(c)); };
        if (!waitfor(timeoutarg(argc, argv, 3), done, hwnd)) {
            return fail("window still there");
        }
        return 0;
    }
    if (cmd == "wait-idle" && need(1)) {
        // The end of a conversion: start button enabled again and the status text empty.
        HWND hwnd = handle(argv[2]);
        auto done = [](void* c) {
            HWND dlg = static_cast<HWND>(c);
            std::string status;
            return IsWindowEnabled(GetDlgItem(dlg, startbuttonid)) &&
                   windowtext(GetDlgItem(dlg, statusid), status) && status.empty();
        };
        if (!waitfor(timeoutarg(argc, argv, 3), done, hwnd)) {
            return fail("dialog not idle");
        }
        return 0;
    }
    if (cmd == "find-title" && need(1)) {
        TitleSearch search{argv[2], nullptr};
        auto done = [](void* c) {
            auto* s = static_cast<TitleSearch*>(c);
            s->found = nullptr;
            EnumWindows(findtitle, reinterpret_cast<LPARAM>(s));
            return s->found != nullptr;
        };
        if (!waitfor(timeoutarg(argc, argv, 3), done, &search)) {
            return fail("no such window");
        }
        std::string title;
        windowtext(search.found, title);
        printhwnd("hwnd", search.found);
        std::printf("class=%s\ntitle=%s\n", classname(search.found).c_str(), hex(title).c_str());
        HWND edit = FindWindowExA(search.found, nullptr, "Edit", nullptr);
        if (edit) {
            std::string text;
            windowtext(edit, text);
            std::printf("edit=%s\n", hex(text).c_str());
        }
        return 0;
    }
    if (cmd == "count-title" && need(1)) {
        TitleCount count{argv[2], 0};
        EnumWindows(counttitle, reinterpret_cast<LPARAM>(&count));
        std::printf("count=%d\n", count.count);
        return 0;
    }
    if (cmd == "probe" && need(2)) {
        HWND hwnd = handle(argv[2]);
        std::string query = argv[3];
        HWND target = argc > 4 ? handle(argv[4]) : hwnd;
        ProbeQuery q = query == "sysmenu"      ? probesysmenu
                       : query == "menu"       ? probemenu
                       : query == "icons"      ? probewndicons
                       : query == "staticicon" ? probestaticicon
                                               : ProbeQuery(0);
        std::string answer;
        if (q == 0 || !probe(hwnd, q, target, answer)) {
            return fail("probe failed");
        }
        std::fputs(answer.c_str(), stdout);
        return 0;
    }
    if (cmd == "sync" && need(1)) {
        // A barrier: returns once the window's thread has dispatched every message posted to it
        // before (posted messages are retrieved in order, also by modal loops).
        std::string answer;
        HWND hwnd = handle(argv[2]);
        if (!probe(hwnd, probeping, hwnd, answer, timeoutarg(argc, argv, 3))) {
            return fail("no answer");
        }
        return 0;
    }
    if (cmd == "xid" && need(1)) {
        auto xid = reinterpret_cast<UINT_PTR>(GetPropA(handle(argv[2]), "__wine_x11_whole_window"));
        if (!xid) {
            return fail("no X window");
        }
        std::printf("xid=0x%llx\n", static_cast<unsigned long long>(xid));
        return 0;
    }
    if (cmd == "systext" && need(1)) {
        // The system's own text for an error number, in the user's default language.
        char* text = nullptr;
        DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(number(argv[2])),
                                      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      reinterpret_cast<char*>(&text), 0, nullptr);
        if (length == 0 || !text) {
            return fail("no system text");
        }
        std::printf("text=%s\n", hex(std::string(text, length)).c_str());
        LocalFree(text);
        return 0;
    }
    if (cmd == "screen") {
        RECT work = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        std::printf("screen=%d,%d\nworkarea=%ld,%ld,%ld,%ld\n", GetSystemMetrics(SM_CXSCREEN),
                    GetSystemMetrics(SM_CYSCREEN), work.left, work.top, work.right, work.bottom);
        return 0;
    }
    if (cmd == "reg-set" && need(4)) {
        HKEY root = rootkey(argv[2]);
        HKEY key = nullptr;
        if (!root || RegCreateKeyExA(root, argv[3], 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                     nullptr) != ERROR_SUCCESS) {
            return fail("cannot create key");
        }
        auto value = static_cast<DWORD>(number(argv[5]));
        LONG status = RegSetValueExA(key, argv[4], 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? 0 : fail("cannot set value");
    }
    if (cmd == "reg-del" && need(2)) {
        HKEY root = rootkey(argv[2]);
        LONG status = root ? RegDeleteTreeA(root, argv[3]) : ERROR_INVALID_PARAMETER;
        if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
            if (root) {
                RegDeleteKeyA(root, argv[3]);
            }
            return 0;
        }
        return fail("cannot delete key");
    }
    if (cmd == "reg-exists" && need(2)) {
        HKEY root = rootkey(argv[2]);
        HKEY key = nullptr;
        bool exists = root && RegOpenKeyExA(root, argv[3], 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (exists) {
            RegCloseKey(key);
        }
        std::printf("exists=%d\n", exists ? 1 : 0);
        return 0;
    }
    if (cmd == "reg-get" && need(3)) {
        HKEY root = rootkey(argv[2]);
        DWORD value = 0;
        DWORD size = sizeof value;
        if (!root || RegGetValueA(root, argv[3], argv[4], RRF_RT_REG_DWORD, nullptr, &value,
                                  &size) != ERROR_SUCCESS) {
            return fail("no such value");
        }
        std::printf("value=%ld\n", static_cast<long>(static_cast<LONG>(value)));
        return 0;
    }
    if (cmd == "strip-resource" && need(4)) {
        // A copy of an executable without one resource: the program as built without it. The
        // copy's resources are written anew from the original's, leaving that one out.
        const char* source = argv[2];
        const char* target = argv[3];
        Copier copier{nullptr, nullptr, static_cast<WORD>(number(argv[4])),
                      static_cast<WORD>(number(argv[5])), true};
        if (!CopyFileA(source, target, FALSE)) {
            return fail("cannot copy");
        }
        copier.source = LoadLibraryExA(source, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        copier.update = BeginUpdateResourceA(target, TRUE);
        if (!copier.source || !copier.update) {
            return fail("cannot open the executables");
        }
        EnumResourceTypesA(copier.source, copytype, reinterpret_cast<LONG_PTR>(&copier));
        FreeLibrary(copier.source);
        if (!copier.ok || !EndUpdateResourceA(copier.update, FALSE)) {
            return fail("cannot write the resources");
        }
        return 0;
    }
    return usage();
}

} // namespace

int main(int argc, char** argv) {
    int status = run(argc, argv);
    std::fflush(stdout);
    return status;
}
