// Helpers of the framework's Windows tests: code page conversion, and reading and closing the
// modal window (message box, file dialog) that an action opens on this thread.
#ifndef TESSEL_WINTESTSUPPORT_H
#define TESSEL_WINTESTSUPPORT_H

#include <windows.h>

#include <functional>
#include <string>

// A UTF-8 text in the ANSI code page (932 under the test session).
std::string acp(const char* utf8);

// What was read from the modal window.
struct ModalSeen {
    bool found = false;
    std::string text; // static control 0xFFFF (a message box's text)
    std::string caption;
    HWND owner = nullptr;
    HICON icon = nullptr; // the first icon static
};

// Runs action, which opens a modal window on this thread. A thread timer, served by the modal
// loop, finds the first new visible dialog-class window, records it, calls onfound (if given)
// and then closes it with command closeid (posted WM_COMMAND). The timer is removed at the end.
ModalSeen watchmodal(const std::function<void()>& action,
                     const std::function<void(HWND)>& onfound = nullptr, int closeid = IDOK);

#endif
