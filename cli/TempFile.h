// A temporary file beside an output (same folder, so the final rename stays on one volume),
// removed unless it was committed: on failure, and on SIGINT, SIGTERM and SIGHUP through
// removeall. Its name is short whatever the output's name and recognisable as ours:
// ".sonorm-HOST-PID-N.tmp"; the first file made in a folder removes the leftovers there of
// processes of this host that no longer run.
#ifndef SONORM_CLI_TEMPFILE_H
#define SONORM_CLI_TEMPFILE_H

#include <mutex>
#include <string>
#include <system_error>

class TempFile {
public:
    TempFile();
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Creates a fresh temporary file in the folder of output.
    bool create(const std::string& output, bool privatefile, std::error_code& error);
    // Called once the writer holds the file open. Until then no interruption removes it: the
    // writer's create would make it anew after the removal.
    void opened();
    // Renames the file over output; durable: the rename is on disk when this returns.
    bool commit(const std::string& output, bool durable, std::error_code& error);
    const std::string& name() const { return path; }

    // Removes every temporary file in flight and keeps new ones from being made: for an
    // interrupted process, which ends right after.
    static void removeall();

private:
    std::unique_lock<std::mutex> hold;
    std::string path;
};

#endif
