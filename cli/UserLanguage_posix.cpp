#include "UserLanguage.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <libintl.h>
#include <string>

namespace {
constexpr char japanesecode[] = "ja";
constexpr char codeends[] = "_.@";    // language_TERRITORY.codeset@modifier
constexpr char libcdomain[] = "libc"; // the C library's translations of strerror
} // namespace

Language userlanguage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return std::string(value, std::strcspn(value, codeends)) == japanesecode
                       ? Language::japanese
                       : Language::english;
        }
    }
    return Language::english;
}

// strerror speaks the language of LC_MESSAGES: for English that of the "C" locale, for
// Japanese the user's, with its texts in UTF-8 like every other text the tool prints, whatever
// the character type locale says.
void usesystemtexts(Language language) {
    if (std::setlocale(LC_MESSAGES, language == Language::japanese ? "" : "C") != nullptr) {
        bind_textdomain_codeset(libcdomain, "UTF-8");
    }
}
