// Settings key access (read and delete only) and restoring a window's saved placement.
#ifndef TESSEL_REGISTRY_H
#define TESSEL_REGISTRY_H

#include "RegPath.h"

#include <windows.h>

// Value names of the saved main-window position (REG_DWORD each).
constexpr const char* posmaximizedname = "MainWindowPos.bmaximized";
constexpr const char* posleftname = "MainWindowPos.left";
constexpr const char* postopname = "MainWindowPos.top";
constexpr const char* posrightname = "MainWindowPos.right";
constexpr const char* posbottomname = "MainWindowPos.bottom";

// An open key handle, not owned: close it with closeregkey.
struct RegKey {
    HKEY key;

    // A REG_DWORD value (at most four bytes); out written only on success.
    bool readdword(const char* name, DWORD& out) const;
    // readdword, out = value != 0.
    bool readbool(const char* name, bool& out) const;
};

inline bool readdword(RegKey key, const char* name, DWORD& out) {
    return key.readdword(name, out);
}

inline bool readbool(RegKey key, const char* name, bool& out) {
    return key.readbool(name, out);
}

// RegOpenKeyExA for reading; null on failure.
HKEY openregkey(HKEY root, const char* path);
// The key "Software\c1[\c2[\c3[\c4]]]"; null when missing or the path does not fit.
HKEY openappkey(HKEY root, const char* c1, const char* c2 = nullptr, const char* c3 = nullptr,
                const char* c4 = nullptr);
LONG closeregkey(HKEY key);
// Deletes the key and everything below it, depth first; false when anything stays.
bool delregtree(HKEY root, const char* path);
// delregtree, then each parent that is left without sub-keys and values. True only when every
// component up to the first was deleted; the walk stops at the first parent that is not empty.
bool delregkey(HKEY root, const char* path);
// delregkey on "Software\c1[\c2[\c3[\c4]]]"; false when the path does not fit.
bool delappkey(HKEY root, const char* c1, const char* c2 = nullptr, const char* c3 = nullptr,
               const char* c4 = nullptr);

// Reads the maximized flag and the four edges; a missing value leaves its target unchanged.
// alledges (when given) tells whether all four edges were read. False only for a null key.
bool readwndpos(RegKey key, RECT& rect, bool& maximized, bool* alledges = nullptr);
// Applies the saved normal rectangle when all four edges were read and enough of it is on the
// primary screen; when the saved state is maximized, turns SW_SHOWNORMAL, SW_SHOW and
// SW_SHOWDEFAULT in *showcmd (may be null) into SW_SHOWMAXIMIZED. Does not show the window.
bool restorewndpos(HWND wnd, int* showcmd, HKEY key);

#endif
