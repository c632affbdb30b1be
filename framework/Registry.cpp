#include "Registry.h"

#include "KeyNameList.h"
#include "UniqueHandle.h"
#include "WindowFit.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Sub-key name lengths are counted in UTF-16 units; in the narrow code page one unit takes up
// to two bytes, so the name slots are sized for that.
constexpr std::size_t narrowbytesperunit = 2;

long enumeratekey(void* context, unsigned index, char* slot, std::size_t capacity) {
    DWORD length = static_cast<DWORD>(capacity);
    FILETIME written;
    return RegEnumKeyExA(*static_cast<HKEY*>(context), index, slot, &length, nullptr, nullptr,
                         nullptr, &written);
}

bool querycounts(HKEY key, DWORD* subkeys, DWORD* maxnamelength, DWORD* values) {
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, subkeys, maxnamelength, nullptr, values,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

} // namespace

bool RegKey::readdword(const char* name, DWORD& out) const {
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return false;
    }
    out = data;
    return true;
}

bool RegKey::readbool(const char* name, bool& out) const {
    DWORD value = 0;
    if (!readdword(name, value)) {
        return false;
    }
    out = value != 0;
    return true;
}

HKEY openregkey(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

HKEY openappkey(HKEY root, const char* c1, const char* c2, const char* c3, const char* c4) {
    char path[regpathsize];
    if (!makeregpath(path, sizeof path, true, c1, c2, c3, c4)) {
        return nullptr;
    }
    return openregkey(root, path);
}

LONG closeregkey(HKEY key) {
    return RegCloseKey(key);
}

bool delregtree(HKEY root, const char* path) {
    UniqueKey owned(openregkey(root, path));
    HKEY key = owned.get();
    DWORD subkeys = 0;
    DWORD maxlength = 0;
    if (!owned || !querycounts(key, &subkeys, &maxlength, nullptr)) {
        return false;
    }
    bool ready = true;
    if (subkeys != 0) {
        // All names of this level first: deleting shifts the enumeration indexes.
        KeyNameList names;
        ready = names.collect(subkeys, maxlength * narrowbytesperunit, enumeratekey, &key);
        for (unsigned i = 0; ready && i < names.size(); ++i) {
            ready = delregtree(key, names.name(i));
        }
    }
    owned.reset();
    return ready && RegDeleteKeyA(root, path) == ERROR_SUCCESS;
}

bool delregkey(HKEY root, const char* path) {
    if (!delregtree(root, path)) {
        return false;
    }
    const std::size_t n = std::strlen(path) + 1;
    char* parent = static_cast<char*>(std::malloc(n));
    if (parent == nullptr) {
        return false;
    }
    std::memcpy(parent, path, n);
    bool result = false;
    for (;;) {
        char* cut = std::strrchr(parent, '\\');
        if (cut == nullptr) {
            result = true;
            break;
        }
        *cut = '\0';
        UniqueKey key(openregkey(root, parent));
        if (!key) {
            break;
        }
        DWORD subkeys = 0;
        DWORD values = 0;
        const bool counted = querycounts(key.get(), &subkeys, nullptr, &values);
        key.reset();
        // Stop at the first parent that still holds anything.
        if (!counted || subkeys != 0 || values != 0 ||
            RegDeleteKeyA(root, parent) != ERROR_SUCCESS) {
            break;
        }
    }
    std::free(parent);
    return result;
}

bool delappkey(HKEY root, const char* c1, const char* c2, const char* c3, const char* c4) {
    char path[regpathsize];
    if (!makeregpath(path, sizeof path, true, c1, c2, c3, c4)) {
        return false;
    }
    return delregkey(root, path);
}

bool readwndpos(RegKey key, RECT& rect, bool& maximized, bool* alledges) {
    if (key.key == nullptr) {
        return false;
    }
    key.readbool(posmaximizedname, maximized);
    const char* const names[] = {posleftname, postopname, posrightname, posbottomname};
    LONG* const edges[] = {&rect.left, &rect.top, &rect.right, &rect.bottom};
    int read = 0;
    for (int i = 0; i < 4; ++i) {
        DWORD value = 0;
        if (key.readdword(names[i], value)) {
            // The 32 bits taken as a signed number.
            *edges[i] = static_cast<LONG>(static_cast<std::int32_t>(value));
            ++read;
        }
    }
    if (alledges != nullptr) {
        *alledges = read == 4;
    }
    return true;
}

bool restorewndpos(HWND wnd, int* showcmd, HKEY key) {
    bool maximized = false;
    bool alledges = false;
    RECT saved{0, 0, 0, 0};
    if (!readwndpos(RegKey{key}, saved, maximized, &alledges)) {
        return false;
    }
    WINDOWPLACEMENT placement;
    std::memset(&placement, 0, sizeof placement);
    placement.length = sizeof placement;
    if (!GetWindowPlacement(wnd, &placement)) {
        return false;
    }
    const EdgeRect edges{saved.left, saved.top, saved.right, saved.bottom};
    // A rectangle with an edge missing is not used at all.
    if (alledges &&
        acceptsavedrect(edges, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))) {
        placement.rcNormalPosition = saved;
    }
    if (!SetWindowPlacement(wnd, &placement)) {
        return false;
    }
    if (showcmd != nullptr) {
        *showcmd = maximizedshowcmd(*showcmd, maximized);
    }
    return true;
}
