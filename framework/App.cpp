#include "App.h"

#include "MsgLoop.h"
#include "StringBlock.h"
#include "UniqueHandle.h"
#include "VersionText.h"
#include "WndObject.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

App* appptr = nullptr;

namespace {

constexpr const char* translationquery = "\\VarFileInfo\\Translation";
constexpr UINT translationpairsize = 2 * sizeof(WORD);

// A malloc copy, as the five strings are released with free.
char* dupheap(const char* text) {
    const std::size_t n = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (copy != nullptr) {
        std::memcpy(copy, text, n);
    }
    return copy;
}

void copybounded(char* dest, std::size_t size, const char* text) {
    const std::size_t n = strnlen(text, size - 1);
    std::memcpy(dest, text, n);
    dest[n] = '\0';
}

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& section) : cs(section) { EnterCriticalSection(&cs); }
    ~Locked() { LeaveCriticalSection(&cs); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& cs;
};

} // namespace

AppBase::AppBase() {
    moddir[0] = '\0';
    modname[0] = '\0';
    const DWORD n = GetModuleFileNameA(nullptr, moddir, moddirsize);
    if (n == 0 || n >= moddirsize) {
        // A path the buffer cannot hold is truncated by the call: use none rather than a wrong one.
        moddir[0] = '\0';
    } else {
        // The name as stored on disk: long form and stored letter case.
        WIN32_FIND_DATAA found;
        found.cFileName[0] = '\0';
        if (UniqueFind(FindFirstFileA(moddir, &found))) {
            copybounded(modname, modnamesize, found.cFileName);
        }
    }
    cutatlast(moddir, pathseparator);
    cutatlast(modname, extseparator);
    cmdline.parsecmdline();
}

AppBase::~AppBase() {
    for (char** field : {&legal, &product, &fileversion, &internal, &company}) {
        std::free(*field);
        *field = nullptr;
    }
    cmdline.clear();
}

const char* AppBase::getappname() const {
    return product != nullptr ? product : modname;
}

char* AppBase::loadstr(unsigned id) const {
    const HRSRC res = FindResourceA(hinst, MAKEINTRESOURCEA(stringblockname(id)), RT_STRING);
    if (res == nullptr) {
        return nullptr;
    }
    const DWORD size = SizeofResource(hinst, res);
    if (size == 0) {
        return nullptr;
    }
    const HGLOBAL loaded = LoadResource(hinst, res);
    if (loaded == nullptr) {
        return nullptr;
    }
    const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
    if (bytes == nullptr) {
        return nullptr;
    }
    std::size_t offset = 0;
    std::size_t count = 0;
    if (!findstringentry(bytes, size, stringblockindex(id), offset, count)) {
        return nullptr;
    }
    const auto* text = reinterpret_cast<const wchar_t*>(bytes + offset);
    const int units = static_cast<int>(count);
    const int m = WideCharToMultiByte(CP_ACP, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (m <= 0) {
        return nullptr;
    }
    char* copy = new (std::nothrow) char[static_cast<std::size_t>(m) + 1];
    if (copy == nullptr) {
        return nullptr;
    }
    if (WideCharToMultiByte(CP_ACP, 0, text, units, copy, m + 1, nullptr, nullptr) != m) {
        delete[] copy;
        return nullptr;
    }
    copy[m] = '\0';
    return copy;
}

int AppBase::msgbox(HWND owner, const char* text, const char* caption, unsigned type) const {
    if (owner == nullptr) {
        owner = mainwnd;
    }
    if (caption == nullptr) {
        caption = getappname();
    }
    return MessageBoxA(owner, text, caption, type);
}

int AppBase::msgboxid(HWND owner, unsigned id, const char* caption, unsigned type) const {
    char* text = loadstr(id);
    const int result = msgbox(owner, text != nullptr ? text : "", caption, type);
    delete[] text;
    return result;
}

bool AppBase::winhelp(HWND wnd, unsigned command, ULONG_PTR data, const char* window) const {
    char path[helppathsize];
    if (!composehelppath(path, sizeof path, moddir, modname, window)) {
        return false;
    }
    return WinHelpA(wnd, path, command, data) != 0;
}

void AppBase::readverinfo() {
    char** const fields[verfieldcount] = {&company, &internal, &fileversion, &product, &legal};
    for (char** field : fields) {
        std::free(*field);
        *field = nullptr;
    }
    // The block is read from "<moddir>\<modname>.exe", not from the module path itself.
    char path[modpathsize];
    if (composefilepath(path, sizeof path, moddir, modname, ".exe")) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        void* block = size != 0 ? std::malloc(size) : nullptr;
        if (block != nullptr) {
            void* translation = nullptr;
            UINT length = 0;
            if (GetFileVersionInfoA(path, 0, size, block) &&
                VerQueryValueA(block, translationquery, &translation, &length) &&
                length >= translationpairsize) {
                // Only the first translation is used.
                const auto* pair = static_cast<const WORD*>(translation);
                for (int f = 0; f < verfieldcount; ++f) {
                    *fields[f] =
                        getverstr(block, pair[0], pair[1], verkey(static_cast<VersionField>(f)));
                }
            }
            std::free(block);
        }
    }
    for (int f = 0; f < verfieldcount; ++f) {
        if (*fields[f] == nullptr) {
            *fields[f] = dupheap(verdefault(static_cast<VersionField>(f), modname));
        }
    }
}

char* getverstr(const void* block, WORD language, WORD codepage, const char* key) {
    char query[verquerysize];
    if (!composeverquery(query, sizeof query, language, codepage, key)) {
        return nullptr;
    }
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block, query, &value, &length)) {
        return nullptr;
    }
    if (length == 0 || value == nullptr) {
        return dupheap("");
    }
    return dupheap(static_cast<const char*>(value));
}

App::App(HINSTANCE instance, bool initcommoncontrols) {
    InitializeCriticalSection(&lock);
    if (initcommoncontrols) {
        InitCommonControls();
    }
    hinst = instance;
    readverinfo();
    appptr = this;
}

App::~App() {
    appptr = nullptr;
    DeleteCriticalSection(&lock);
    // The loops are not owned: only the list entries go.
    loops.clear();
}

void App::setmainwnd(HWND wnd) {
    if (appptr != nullptr) {
        appptr->mainwnd = wnd;
    }
}

void App::addloop(MsgLoop* loop) {
    Locked held(lock);
    loops.push_front(loop);
}

void App::removeloop(MsgLoop* loop) {
    Locked held(lock);
    for (auto it = loops.begin(); it != loops.end(); ++it) {
        if (*it == loop) {
            loops.erase(it);
            return;
        }
    }
}

void App::addmodelesswindow(WndObject* object) {
    const DWORD thread = GetWindowThreadProcessId(object->hwnd, nullptr);
    Locked held(lock);
    if (MsgLoop* loop = loopofthread(thread)) {
        loop->addmodeless(object);
    }
}

void App::removemodelesswindow(WndObject* object) {
    const DWORD thread = GetWindowThreadProcessId(object->hwnd, nullptr);
    Locked held(lock);
    if (MsgLoop* loop = loopofthread(thread)) {
        loop->removemodeless(object);
    }
}

MsgLoop* App::findloop(DWORD threadid) {
    Locked held(lock);
    return loopofthread(threadid);
}

MsgLoop* App::loopofthread(DWORD threadid) const {
    for (MsgLoop* loop : loops) {
        if (loop->threadid == threadid) {
            return loop;
        }
    }
    return nullptr;
}
