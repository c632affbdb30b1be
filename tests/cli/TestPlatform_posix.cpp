#include "TestPlatform.h"

#include "FileSystem.h"
#include "TempDir.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::string toolpath() {
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        throw std::runtime_error("cannot find the test executable");
    }
    self[length] = '\0';
    return nameof(topath(self).parent_path() / "sonorm-cli");
}

// Standard output and error go to files, read once the tool has ended.
ProcessResult runtool(const std::vector<std::string>& args) {
    std::string tool = toolpath();
    std::vector<char*> argv = {&tool[0]};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    TempDir capture;
    const std::string out = capture.path("out");
    const std::string err = capture.path("err");
    constexpr int flags = O_WRONLY | O_CREAT | O_TRUNC;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), flags, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), flags, 0600);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (rc != 0 || waitpid(pid, &status, 0) != pid) {
        throw std::runtime_error("cannot run " + tool);
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readfile(out), readfile(err)};
}
