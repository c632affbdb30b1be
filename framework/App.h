// The single application object: module paths, command line, version-block strings, string
// table, message boxes, help, and the registry of the process's message loops.
#ifndef TESSEL_APP_H
#define TESSEL_APP_H

#include "CmdLine.h"
#include "PathText.h"

#include <windows.h>

#include <list>

class MsgLoop;
class WndObject;

class AppBase {
public:
    AppBase();
    virtual ~AppBase();
    AppBase(const AppBase&) = delete;
    AppBase& operator=(const AppBase&) = delete;

    // product when set, otherwise modname; never null.
    virtual const char* getappname() const;

    // A new copy of string-table entry id in the ANSI code page (release with delete[]), or
    // null when the entry is missing or empty.
    char* loadstr(unsigned id) const;
    // MessageBoxA; a null owner means mainwnd, a null caption getappname().
    int msgbox(HWND owner, const char* text, const char* caption, unsigned type) const;
    // msgbox with the text of string-table entry id ("" when there is none).
    int msgboxid(HWND owner, unsigned id, const char* caption, unsigned type) const;
    // WinHelpA on "<moddir>\<modname>.hlp" (">window" appended when given); false when the
    // viewer fails or the path does not fit.
    bool winhelp(HWND wnd, unsigned command, ULONG_PTR data, const char* window) const;
    // Fills the five strings from the version block of "<moddir>\<modname>.exe", value by value
    // falling back to the defaults.
    void readverinfo();

    HINSTANCE hinst = nullptr;
    HWND mainwnd = nullptr;
    char moddir[moddirsize];   // directory of the executable, no trailing "\"
    char modname[modnamesize]; // file name as stored on disk, without its extension
    CmdLine cmdline;
    char* company = nullptr; // owned (malloc); set after readverinfo
    char* internal = nullptr;
    char* fileversion = nullptr;
    char* product = nullptr;
    char* legal = nullptr;
};

class App : public AppBase {
public:
    App(HINSTANCE instance, bool initcommoncontrols);
    ~App() override;

    // Records the program's main window, the default owner of message boxes.
    static void setmainwnd(HWND wnd);

    // Loop registry, each under lock: new entries at the front, removal of the first equal.
    void addloop(MsgLoop* loop);
    void removeloop(MsgLoop* loop);
    // Registers or unregisters a modeless dialog object with the loop of the thread that owns
    // its window; nothing happens when that thread has no loop.
    void addmodelesswindow(WndObject* object);
    void removemodelesswindow(WndObject* object);
    // The most recently registered loop of thread threadid, or null (takes lock).
    MsgLoop* findloop(DWORD threadid);

    CRITICAL_SECTION lock;
    std::list<MsgLoop*> loops;

private:
    // The walk of findloop, for callers that already hold lock.
    MsgLoop* loopofthread(DWORD threadid) const;
};

// The live application object; null before its construction ends and once its destruction
// begins.
extern App* appptr;

// A new heap copy (malloc) of one string value of a version block, or null.
char* getverstr(const void* block, WORD language, WORD codepage, const char* key);

#endif
