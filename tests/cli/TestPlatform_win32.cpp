#include "TestPlatform.h"

#include "FileSystem.h"
#include "TempDir.h"
#include "UserLanguage.h"

#include <stdexcept>
#include <windows.h>

namespace {

// Quotes one argument for the C runtime's command-line parser.
std::string quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
        return arg;
    }
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

} // namespace

std::string toolpath() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        throw std::runtime_error("cannot find the test executable");
    }
    return nameof(topath(std::string(self, length)).parent_path() / "sonorm-cli.exe");
}

// Standard output and error go to files, read once the tool has ended.
ProcessResult runtool(const std::vector<std::string>& args, const std::string& input) {
    std::string tool = toolpath();
    std::string line = quote(tool);
    for (const std::string& arg : args) {
        line += " " + quote(arg);
    }
    TempDir capture;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto open = [&](const std::string& name, DWORD access, DWORD disposition) {
        return CreateFileA(name.c_str(), access, FILE_SHARE_READ, &inherit, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open(capture.write("in", input), GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = open(capture.path("out"), GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = open(capture.path("err"), GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessA(tool.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    if (!started) {
        throw std::runtime_error("cannot start " + tool);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return {static_cast<int>(code), readfile(capture.path("out")), readfile(capture.path("err"))};
}

bool uselocale(const char*) {
    setlanguage(userlanguage());
    usesystemtexts(currentlanguage());
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}
