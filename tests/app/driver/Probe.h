// Protocol between the test driver and its probe hook. Wine answers menu and icon queries only
// inside the process that owns them, so the driver hooks the program's thread (WH_GETMESSAGE),
// posts it a query and reads the answer from shared memory.
#ifndef SONORM_TEST_PROBE_H
#define SONORM_TEST_PROBE_H

#include <windows.h>

#include <cstddef>

constexpr const char* probemessagename = "SonormDriverProbe";
constexpr const char* proberesultname = "SonormDriverProbeResult";
constexpr const char* probedonename = "SonormDriverProbeDone";
constexpr const char* probehookname = "probehook";
constexpr std::size_t proberesultsize = 8192;

// wParam of the query message; lParam is the window to inspect.
enum ProbeQuery : WPARAM {
    probesysmenu = 1,    // ids of the window's system menu items
    probemenu = 2,       // the window's menu bar, item by item
    probewndicons = 3,   // big and small icon of the window, named
    probestaticicon = 4, // icon shown by a SS_ICON static control, named
    probeping = 5,       // nothing: answered once every message posted before it is dispatched
};

#endif
