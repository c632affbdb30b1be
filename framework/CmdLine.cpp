#include "CmdLine.h"

#include "CharStep.h"
#include "ProcessCmdLine.h"

#include <cstring>
#include <new>

namespace {

constexpr unsigned char doublequote = 0x22;
constexpr unsigned char apostrophe = 0x27;
constexpr unsigned char backquote = 0x60;
constexpr unsigned char tab = 0x09;
constexpr unsigned char blank = 0x20;
constexpr unsigned char lastprintable = 0x7E;
constexpr unsigned char del = 0x7F;
constexpr unsigned char firsthigh = 0x80;
constexpr unsigned char semicolon = 0x3B;
constexpr unsigned char linefeed = 0x0A;
constexpr unsigned char openbracket = 0x5B;
constexpr unsigned char closebracket = 0x5D;

unsigned char byteat(const char* p) {
    return static_cast<unsigned char>(*p);
}

bool isseparator(unsigned char c) {
    return (c >= 0x01 && c <= blank) || c == del;
}

bool isquote(unsigned char c) {
    return c == doublequote || c == apostrophe || c == backquote;
}

// Bytes a quoted run may hold besides its closing quote.
bool isquotedbyte(unsigned char c) {
    return c == tab || (c >= blank && c <= lastprintable) || c >= firsthigh;
}

bool isasciiletter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void foldlower(char* s) {
    for (; *s != '\0'; ++s) {
        if (*s >= 'A' && *s <= 'Z') {
            *s = static_cast<char>(*s - 'A' + 'a');
        }
    }
}

// Clears separator bytes at p; returns the first byte that is not one.
char* clearseparators(char* p) {
    while (isseparator(byteat(p))) {
        *p++ = '\0';
    }
    return p;
}

} // namespace

CmdLine::~CmdLine() {
    clear();
}

bool CmdLine::parsecmdline() {
    return parsetext(processcmdline());
}

bool CmdLine::parsetext(const char* text) {
    clear();
    const std::size_t n = std::strlen(text);
    buf = new (std::nothrow) char[n + 1];
    if (buf == nullptr) {
        clear();
        return false;
    }
    std::memcpy(buf, text, n + 1);
    end = buf + n + 1;

    char* p = buf;
    if (byteat(p) == doublequote) {
        ++p;
        while (*p != '\0' && byteat(p) != doublequote) {
            p = nextansichar(p);
        }
        if (byteat(p) == doublequote) {
            ++p;
        }
    } else if (byteat(p) > blank) {
        while (byteat(p) > blank) {
            p = nextansichar(p);
        }
    }
    tokenize(p, false);
    start = buf;
    return true;
}

void CmdLine::tokenize(char* p, bool commentsections) {
    while (*p != '\0') {
        p = clearseparators(p);
        while (commentsections && byteat(p) == semicolon) {
            while (*p != '\0' && byteat(p) != linefeed) {
                char* next = nextansichar(p);
                std::memset(p, 0, static_cast<std::size_t>(next - p));
                p = next;
            }
            p = clearseparators(p);
        }
        if (*p == '\0') {
            return;
        }
        char* first = p;
        do {
            const unsigned char c = byteat(p);
            p = nextansichar(p);
            if (isquote(c)) {
                while (byteat(p) != c && isquotedbyte(byteat(p))) {
                    p = nextansichar(p);
                }
                if (byteat(p) == c) {
                    ++p;
                }
            }
        } while (byteat(p) > blank);
        if (commentsections && byteat(first) == openbracket && byteat(p - 1) == closebracket) {
            *first = sectionmark;
            p[-1] = '\0';
        }
    }
}

const char* CmdLine::nexttoken(const char* s) const {
    if (buf == nullptr) {
        return nullptr;
    }
    if (s == nullptr) {
        s = start;
    }
    const char* p = s + std::strlen(s);
    while (p < end && *p == '\0') {
        ++p;
    }
    if (p >= end || *p == sectionmark) {
        return nullptr;
    }
    return p;
}

const char* CmdLine::findopt(const char* name) const {
    const std::size_t k = std::strlen(name);
    if (k > optbufsize - 1) {
        return nullptr;
    }
    char wanted[optbufsize];
    std::memcpy(wanted, name, k + 1);
    foldlower(wanted);

    for (const char* t = nexttoken(nullptr); t != nullptr; t = nexttoken(t)) {
        if (*t != '/' && *t != '-') {
            continue;
        }
        const char* r = t + 1;
        char given[optbufsize];
        std::size_t i = 0;
        while (i < k && r[i] != '\0') {
            given[i] = r[i];
            ++i;
        }
        given[i] = '\0';
        foldlower(given);
        // Equal buffers mean the token holds k bytes after the switch, so r[k] is inside it.
        if (std::strcmp(wanted, given) == 0 && !isasciiletter(byteat(r + k))) {
            return r + k;
        }
    }
    return nullptr;
}

int CmdLine::checkopt(const char* name) const {
    const char* r = findopt(name);
    if (r == nullptr) {
        return optabsent;
    }
    return *r == '\0' ? optalone : optwithtext;
}

void CmdLine::clear() {
    delete[] buf;
    buf = nullptr;
    start = nullptr;
    end = nullptr;
}
