// The running program's string table as the reports load it: natively the compiled-in UTF-8
// texts, on Windows the executable's own resources (LoadStringA, in the ANSI code page).
#ifndef SONORM_STRINGTABLE_H
#define SONORM_STRINGTABLE_H

#include <string>

// A StringLoader for composereport: string id into buf (size bytes with the terminator), cut to
// fit; the length copied, 0 when there is no such string. context is unused.
int loadstringtable(void* context, unsigned id, char* buf, int size);

// text (nullptr: none) into buf as loadstringtable gives it: cut to size - 1 bytes, terminated;
// the length copied, 0 when buf cannot hold anything.
int putstringtable(const char* text, char* buf, int size);

// The whole text of string id; empty when there is none.
std::string stringtableentry(unsigned id);

#endif
