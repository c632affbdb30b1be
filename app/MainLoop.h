// The message loop of the program's only thread: creates and shows the main dialog, then runs.
#ifndef SONORM_MAINLOOP_H
#define SONORM_MAINLOOP_H

#include "MsgLoop.h"

class MainLoop : public MsgLoop {
public:
    // Creates the main dialog modeless from its template and shows it, runs the loop until the
    // quit message and returns its code; 0 when the dialog could not be created.
    int run(int showcmd) override;
};

#endif
