#include "TestPlatform.h"

#include "TempDir.h"
#include "UserLanguage.h"

#include <cstdlib>

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
    int status = exitstatus(std::system(line.c_str()));
    return {status, readfile(capture.path("out")), readfile(capture.path("err"))};
}

void uselocale(const char* locale) {
    static std::string variable;
    variable = std::string("LC_ALL=") + locale;
    putenv(variable.data());
    setlanguage(userlanguage());
    usesystemtexts(currentlanguage());
}
