// The process command line as a list of NUL-separated tokens, and option lookup.
#ifndef TESSEL_CMDLINE_H
#define TESSEL_CMDLINE_H

#include <cstddef>

// Byte that starts a section token ("[name]" in comment-and-section mode); walks stop at it.
constexpr char sectionmark = 7;
// Size of each option comparison buffer; option names must be shorter.
constexpr std::size_t optbufsize = 260;

// Results of CmdLine::checkopt.
constexpr int optabsent = 0;
constexpr int optalone = 1;
constexpr int optwithtext = 7;

class CmdLine {
public:
    CmdLine() = default;
    ~CmdLine();
    CmdLine(const CmdLine&) = delete;
    CmdLine& operator=(const CmdLine&) = delete;

    // Builds the list from the process command line; false only when out of memory.
    bool parsecmdline();
    // Builds the list from the given command-line text (program name first).
    bool parsetext(const char* text);
    // Splits the text from p to its NUL in place: separators become NUL; in comment-and-section
    // mode ";" comments are cleared to the line end and "[name]" becomes sectionmark + name.
    void tokenize(char* p, bool commentsections);
    // The token after the string that contains s; with null, the first token after the program
    // name. Null at the end of the list or in front of a section token.
    const char* nexttoken(const char* s) const;
    // Position just after the name inside the first token "/name..." or "-name..." (letter case
    // folded, name not followed by a letter), or null. Names of optbufsize bytes or more: null.
    const char* findopt(const char* name) const;
    // optabsent, optalone (the token is exactly the switch) or optwithtext (more follows).
    int checkopt(const char* name) const;
    void clear();

    char* buf = nullptr;   // the token text, owned
    char* start = nullptr; // the program-name string, where walks begin
    char* end = nullptr;   // one past the final NUL
};

#endif
