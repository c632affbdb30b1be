#include "AboutDialog.h"

#include "App.h"
#include "DlgProc.h"
#include "ResourceIds.h"
#include "Version.h"

#include <cstdio>

namespace {

constexpr std::size_t versiontextsize = 1024;
constexpr const char* versionformat = SONORM_VERSION_FORMAT;

} // namespace

INT_PTR AboutDialog::handlemessage(HWND dlg, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_INITDIALOG) {
        // snprintf cuts a longer text to versiontextsize - 1 characters.
        char text[versiontextsize];
        std::snprintf(text, sizeof text, versionformat, appptr->product, appptr->fileversion,
                      appptr->legal);
        SetDlgItemTextA(dlg, IDC_ABOUT_TEXT, text);
        return 1;
    }
    // OK, Enter, Esc and the close box end the dialog through the default handling.
    return DlgObject::handlemessage(dlg, msg, wparam, lparam);
}

void AboutDialog::show(HWND owner) {
    // The result is of no interest: the dialog only informs.
    DialogBoxIndirectParamA(appptr->hinst, loaddialogtemplate(IDD_ABOUT), owner,
                            binddlgproc<AboutDialog, dlgmodal>, 0);
}
