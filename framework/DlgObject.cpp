#include "DlgObject.h"

#include "App.h"

DlgObject::DlgObject() {
    defproc = DefDlgProcA;
}

DlgObject::~DlgObject() = default;

int DlgObject::notify(int code, void* data) {
    switch (code) {
    case attach:
        // The window holds no reference of its own: the count stays as it was.
        WndObject::notify(attach, data);
        return notify(release, nullptr);
    case detach:
        // Needs hwnd to find the loop, so before the handle is cleared.
        if (modeless && appptr != nullptr) {
            appptr->removemodelesswindow(this);
        }
        return WndObject::notify(detach, data);
    case setmodeless:
        modeless = data != nullptr;
        if (modeless) {
            notify(addref, nullptr);
            if (appptr != nullptr) {
                appptr->addmodelesswindow(this);
            }
        }
        return 0;
    case pretranslate:
        return IsDialogMessageA(hwnd, static_cast<MSG*>(data)) ? handled : 0;
    default:
        return WndObject::notify(code, data);
    }
}

INT_PTR DlgObject::handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        return 1;
    case WM_COMMAND: {
        const WORD id = LOWORD(wparam);
        if (id != IDOK && id != IDCANCEL) {
            return 0;
        }
        if (modeless) {
            DestroyWindow(dlg);
        } else {
            EndDialog(dlg, id);
        }
        return 1;
    }
    default:
        return 0;
    }
}
