#include "DlgProc.h"

#include "App.h"

namespace {

constexpr WORD anylanguage = 0;

DlgObject* boundobject(HWND dlg) {
    return reinterpret_cast<DlgObject*>(GetWindowLongPtrA(dlg, DWLP_USER));
}

// Set by another party before the first message: such an object is not attached or detached.
LONG_PTR presetobject(HWND dlg) {
    return GetWindowLongPtrA(dlg, GWLP_USERDATA);
}

} // namespace

INT_PTR CALLBACK nulldlgproc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

INT_PTR CALLBACK routedlgproc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
    DlgObject* object = boundobject(dlg);
    if (object == nullptr) {
        return 0;
    }
    INT_PTR result = 0;
    try {
        result = object->handlemessage(dlg, msg, wparam, lparam);
    } catch (...) {
        result = 0;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(dlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&nulldlgproc));
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        if (presetobject(dlg) == 0) {
            // May delete the object (a modal dialog's last reference): not touched afterwards.
            try {
                object->notify(WndObject::detach, reinterpret_cast<void*>(WM_NCDESTROY));
            } catch (...) {
            }
        }
    }
    return result;
}

INT_PTR binddialog(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam, DlgFactory create,
                   int modeflag) {
    auto* object = reinterpret_cast<DlgObject*>(presetobject(dlg));
    if (object == nullptr) {
        object = create();
        if (object == nullptr) {
            // Nothing bound: the next message tries again.
            return msg == WM_INITDIALOG ? 1 : 0;
        }
        try {
            object->notify(WndObject::attach, dlg);
        } catch (...) {
        }
    }
    SetLastError(0);
    SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(object));
    SetWindowLongPtrA(dlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&routedlgproc));
    try {
        object->notify(WndObject::setmodeless,
                       reinterpret_cast<void*>(static_cast<INT_PTR>(modeflag)));
    } catch (...) {
    }
    return routedlgproc(dlg, msg, wparam, lparam);
}

const DLGTEMPLATE* loaddialogtemplate(unsigned id) {
    const HINSTANCE module = appptr != nullptr ? appptr->hinst : nullptr;
    const HRSRC res = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(id), anylanguage);
    if (res == nullptr) {
        return nullptr;
    }
    const HGLOBAL loaded = LoadResource(module, res);
    if (loaded == nullptr) {
        return nullptr;
    }
    return static_cast<const DLGTEMPLATE*>(LockResource(loaded));
}
