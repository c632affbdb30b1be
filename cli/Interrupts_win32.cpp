#include "Interrupts.h"

#include <windows.h>

namespace {

void (*registered)() = nullptr;

// Runs on a thread the system starts for the event.
BOOL WINAPI oncontrol(DWORD) {
    registered();
    ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}

} // namespace

void catchinterrupts(void (*cleanup)()) {
    registered = cleanup;
    SetConsoleCtrlHandler(oncontrol, TRUE);
}
