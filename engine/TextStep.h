// Stepping through text in the program's own narrow encoding one character at a time, so text
// is never cut inside a character: UTF-8 natively (the string table and system texts are UTF-8
// there), the ANSI code page on Windows (CharNextA). The framework's nextansichar differs
// natively on purpose: it steps code-page-932 command lines even where the platform is UTF-8.
#ifndef SONORM_TEXTSTEP_H
#define SONORM_TEXTSTEP_H

// The start of the character after the one at text; text itself at the terminator.
const char* nextnativechar(const char* text);

#endif
