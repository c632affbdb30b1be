// Entry point of Sonorm.exe.
#include "AppMain.h"

#include <windows.h>

namespace {

// Exit code of a run that an exception ended (out of memory while starting).
constexpr int exitfailure = 1;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showcmd) {
    // The command line is read by the application object itself.
    try {
        return appmain(instance, showcmd, true);
    } catch (...) {
        // Caught here so that the objects already built are destroyed on the way out.
        return exitfailure;
    }
}
