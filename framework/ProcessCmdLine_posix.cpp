#include "ProcessCmdLine.h"

#include <fstream>
#include <iterator>
#include <string>

const char* processcmdline() {
    // Read once: /proc/self/cmdline holds the arguments NUL-separated.
    static const std::string text = [] {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::string s{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        while (!s.empty() && s.back() == '\0') {
            s.pop_back();
        }
        for (char& c : s) {
            if (c == '\0') {
                c = ' ';
            }
        }
        return s;
    }();
    return text.c_str();
}
