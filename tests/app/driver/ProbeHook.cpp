// The probe: a WH_GETMESSAGE hook that the driver installs on the program's thread. It answers
// one posted query inside the program's process and hands the text back through shared memory.
#include "Probe.h"

#include <cstdarg>
#include <cstdio>

namespace {

UINT probemessage = 0;

// The answer text, bounded by the shared memory's size. (Plain C only: the hook DLL has no
// C++ runtime of its own in the program's process.)
struct Answer {
    char text[proberesultsize] = {};
    std::size_t used = 0;

    void add(const char* format, ...) {
        va_list args;
        va_start(args, format);
        const int n = std::vsnprintf(text + used, sizeof text - used, format, args);
        va_end(args);
        used = n > 0 && static_cast<std::size_t>(n) < sizeof text - used ? used + n : used;
    }
};

// Names a shared icon by comparing it with the handles this process's loads give back.
const char* iconname(HICON icon) {
    if (!icon) {
        return "none";
    }
    if (icon == LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128))) {
        return "app";
    }
    struct Named {
        LPCSTR id;
        const char* name;
    };
    static const Named system[] = {{IDI_HAND, "hand"},
                                   {IDI_EXCLAMATION, "exclamation"},
                                   {IDI_ASTERISK, "asterisk"},
                                   {IDI_QUESTION, "question"}};
    for (const Named& n : system) {
        if (icon == LoadIconA(nullptr, n.id)) {
            return n.name;
        }
    }
    return "other";
}

// Every item as "item=depth,id,kind" (a pop-up's id is 0), depth first.
void describemenu(Answer& answer, HMENU menu, int depth) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        answer.add("item=%d,%u,%s\n", depth, info.hSubMenu ? 0 : info.wID,
                   (info.fType & MFT_SEPARATOR) ? "separator"
                                                : (info.hSubMenu ? "popup" : "command"));
        if (info.hSubMenu) {
            describemenu(answer, info.hSubMenu, depth + 1);
        }
    }
}

void answerquery(WPARAM query, HWND target) {
    Answer answer;
    switch (query) {
    case probesysmenu: {
        HMENU menu = GetSystemMenu(target, FALSE);
        answer.add("ids=");
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            answer.add("%s%x", i ? "," : "", GetMenuItemID(menu, i));
        }
        answer.add("\n");
        break;
    }
    case probemenu:
        describemenu(answer, GetMenu(target), 0);
        break;
    case probewndicons: {
        auto big = reinterpret_cast<HICON>(SendMessageA(target, WM_GETICON, ICON_BIG, 0));
        auto small = reinterpret_cast<HICON>(SendMessageA(target, WM_GETICON, ICON_SMALL, 0));
        answer.add("big=%s\nsmall=%s\n", iconname(big), iconname(small));
        break;
    }
    case probestaticicon: {
        auto icon = reinterpret_cast<HICON>(SendMessageA(target, STM_GETICON, 0, 0));
        answer.add("icon=%s\n", iconname(icon));
        break;
    }
    case probeping:
        answer.add("pong=1\n");
        break;
    default:
        answer.add("error=unknown query\n");
        break;
    }
    HANDLE map = OpenFileMappingA(FILE_MAP_WRITE, FALSE, proberesultname);
    if (map) {
        auto* view = static_cast<char*>(MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, proberesultsize));
        if (view) {
            lstrcpynA(view, answer.text, static_cast<int>(proberesultsize));
            UnmapViewOfFile(view);
        }
        CloseHandle(map);
    }
    HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, probedonename);
    if (done) {
        SetEvent(done);
        CloseHandle(done);
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    probehook(int code, WPARAM removal, LPARAM lparam) {
    auto* msg = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && removal == PM_REMOVE && probemessage != 0 &&
        msg->message == probemessage) {
        answerquery(msg->wParam, reinterpret_cast<HWND>(msg->lParam));
        // The program itself never sees the query.
        msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, removal, lparam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        probemessage = RegisterWindowMessageA(probemessagename);
    }
    return TRUE;
}
