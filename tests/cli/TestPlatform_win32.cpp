#include "TestPlatform.h"

#include "FileSystem.h"

#include <stdexcept>
#include <thread>
#include <windows.h>

namespace {

constexpr long long backdatedfiletime = 126444672000000000LL; // 2001-09-09
constexpr int wordbits = 32;

std::string convert(const std::string& text, UINT from, UINT to) {
    if (text.empty()) {
        return text;
    }
    int wide = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), &w[0], wide);
    int narrow = WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(to, 0, w.data(), wide, &out[0], narrow, nullptr, nullptr);
    return out;
}

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

void readall(HANDLE pipe, std::string& sink) {
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buf, sizeof buf, &got, nullptr) && got > 0) {
        sink.append(buf, got);
    }
}

} // namespace

std::string toolpath() {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        throw std::runtime_error("cannot find the test executable");
    }
    return fsjoin(fsdirname(std::string(self, length)), "sonorm-cli.exe");
}

ProcessResult runtool(const std::vector<std::string>& args) {
    std::string tool = toolpath();
    std::string line = quote(tool);
    for (const std::string& arg : args) {
        line += " " + quote(arg);
    }
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outread, outwrite, errread, errwrite;
    if (!CreatePipe(&outread, &outwrite, &inherit, 0) ||
        !CreatePipe(&errread, &errwrite, &inherit, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    SetHandleInformation(outread, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errread, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outwrite;
    startup.hStdError = errwrite;
    PROCESS_INFORMATION process{};
    std::string mutableline = line;
    BOOL started = CreateProcessA(tool.c_str(), &mutableline[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
    CloseHandle(outwrite);
    CloseHandle(errwrite);
    if (!started) {
        CloseHandle(outread);
        CloseHandle(errread);
        throw std::runtime_error("cannot start " + tool);
    }
    ProcessResult result;
    std::thread errreader([&] { readall(errread, result.err); });
    readall(outread, result.out);
    errreader.join();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.status = static_cast<int>(code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(outread);
    CloseHandle(errread);
    return result;
}

std::string makeuniquefolder() {
    char base[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, base);
    std::string root(base, length);
    for (unsigned attempt = 0;; ++attempt) {
        std::string candidate =
            fsjoin(root, "sonorm-cli-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(GetTickCount()) + "-" + std::to_string(attempt));
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            return candidate;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("cannot create a temporary folder");
        }
    }
}

void removetree(const std::string& folder) {
    std::vector<std::string> names;
    if (fslistdir(folder, names)) {
        for (const std::string& name : names) {
            std::string path = fsjoin(folder, name);
            FileStat st;
            fsstat(path, st, false);
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (st.isdir) {
                removetree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        }
    }
    RemoveDirectoryA(folder.c_str());
}

bool makefolder(const std::string& folder) {
    return CreateDirectoryA(folder.c_str(), nullptr);
}

std::string nativetext(const std::string& utf8) {
    return convert(utf8, CP_UTF8, CP_ACP);
}

std::string missingfilereport() {
    char buf[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, ERROR_FILE_NOT_FOUND, 0x400, buf, sizeof buf, nullptr);
    return std::string(buf, length) + " [1,5,1,2]";
}

std::string otherspelling(const std::string& name) {
    std::string upper = name;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    return upper;
}

unsigned sameopenfileerror() {
    return ERROR_SHARING_VIOLATION;
}

long long backdatedtime() {
    return backdatedfiletime;
}

void setmodtime(const std::string& name, long long time) {
    HANDLE h = CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return;
    }
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(static_cast<unsigned long long>(time));
    t.dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(time) >> wordbits);
    SetFileTime(h, nullptr, &t, &t);
    CloseHandle(h);
}

unsigned unusualmode() {
    return FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
}

unsigned readonlymode() {
    return FILE_ATTRIBUTE_READONLY;
}
