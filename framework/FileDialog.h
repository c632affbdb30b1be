// The open/save file-name common dialog.
#ifndef TESSEL_FILEDIALOG_H
#define TESSEL_FILEDIALOG_H

#include <windows.h>

#include <commdlg.h>

// Results of choosefilename.
constexpr int filechosen = 1;
constexpr int filecancelled = 2;
constexpr int filefailed = 3;

// Zeroes ofn and sets the record size (without the Windows 2000 fields), the owner, the name
// buffer and its size in bytes, and OFN_EXPLORER. The caller adds flags, filter, extension.
void initopenfilename(OPENFILENAMEA* ofn, HWND owner, char* file, DWORD filesize);

// Clears any hook or custom template, then runs the save (save true) or open dialog.
// filechosen, filecancelled, or filefailed with the extended error stored through error.
int choosefilename(OPENFILENAMEA* ofn, DWORD* error, bool save);

#endif
