// Texts of failures: the engine's report, composed from the string table exactly as the
// program's message box shows it (with its bracketed code suffix), and the system's text of a
// file-system error.
#ifndef SONORM_CLI_REPORTTEXT_H
#define SONORM_CLI_REPORTTEXT_H

#include "Result.h"

#include <string>
#include <system_error>

// Empty when result holds no failure. Safe to call from several threads.
std::string reporttext(const Result& result);
std::string errortext(const std::error_code& error);
// text with its line breaks taken out (a system text may end in one), for one-line entries.
std::string oneline(const std::string& text);

#endif
