#include "WinTestSupport.h"

#include <set>

namespace {

constexpr UINT pollms = 30;
constexpr int messageboxtextid = 0xFFFF;

struct Watch {
    std::set<HWND> before; // dialogs of this thread before the action
    bool armed = false;    // the action runs: look for a new one
    HWND found = nullptr;  // the first new visible one
    ModalSeen seen;
    std::function<void(HWND)> onfound;
    int closeid = IDOK;
};

Watch* active = nullptr;

bool isdialog(HWND wnd) {
    char name[64];
    return GetClassNameA(wnd, name, sizeof name) > 0 && std::string(name) == "#32770";
}

BOOL CALLBACK visitdialog(HWND wnd, LPARAM lparam) {
    Watch& w = *reinterpret_cast<Watch*>(lparam);
    if (!isdialog(wnd)) {
        return TRUE;
    }
    if (!w.armed) {
        w.before.insert(wnd);
    } else if (w.found == nullptr && w.before.count(wnd) == 0 && IsWindowVisible(wnd)) {
        w.found = wnd;
    }
    return TRUE;
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

std::string windowtext(HWND wnd) {
    char text[2048];
    const int n = GetWindowTextA(wnd, text, sizeof text);
    return std::string(text, static_cast<std::size_t>(n > 0 ? n : 0));
}

void CALLBACK poll(HWND, UINT, UINT_PTR, DWORD) {
    Watch* w = active;
    if (w == nullptr || w->seen.found) {
        return;
    }
    EnumThreadWindows(GetCurrentThreadId(), visitdialog, reinterpret_cast<LPARAM>(w));
    if (w->found == nullptr) {
        return;
    }
    HWND wnd = w->found;
    ModalSeen& seen = w->seen;
    seen.found = true;
    seen.caption = windowtext(wnd);
    seen.owner = GetWindow(wnd, GW_OWNER);
    if (HWND text = GetDlgItem(wnd, messageboxtextid)) {
        seen.text = windowtext(text);
    }
    EnumChildWindows(wnd, findicon, reinterpret_cast<LPARAM>(&seen.icon));
    if (w->onfound) {
        w->onfound(wnd);
    }
    PostMessageA(wnd, WM_COMMAND, static_cast<WPARAM>(w->closeid), 0);
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

ModalSeen watchmodal(const std::function<void()>& action, const std::function<void(HWND)>& onfound,
                     int closeid) {
    Watch watch;
    EnumThreadWindows(GetCurrentThreadId(), visitdialog, reinterpret_cast<LPARAM>(&watch));
    watch.armed = true;
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
