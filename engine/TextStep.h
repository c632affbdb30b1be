// Stepping through narrow text one character at a time, so text is never cut inside a
// character: Win32 steps double-byte characters of the ANSI code page (CharNextA), POSIX steps
// UTF-8 sequences.
#ifndef SONORM_TEXTSTEP_H
#define SONORM_TEXTSTEP_H

// The start of the character after the one at text; text itself at the terminator.
const char* nextchar(const char* text);

#endif
