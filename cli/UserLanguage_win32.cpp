#include "UserLanguage.h"

#include "SystemText.h"

#include <windows.h>

Language userlanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::japanese
                                                                      : Language::english;
}

// FormatMessage gives the user's language unless told otherwise.
void usesystemtexts(Language language) {
    if (language == Language::english) {
        systemtextsinenglish();
    }
}
