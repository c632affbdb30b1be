// The program's run from start to exit code, below the platform's entry point.
#ifndef SONORM_APPMAIN_H
#define SONORM_APPMAIN_H

#include <windows.h>

// Builds the application object and the thread's message loop, runs the main dialog until the
// quit message, tears both down in reverse order and returns the loop's result.
int appmain(HINSTANCE instance, int showcmd, bool initcommoncontrols);

#endif
