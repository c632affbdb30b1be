// sonorm-driver: operates the running program from outside, as a person at the screen would,
// for the end-to-end scenarios. One command per run; results are printed as key=value lines
// (texts as hex of their ANSI bytes). Exit status 0 on success, 1 when the command failed or
// timed out, 2 on a usage error.
#include "Probe.h"
#include "ResourceIds.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD sendtimeout = 10000;
constexpr DWORD polldelay = 50;
constexpr DWORD defaulttimeout = 30000;
constexpr int textsize = 65536;
constexpr const char* dialogclass = "#32770";
constexpr const char* programtitle = "Sonorm";
constexpr int messageboxtextid = 0xFFFF;

using Match = std::function<bool(HWND)>;

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

std::string texthex(HWND hwnd) {
    std::string text;
    windowtext(hwnd, text);
    return hex(text);
}

bool waitfor(DWORD timeout, const std::function<bool()>& done) {
    for (DWORD start = GetTickCount(); !done(); Sleep(polldelay)) {
        if (GetTickCount() - start >= timeout) {
            return false;
        }
    }
    return true;
}

struct Search {
    const Match& match;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM lparam) {
    auto* search = reinterpret_cast<Search*>(lparam);
    if (search->match(hwnd)) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

// The top-level windows that match, in z-order.
std::vector<HWND> toplevel(const Match& match) {
    Search search{match, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Visible top-level windows of a kind: "main" (an unowned dialog titled "Sonorm" with the
// start button; arg: handles to pass over, comma-separated, or "-"), "owned" (a dialog owned by
// window arg: message box, version or file dialog) or "title" (the title contains arg).
bool matcher(const std::string& kind, const char* arg, Match& match) {
    if (kind == "main") {
        std::vector<HWND> known;
        for (char* p = const_cast<char*>(arg); *p != '\0' && *p != '-'; p += *p == ',') {
            char* end = p;
            known.push_back(
                reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(p, &end, 0))));
            if (end == p) {
                return false;
            }
            p = end;
        }
        match = [known](HWND h) {
            char title[64] = {};
            GetWindowTextA(h, title, sizeof title);
            return classname(h) == dialogclass && std::strcmp(title, programtitle) == 0 &&
                   !GetWindow(h, GW_OWNER) && GetDlgItem(h, IDC_START) &&
                   std::find(known.begin(), known.end(), h) == known.end();
        };
    } else if (kind == "owned") {
        HWND owner = handle(arg);
        match = [owner](HWND h) {
            return GetWindow(h, GW_OWNER) == owner && classname(h) == dialogclass;
        };
    } else if (kind == "title") {
        std::string part = arg;
        match = [part](HWND h) {
            char title[512] = {};
            GetWindowTextA(h, title, sizeof title);
            return std::strstr(title, part.c_str()) != nullptr;
        };
    } else {
        return false;
    }
    match = [kindmatch = match](HWND h) { return IsWindowVisible(h) && kindmatch(h); };
    return true;
}

void printrect(const char* key, HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    std::printf("%s=%ld,%ld,%ld,%ld\n", key, r.left, r.top, r.right, r.bottom);
}

HWND focusof(HWND hwnd) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

// A window as seen from outside: its own state (and X window), the focus in its thread, and
// what it shows (a message box's text and icon control, an editor's text).
void describe(HWND hwnd) {
    printhwnd("hwnd", hwnd);
    std::printf("text=%s\nvisible=%d\nenabled=%d\nzoomed=%d\niconic=%d\n", texthex(hwnd).c_str(),
                IsWindowVisible(hwnd) ? 1 : 0, IsWindowEnabled(hwnd) ? 1 : 0,
                IsZoomed(hwnd) ? 1 : 0, IsIconic(hwnd) ? 1 : 0);
    printrect("rect", hwnd);
    printhwnd("owner", GetWindow(hwnd, GW_OWNER));
    HWND focus = focusof(hwnd);
    std::printf("focus=%d\n", focus ? GetDlgCtrlID(focus) : 0); // in the window's thread
    printhwnd("xid", static_cast<HWND>(GetPropA(hwnd, "__wine_x11_whole_window")));
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (classname(c) == "Static" && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            printhwnd("iconcontrol", c);
        } else if (GetDlgCtrlID(c) == messageboxtextid) {
            std::printf("message=%s\n", texthex(c).c_str());
        } else if (classname(c) == "Edit") {
            std::printf("edit=%s\n", texthex(c).c_str());
        }
    }
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
    for (HANDLE h : {done, map}) {
        if (h) {
            CloseHandle(h);
        }
    }
    return ok;
}

int fail(const char* what) {
    std::fprintf(stderr, "driver: %s\n", what);
    return 1;
}

int run(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    auto need = [argc](int n) { return argc >= n + 2; };
    auto arg = [argv](int i) { return argv[i + 1]; };
    auto hwndarg = [argv](int i) { return handle(argv[i + 1]); };
    auto intarg = [argv](int i) { return static_cast<int>(number(argv[i + 1])); };
    auto timeoutarg = [argc, argv](int i) {
        return argc > i + 1 ? static_cast<DWORD>(number(argv[i + 1])) : defaulttimeout;
    };
    auto posted = [](HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
        return hwnd && PostMessageA(hwnd, msg, wparam, lparam) ? 0 : fail("cannot post");
    };
    Match match;

    if (cmd == "find" && need(2) && matcher(arg(1), arg(2), match)) {
        // find KIND ARG [TIMEOUT]: waits for such a window and describes the first.
        std::vector<HWND> found;
        if (!waitfor(timeoutarg(3), [&] { return !(found = toplevel(match)).empty(); })) {
            return fail("no such window");
        }
        describe(found.front());
        return 0;
    }
    if (cmd == "count" && need(2) && matcher(arg(1), arg(2), match)) {
        std::printf("count=%zu\n", toplevel(match).size());
        return 0;
    }
    if ((cmd == "window" || cmd == "item") && need(cmd == "item" ? 2 : 1)) {
        HWND hwnd = cmd == "item" ? GetDlgItem(hwndarg(1), intarg(2)) : hwndarg(1);
        if (!IsWindow(hwnd)) {
            return fail("no such window");
        }
        describe(hwnd);
        return 0;
    }
    if (cmd == "settext" && need(3)) {
        // settext WINDOW ID HEX: the text of item ID (the window itself for 0).
        HWND target = intarg(2) ? GetDlgItem(hwndarg(1), intarg(2)) : hwndarg(1);
        std::string text = unhex(arg(3));
        DWORD_PTR result = 0;
        if (!target ||
            !SendMessageTimeoutA(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                 SMTO_ABORTIFHUNG, sendtimeout, &result)) {
            return fail("WM_SETTEXT failed");
        }
        return 0;
    }
    if (cmd == "click" && need(2)) {
        return posted(GetDlgItem(hwndarg(1), intarg(2)), BM_CLICK, 0, 0);
    }
    if (cmd == "command" && need(2)) {
        return posted(hwndarg(1), WM_COMMAND, MAKEWPARAM(intarg(2), argc > 4 ? intarg(3) : 0), 0);
    }
    if ((cmd == "post" || cmd == "send") && need(4)) {
        const auto msg = static_cast<UINT>(number(arg(2)));
        const auto wparam = static_cast<WPARAM>(number(arg(3)));
        const auto lparam = static_cast<LPARAM>(number(arg(4)));
        if (cmd == "post") {
            return posted(hwndarg(1), msg, wparam, lparam);
        }
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(hwndarg(1), msg, wparam, lparam, SMTO_ABORTIFHUNG, sendtimeout,
                                 &result)) {
            return fail("no answer");
        }
        std::printf("result=%lld\n", static_cast<long long>(result));
        return 0;
    }
    if (cmd == "key" && need(2)) {
        // A key press as the keyboard delivers it: to the focus window of the dialog's thread.
        HWND target = focusof(hwndarg(1));
        target = target ? target : hwndarg(1);
        const auto vk = static_cast<WPARAM>(number(arg(2)));
        const LPARAM scan =
            static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC)) << 16;
        constexpr LPARAM keyupbits = static_cast<LPARAM>(0xC0000000u);
        const int down = posted(target, WM_KEYDOWN, vk, scan | 1);
        return down != 0 ? down : posted(target, WM_KEYUP, vk, scan | 1 | keyupbits);
    }
    if (cmd == "wait-gone" && need(1)) {
        return waitfor(timeoutarg(2), [&] { return !IsWindow(hwndarg(1)); })
                   ? 0
                   : fail("window still there");
    }
    if (cmd == "wait-idle" && need(1)) {
        // The end of a conversion: start button enabled again and the status text empty.
        HWND dlg = hwndarg(1);
        std::string status;
        return waitfor(timeoutarg(2),
                       [&] {
                           return IsWindowEnabled(GetDlgItem(dlg, IDC_START)) &&
                                  windowtext(GetDlgItem(dlg, IDC_STATUS), status) && status.empty();
                       })
                   ? 0
                   : fail("dialog not idle");
    }
    if ((cmd == "probe" || cmd == "sync") && need(1)) {
        // probe WINDOW QUERY [TARGET]: asks inside the program. sync WINDOW [TIMEOUT]: returns
        // once the window's thread has dispatched every message posted to it before (posted
        // messages are retrieved in order, also by modal loops).
        const std::string query = cmd == "probe" && need(2) ? arg(2) : "ping";
        const ProbeQuery q = query == "sysmenu"      ? probesysmenu
                             : query == "menu"       ? probemenu
                             : query == "icons"      ? probewndicons
                             : query == "staticicon" ? probestaticicon
                             : query == "ping"       ? probeping
                                                     : ProbeQuery(0);
        HWND target = cmd == "probe" && argc > 4 ? hwndarg(3) : hwndarg(1);
        std::string answer;
        if (q == 0 ||
            !probe(hwndarg(1), q, target, answer, cmd == "sync" ? timeoutarg(2) : sendtimeout)) {
            return fail("probe failed");
        }
        std::fputs(cmd == "probe" ? answer.c_str() : "", stdout);
        return 0;
    }
    if (cmd == "screen") {
        RECT work = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        std::printf("screen=%d,%d\nworkarea=%ld,%ld,%ld,%ld\n", GetSystemMetrics(SM_CXSCREEN),
                    GetSystemMetrics(SM_CYSCREEN), work.left, work.top, work.right, work.bottom);
        return 0;
    }
    std::fputs("usage: sonorm-driver COMMAND ARGS (see tests/app/driver/Driver.cpp)\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    int status = run(argc, argv);
    std::fflush(stdout);
    return status;
}
