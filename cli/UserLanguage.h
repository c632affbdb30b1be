// The user's language, as the platform tells it: natively the locale variables (LC_ALL, else
// LC_MESSAGES, else LANG, the first one set decides, by its language code: the part before "_",
// "." or "@"), on Windows the user's display language. Japanese when it is Japanese, else English.
#ifndef SONORM_CLI_USERLANGUAGE_H
#define SONORM_CLI_USERLANGUAGE_H

#include "Messages.h"

Language userlanguage();

// Makes the system's own error texts (strerror, FormatMessage) speak language where the
// platform has them in it. Call once, before any other thread starts.
void usesystemtexts(Language language);

#endif
