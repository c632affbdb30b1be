// The report of a failed conversion as one message box.
#ifndef TESSEL_SHOWRESULT_H
#define TESSEL_SHOWRESULT_H

#include "Result.h"

#include <windows.h>

// Shows the text of result's code (or the system's text) with its "[f,n,k,e]" suffix, owned by
// owner, captioned with the application name, with the stop icon when the code is severe and
// the warning icon otherwise. Nothing when result holds no failure.
void showresult(const Result& result, HWND owner);

#endif
