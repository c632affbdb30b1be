// The program's application object: the framework's App, under the program's own class.
#ifndef SONORM_SONORMAPP_H
#define SONORM_SONORMAPP_H

#include "App.h"

class SonormApp : public App {
public:
    SonormApp(HINSTANCE instance, bool initcommoncontrols) : App(instance, initcommoncontrols) {}
    ~SonormApp() override = default;
};

#endif
