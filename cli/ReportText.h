// The text of a failed conversion, composed by the engine from the string table exactly as the
// program's message box shows it (including the bracketed code suffix).
#ifndef SONORM_CLI_REPORTTEXT_H
#define SONORM_CLI_REPORTTEXT_H

#include "Result.h"

#include <string>

// Empty when result holds no failure. Safe to call from several threads.
std::string reporttext(const Result& result);
// text with its line breaks taken out (a system text may end in one), for one-line entries.
std::string oneline(const std::string& text);

#endif
