// Steps one character of the system's narrow (ANSI) code page: one byte, or two for a
// double-byte character, so that a second byte is never mistaken for a separator or quote.
#ifndef TESSEL_CHARSTEP_H
#define TESSEL_CHARSTEP_H

// The position of the next character after p; p itself at the terminating NUL. A lead byte
// followed by NUL counts as one byte. Windows: CharNextA. Elsewhere: code page 932 rules
// (lead bytes 0x81-0x9F and 0xE0-0xFC).
const char* charnext(const char* p);

inline char* charnext(char* p) {
    return const_cast<char*>(charnext(static_cast<const char*>(p)));
}

#endif
