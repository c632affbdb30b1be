#include "MainLoop.h"

#include "App.h"
#include "DlgProc.h"
#include "MainDialog.h"
#include "ResourceIds.h"

int MainLoop::run(int showcmd) {
    // A missing template gives null, and the creation below fails on it.
    const DLGTEMPLATE* dlgtemplate = loaddialogtemplate(IDD_MAIN);
    // WM_INITDIALOG receives the address of showcmd; restoring a maximized placement may change
    // the value, which is not used afterwards: the dialog is always shown plainly.
    HWND dlg = CreateDialogIndirectParamA(appptr->hinst, dlgtemplate, nullptr,
                                          binddlgproc<MainDialog, dlgmodeless>,
                                          reinterpret_cast<LPARAM>(&showcmd));
    if (!dlg) {
        return 0;
    }
    auto* object = reinterpret_cast<DlgObject*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (!object) {
        return 0;
    }
    ShowWindow(object->hwnd, SW_SHOW);
    App::setmainwnd(dlg);
    int result = messageloop();
    // The creation reference is the last one left: the object goes with it.
    object->notify(WndObject::release, nullptr);
    return result;
}
