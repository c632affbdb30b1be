#include "Messages.h"

#include "ConsoleIo.h"
#include "StringTable.h"
#include "StringTexts.h"

#include <cstddef>

namespace {

struct MessageText {
    const char* english;
    const char* japanese;
};

constexpr MessageText messagetexts[] = {
#define SONORM_MESSAGE(name, english, japanese) {english, japanese},
#include "Messages.def"
#undef SONORM_MESSAGE
};

Language language = Language::english;

} // namespace

void setlanguage(Language chosen) {
    language = chosen;
}

Language currentlanguage() {
    return language;
}

std::string say(Message message, const std::vector<std::string>& arguments) {
    const MessageText& texts = messagetexts[static_cast<std::size_t>(message)];
    const std::string pattern =
        language == Language::japanese ? fromutf8(texts.japanese) : texts.english;
    std::string text;
    // The argument put in last, which a {one|other} follows; English only: in code page 932 a
    // second byte may be a brace or a bar.
    const std::string* counted = nullptr;
    const bool forms = language == Language::english;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        std::size_t argument = i + 1 < pattern.size() && pattern[i] == '%'
                                   ? static_cast<std::size_t>(pattern[i + 1] - '1')
                                   : arguments.size();
        const bool choice = forms && pattern[i] == '{' && counted != nullptr;
        const std::size_t bar = choice ? pattern.find('|', i) : pattern.npos;
        const std::size_t end = choice ? pattern.find('}', i) : pattern.npos;
        if (argument < arguments.size()) {
            counted = &arguments[argument];
            text += *counted;
            ++i;
        } else if (bar < end && end != pattern.npos) {
            text += *counted == "1" ? pattern.substr(i + 1, bar - i - 1)
                                    : pattern.substr(bar + 1, end - bar - 1);
            i = end;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::string tabletext(unsigned id) {
    if (language == Language::japanese) {
        return stringtableentry(id);
    }
    const char* english = englishtext(id);
    return english != nullptr ? english : "";
}

int loadtabletext(void* context, unsigned id, char* buf, int size) {
    if (language == Language::japanese) {
        return loadstringtable(context, id, buf, size);
    }
    return putstringtable(englishtext(id), buf, size);
}
