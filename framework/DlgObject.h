// Framework object of a dialog: receives every dialog message through handlemessage and
// supplies the default dialog behaviour.
#ifndef TESSEL_DLGOBJECT_H
#define TESSEL_DLGOBJECT_H

#include "WndObject.h"

class DlgObject : public WndObject {
public:
    DlgObject();
    int notify(int code, void* data) override;
    ~DlgObject() override;
    // Dialog-procedure result; non-zero means processed. Default: 1 for WM_INITDIALOG; IDOK and
    // IDCANCEL end the dialog (DestroyWindow when modeless, EndDialog otherwise) and give 1;
    // 0 for everything else.
    virtual INT_PTR handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam);

    bool modeless = false;
};

#endif
