#include "ProcessCmdLine.h"

#include <windows.h>

const char* processcmdline() {
    return GetCommandLineA();
}
