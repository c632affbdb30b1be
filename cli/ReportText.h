// Texts of failures: the engine's report, composed from the string table as the program's
// message box shows it (with its bracketed code suffix; in English the suffix is always set off
// by a blank), and the system's text of a file-system error.
#ifndef SONORM_CLI_REPORTTEXT_H
#define SONORM_CLI_REPORTTEXT_H

#include "Result.h"

#include <string>
#include <system_error>

// Empty when result holds no failure. Safe to call from several threads.
std::string reporttext(const Result& result);
std::string errortext(const std::error_code& error);
// text on one line, for the tool's output: each line break (a system text may hold one, as
// Windows's do at their end) becomes a blank, unless a blank is already beside it or it is at
// either end.
std::string oneline(const std::string& text);

#endif
