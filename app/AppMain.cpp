#include "AppMain.h"

#include "MainLoop.h"
#include "SonormApp.h"

int appmain(HINSTANCE instance, int showcmd, bool initcommoncontrols) {
    // Automatic objects: the loop goes before the application object, also when run throws.
    SonormApp app(instance, initcommoncontrols);
    MainLoop loop;
    return loop.MainLoop::run(showcmd);
}
