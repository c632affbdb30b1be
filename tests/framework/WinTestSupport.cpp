#include "WinTestSupport.h"

#include <set>
#include <vector>

namespace {

constexpr UINT pollms = 30;
constexpr int messageboxtextid = 0xFFFF;

struct Watch {
    std::set<HWND> before;
    ModalSeen seen;
    std::function<void(HWND)> onfound;
    int closeid = IDOK;
    bool done = false;
};

Watch* active = nullptr;

BOOL CALLBACK collectdialogs(HWND wnd, LPARAM lparam) {
    char name[64];
    if (GetClassNameA(wnd, name, sizeof name) > 0 && std::string(name) == "#32770") {
        reinterpret_cast<std::vector<HWND>*>(lparam)->push_back(wnd);
    }
    return TRUE;
}

std::vector<HWND> threaddialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), collectdialogs, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK findicon(HWND child, LPARAM lparam) {
    char name[64];
    if (GetClassNameA(child, name, sizeof name) > 0 && lstrcmpiA(name, "Static") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON*>(lparam) =
            reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

void CALLBACK poll(HWND, UINT, UINT_PTR, DWORD) {
    Watch* w = active;
    if (w == nullptr || w->done) {
        return;
    }
    for (HWND wnd : threaddialogs()) {
        if (w->before.count(wnd) != 0 || !IsWindowVisible(wnd)) {
            continue;
        }
        w->done = true;
        ModalSeen& seen = w->seen;
        seen.found = true;
        seen.wnd = wnd;
        seen.caption = windowtext(wnd);
        seen.owner = GetWindow(wnd, GW_OWNER);
        if (HWND text = GetDlgItem(wnd, messageboxtextid)) {
            seen.text = windowtext(text);
        }
        EnumChildWindows(wnd, findicon, reinterpret_cast<LPARAM>(&seen.icon));
        char name[64];
        GetClassNameA(wnd, name, sizeof name);
        seen.classname = name;
        if (w->onfound) {
            w->onfound(wnd);
        }
        PostMessageA(wnd, WM_COMMAND, static_cast<WPARAM>(w->closeid), 0);
        return;
    }
}

} // namespace

std::string acp(const char* utf8) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), units);
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow.data(), bytes, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

std::string windowtext(HWND wnd) {
    char text[2048];
    const int n = GetWindowTextA(wnd, text, sizeof text);
    return std::string(text, static_cast<std::size_t>(n > 0 ? n : 0));
}

ModalSeen watchmodal(const std::function<void()>& action, const std::function<void(HWND)>& onfound,
                     int closeid) {
    Watch watch;
    for (HWND wnd : threaddialogs()) {
        watch.before.insert(wnd);
    }
    watch.onfound = onfound;
    watch.closeid = closeid;
    active = &watch;
    const UINT_PTR timer = SetTimer(nullptr, 0, pollms, poll);
    action();
    KillTimer(nullptr, timer);
    active = nullptr;
    // Drop a timer message that may still be queued.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    return watch.seen;
}
