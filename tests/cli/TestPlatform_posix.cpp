#include "TestPlatform.h"

#include "FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr long long nanosecondspersecond = 1000000000LL;
constexpr long long backdatedseconds = 1000000000LL; // 2001-09-09

void drain(int out, int err, ProcessResult& result) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    char buf[4096];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                ssize_t got = read(fds[i].fd, buf, sizeof buf);
                if (got > 0) {
                    sinks[i]->append(buf, static_cast<std::size_t>(got));
                } else {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
}

} // namespace

std::string toolpath() {
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        throw std::runtime_error("cannot find the test executable");
    }
    self[length] = '\0';
    return fsjoin(fsdirname(self), "sonorm-cli");
}

ProcessResult runtool(const std::vector<std::string>& args) {
    std::string tool = toolpath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(tool.c_str()));
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    int outpipe[2];
    int errpipe[2];
    if (pipe(outpipe) != 0 || pipe(errpipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outpipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errpipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, outpipe[0]);
    posix_spawn_file_actions_addclose(&actions, errpipe[0]);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outpipe[1]);
    close(errpipe[1]);
    if (rc != 0) {
        close(outpipe[0]);
        close(errpipe[0]);
        throw std::runtime_error("cannot start " + tool);
    }
    ProcessResult result;
    drain(outpipe[0], errpipe[0], result);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string makeuniquefolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/sonorm-cli-test-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

void removetree(const std::string& folder) {
    std::vector<std::string> names;
    if (fslistdir(folder, names)) {
        for (const std::string& name : names) {
            std::string path = fsjoin(folder, name);
            FileStat st;
            fsstat(path, st, false);
            if (st.isdir && !st.islink) {
                chmod(path.c_str(), 0700);
                removetree(path);
            } else {
                unlink(path.c_str());
            }
        }
    }
    rmdir(folder.c_str());
}

bool makefolder(const std::string& folder) {
    return mkdir(folder.c_str(), 0777) == 0;
}

std::string nativetext(const std::string& utf8) {
    return utf8;
}

std::string missingfilereport() {
    return std::string(std::strerror(ENOENT)) + " [1,5,1,2]";
}

std::string otherspelling(const std::string& name) {
    return fsjoin(fsjoin(fsdirname(name), "."), fsbasename(name));
}

unsigned sameopenfileerror() {
    return EBUSY;
}

long long backdatedtime() {
    return backdatedseconds * nanosecondspersecond;
}

void setmodtime(const std::string& name, long long time) {
    timespec times[2];
    times[0].tv_sec = static_cast<time_t>(time / nanosecondspersecond);
    times[0].tv_nsec = static_cast<long>(time % nanosecondspersecond);
    times[1] = times[0];
    utimensat(AT_FDCWD, name.c_str(), times, 0);
}

unsigned unusualmode() {
    return 0600;
}

unsigned readonlymode() {
    return 0444;
}
