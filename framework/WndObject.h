// Reference-counted framework object bound to a window, driven through one notification entry.
#ifndef TESSEL_WNDOBJECT_H
#define TESSEL_WNDOBJECT_H

#include <windows.h>

#include <cstdint>

class WndObject {
public:
    // Notification codes of notify(code, data).
    enum : int {
        addref = 1,       // count += 1; result the new count
        release = 2,      // count -= 1, deleted at 0; result the new count
        attach = 3,       // data: the window handle
        detach = 4,       // unbinds; drops one reference
        setmodeless = 5,  // data: flag 0 or 1 (dialog objects)
        pretranslate = 6, // data: MSG*; answered with handled when consumed
        handled = 7,      // not a code: the answer of a consumed pretranslate
        msgfilter = 8,    // data: MSG* seen by the message-filter hook; non-zero consumes it
    };

    WndObject();
    WndObject(const WndObject&) = delete;
    WndObject& operator=(const WndObject&) = delete;

    virtual int notify(int code, void* data);
    virtual ~WndObject();
    // CallWindowProcA(defproc, ...).
    virtual LRESULT defaultproc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam);

    HWND hwnd = nullptr;
    WNDPROC defproc;
    std::int32_t refcount = 1;
};

#endif
