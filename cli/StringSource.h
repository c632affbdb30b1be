// Where the tool takes the string-table texts from: natively the compiled-in UTF-8 table,
// on Windows the executable's own resources through LoadStringA (ANSI code page).
#ifndef SONORM_CLI_STRINGSOURCE_H
#define SONORM_CLI_STRINGSOURCE_H

#include <string>

// StringLoader for composereport: copies string id into buf (size bytes, terminator included),
// cut to fit; returns the length copied, 0 when there is no such string. context is unused.
int loadstringtext(void* context, unsigned id, char* buf, int size);

// The whole text of string id, empty when there is none.
std::string stringtextof(unsigned id);

#endif
