// The version dialog: program name, version and rights notice from the version block.
#ifndef SONORM_ABOUTDIALOG_H
#define SONORM_ABOUTDIALOG_H

#include "DlgObject.h"

class AboutDialog : public DlgObject {
public:
    ~AboutDialog() override = default;
    INT_PTR handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) override;

    // Shows the dialog modal to owner and returns when it has been closed.
    static void show(HWND owner);
};

#endif
