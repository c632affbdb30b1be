#include "TestPlatform.h"

#include "TempDir.h"
#include "UserLanguage.h"

#include <cstdlib>
#include <iomanip>
#include <tuple>

// The line starts with a redirection: cmd would take a leading quote and the last one away.
// No argument of the tests holds a double quote, a dollar or a percent sign.
ProcessResult runtool(const std::vector<std::string>& args, const std::string& input) {
    TempDir capture;
    auto quote = [](const std::string& arg) { return " \"" + arg + "\""; };
    std::string line = "<" + quote(capture.write("in", input)) + quote(toolpath());
    for (const std::string& arg : args) {
        line += quote(arg);
    }
    line += " >" + quote(capture.path("out")) + " 2>" + quote(capture.path("err"));
    auto start = [&] {
        return ProcessResult{exitstatus(std::system(line.c_str())), readfile(capture.path("out")),
                             readfile(capture.path("err"))};
    };
    ProcessResult result = start();
    return startfailed(result) ? start() : result; // never natively: see startfailed
}

bool operator==(const ProcessResult& a, const ProcessResult& b) {
    return std::tie(a.status, a.out, a.err) == std::tie(b.status, b.out, b.err);
}

std::ostream& operator<<(std::ostream& out, const ProcessResult& r) {
    return out << "{" << r.status << ", " << std::quoted(r.out) << ", " << std::quoted(r.err)
               << "}";
}

void uselocale(const char* locale) {
    static std::string variable;
    variable = std::string("LC_ALL=") + locale;
    putenv(variable.data());
    setlanguage(userlanguage());
    usesystemtexts(currentlanguage());
}
