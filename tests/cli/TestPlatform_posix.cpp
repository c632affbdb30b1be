#include "TestPlatform.h"

#include "FileSystem.h"
#include "TempDir.h"
#include "UserLanguage.h"

#include <clocale>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>

std::string toolpath() {
    return nameof(fs::read_symlink("/proc/self/exe").parent_path() / "sonorm-cli");
}

// Through the shell, each argument in single quotes.
ProcessResult runtool(const std::vector<std::string>& args, const std::string& input) {
    TempDir capture;
    auto quote = [](std::string arg) {
        for (std::size_t at = 0; (at = arg.find('\'', at)) != std::string::npos; at += 4) {
            arg.replace(at, 1, "'\\''");
        }
        return "'" + arg + "'";
    };
    std::string line = quote(toolpath());
    for (const std::string& arg : args) {
        line += " " + quote(arg);
    }
    line += " <" + capture.write("in", input) + " >" + capture.path("out") + " 2>" +
            capture.path("err");
    int status = std::system(line.c_str());
    if (status == -1 || !WIFEXITED(status)) {
        throw std::runtime_error("cannot run " + line);
    }
    return {WEXITSTATUS(status), readfile(capture.path("out")), readfile(capture.path("err"))};
}

bool uselocale(const char* locale) {
    setenv("LC_ALL", locale, 1);
    setlanguage(userlanguage());
    std::setlocale(LC_MESSAGES, "C");
    usesystemtexts(currentlanguage());
    return std::string(locale).rfind("ja", 0) == 0;
}
