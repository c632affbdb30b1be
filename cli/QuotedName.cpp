#include "QuotedName.h"

#include "TextStep.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned char firstprintable = 0x20;
constexpr unsigned char deletechar = 0x7F;
// Control characters with a letter escape; every other one is written in three octal digits.
constexpr char lettered[] = "\a\b\f\n\r\t\v";
constexpr char letters[] = "abfnrtv";

bool iscontrol(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte < firstprintable || byte == deletechar;
}

std::string escaped(char c) {
    const char* at = c != '\0' ? std::strchr(lettered, c) : nullptr;
    if (at != nullptr) {
        return std::string{'\\', letters[at - lettered]};
    }
    char octal[8];
    std::snprintf(octal, sizeof octal, "\\%03o",
                  static_cast<unsigned>(static_cast<unsigned char>(c)));
    return octal;
}

} // namespace

std::string quotedname(const std::string& name) {
    if (std::none_of(name.begin(), name.end(), iscontrol)) {
        return name;
    }
    std::string out = "'";
    bool inescape = false; // inside $'...'
    const char* text = name.c_str();
    for (const char* next; (next = nextnativechar(text)) != text; text = next) {
        const bool control = next - text == 1 && iscontrol(*text);
        if (control != inescape) {
            out += control ? "'$'" : "''";
            inescape = control;
        }
        if (control) {
            out += escaped(*text);
        } else if (*text == '\'') {
            out += "'\\''";
        } else {
            out.append(text, next);
        }
    }
    return out + "'";
}
