#include "WndObject.h"

WndObject::WndObject() : defproc(DefWindowProcA) {}

WndObject::~WndObject() = default;

int WndObject::notify(int code, void* data) {
    switch (code) {
    case addref:
        return ++refcount;
    case release: {
        const int count = --refcount;
        if (count == 0) {
            delete this;
        }
        return count;
    }
    case attach:
        hwnd = static_cast<HWND>(data);
        return notify(addref, nullptr);
    case detach:
        hwnd = nullptr;
        return notify(release, nullptr);
    default:
        return 0;
    }
}

LRESULT WndObject::defaultproc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    return CallWindowProcA(defproc, wnd, msg, wparam, lparam);
}
