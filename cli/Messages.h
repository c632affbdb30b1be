// The language sonorm-cli speaks and its texts in it (Messages.def, the one source of both
// languages). The language is chosen once at start (UserLanguage.h), before any thread runs.
#ifndef SONORM_CLI_MESSAGES_H
#define SONORM_CLI_MESSAGES_H

#include <string>
#include <vector>

enum class Language { english, japanese };

enum class Message {
#define SONORM_MESSAGE(name, english, japanese) name,
#include "Messages.def"
#undef SONORM_MESSAGE
};

void setlanguage(Language language);
Language currentlanguage();

// The text of message in the current language, in the native encoding (the ANSI code page on
// Windows), with %1, %2, ... replaced by arguments in that order and each {one|other} by the
// form for the count put in just before it.
std::string say(Message message, const std::vector<std::string>& arguments = {});

// The string-table entry id in the current language: natively UTF-8, on Windows the ANSI code
// page (the Japanese from the executable's own resources, as the program shows it).
std::string tabletext(unsigned id);
// A StringLoader (ErrorReport.h) of the string table in the current language; buf holds at
// least one byte, as composereport's buffer does.
int loadtabletext(void* context, unsigned id, char* buf, int size);

#endif
