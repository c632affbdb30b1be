// The message loop of one user-interface thread: offers queued messages to its modeless
// dialogs, and runs the thread's message-filter hook.
#ifndef TESSEL_MSGLOOP_H
#define TESSEL_MSGLOOP_H

#include <windows.h>

#include <list>

class WndObject;

class MsgLoop {
public:
    // Registers with the App, then installs the thread's WH_MSGFILTER hook.
    MsgLoop();
    // Removes the hook, then unregisters. Listed objects are not notified.
    virtual ~MsgLoop();
    MsgLoop(const MsgLoop&) = delete;
    MsgLoop& operator=(const MsgLoop&) = delete;

    // The program's entry into the loop object; this version does nothing and returns 0.
    virtual int run(int showcmd);
    // Gets, pre-translates, translates and dispatches until WM_QUIT; returns its wParam.
    virtual int messageloop();

    // Offers msg to the modeless dialogs, most recent first; true when one consumed it.
    bool pretranslatemessage(MSG* msg);
    // Front insertion, no duplicate check / removal of the first equal entry.
    void addmodeless(WndObject* object);
    void removemodeless(WndObject* object);
    // Message-filter clients, offered MSGF_DIALOGBOX messages; same list rules.
    void addfilter(WndObject* object);
    void removefilter(WndObject* object);
    // The loop's share of the hook.
    LRESULT filtermessage(int code, WPARAM wparam, LPARAM lparam);

    DWORD threadid;
    HHOOK hook;
    std::list<WndObject*> modelesslist;
    std::list<WndObject*> filterlist;
};

// The WH_MSGFILTER hook procedure of every loop.
LRESULT CALLBACK msgfilterhook(int code, WPARAM wparam, LPARAM lparam);

#endif
