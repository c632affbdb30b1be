#include "FileDialog.h"

#include <cstring>

namespace {

constexpr DWORD customisationflags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE;

} // namespace

void initopenfilename(OPENFILENAMEA* ofn, HWND owner, char* file, DWORD filesize) {
    std::memset(ofn, 0, sizeof *ofn);
    // The record without the Windows 2000 fields: 76 bytes on 32-bit, 136 on 64-bit Windows.
    ofn->lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn->hwndOwner = owner;
    ofn->lpstrFile = file;
    ofn->nMaxFile = filesize;
    ofn->Flags = OFN_EXPLORER;
}

int choosefilename(OPENFILENAMEA* ofn, DWORD* error, bool save) {
    ofn->lpTemplateName = nullptr;
    ofn->hInstance = nullptr;
    ofn->lpfnHook = nullptr;
    ofn->Flags &= ~customisationflags;
    const BOOL chosen = save ? GetSaveFileNameA(ofn) : GetOpenFileNameA(ofn);
    if (chosen) {
        return filechosen;
    }
    const DWORD code = CommDlgExtendedError();
    if (code == 0) {
        return filecancelled;
    }
    if (error != nullptr) {
        *error = code;
    }
    return filefailed;
}
