// The help command: the text file named after the executable, opened through the shell.
#ifndef SONORM_HELPCOMMAND_H
#define SONORM_HELPCOMMAND_H

#include <windows.h>

// Asks the shell to open "<moddir>\<modname>.txt" with the program it associates with text
// files. Nothing is reported when that fails; a path that does not fit is not opened.
void openhelptext(HWND owner);

#endif
