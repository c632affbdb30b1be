// Composition of the failure report shown to the user: the text of the code's string, or the
// system's text for the error number, then the suffix "[facility,number,kind,syserr]".
#ifndef SONORM_ERRORREPORT_H
#define SONORM_ERRORREPORT_H

#include "Result.h"

#include <cstddef>

constexpr std::size_t reportsize = 1024;

// Loads string-table entry id into buf (size bytes, terminator included) as LoadStringA does;
// returns the length copied, 0 when there is no such string.
using StringLoader = int (*)(void* context, unsigned id, char* buf, int size);

// Composes the report for result into buf (reportsize bytes). False, with buf empty, when
// result holds no failure. severe is set from the code table (stop icon when true).
bool composereport(const Result& result, StringLoader load, void* context, char* buf, bool& severe);

// Writes text, one blank when blank is set, and suffix into buf (reportsize bytes). A text too
// long for the rest is cut at a character boundary, so the suffix is never lost.
void fitreport(char* buf, const char* text, bool blank, const char* suffix);

#endif
