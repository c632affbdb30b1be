// A file name as text output shows it: one name stays one line and cannot drive the terminal.
#ifndef SONORM_CLI_QUOTEDNAME_H
#define SONORM_CLI_QUOTEDNAME_H

#include <string>

// name itself when it holds no control character (C0 or DEL); else quoted for a POSIX shell as
// the GNU tools' shell-escape style does: plain runs in '...', control characters as $'\n',
// $'\033', and a ' as \'. Stepped by characters of the native encoding, so a double-byte
// character (whose second byte may be a backslash in code page 932) stays whole.
std::string quotedname(const std::string& name);

#endif
