// Dialog procedures that bind a framework object to a dialog on its first message and route
// every later message to it, and the loading of dialog templates.
#ifndef TESSEL_DLGPROC_H
#define TESSEL_DLGPROC_H

#include "DlgObject.h"

#include <windows.h>

// Mode flags of binddlgproc: what the object is sent with setmodeless.
constexpr int dlgmodal = 0;    // DialogBoxIndirectParamA
constexpr int dlgmodeless = 1; // CreateDialogIndirectParamA

using DlgFactory = DlgObject* (*)();

// Steady-state procedure of every bound dialog: handlemessage, and teardown at WM_NCDESTROY.
INT_PTR CALLBACK routedlgproc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam);
// Procedure of a torn-down dialog: 0 for every message.
INT_PTR CALLBACK nulldlgproc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam);
// The binding step shared by every binddlgproc instance.
INT_PTR binddialog(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam, DlgFactory create,
                   int modeflag);

// A new object of class T, or null when allocation or construction fails.
template <class T> DlgObject* makedlgobject() {
    try {
        return new T();
    } catch (...) {
        return nullptr;
    }
}

// The procedure to create a dialog of class T with: binddlgproc<MainDialog, dlgmodeless>.
template <class T, int ModeFlag>
INT_PTR CALLBACK binddlgproc(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
    return binddialog(dlg, msg, wparam, lparam, &makedlgobject<T>, ModeFlag);
}

// Dialog template id of the App's module (any language), or null when it is missing.
const DLGTEMPLATE* loaddialogtemplate(unsigned id);

#endif
