// The file an output is written to, held open from its making to the rename that makes it the
// output, beside the output (so the rename stays on one volume). Where the file system allows
// it has no name until just before that rename (O_TMPFILE); else it is named ".sonorm-" and 16
// hex digits ".tmp" and locked from its making on (POSIX flock; Windows its open handle), the
// proof that its maker is alive. A file not committed goes with its owner, and with the process
// on SIGINT, SIGTERM and SIGHUP through removeall. The first file made in a folder removes the
// leftovers there: files so named of this user whose lock is free.
#ifndef SONORM_CLI_OUTPUTFILE_H
#define SONORM_CLI_OUTPUTFILE_H

#include "FileSystem.h"

#include <string>
#include <system_error>

class OutputFile {
public:
    enum class Commit { done, changed, failed };

    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Makes the file in the folder of output, open for writing; readable only by its owner
    // when private.
    bool create(const std::string& output, bool privatefile, std::error_code& error);
    FileHandle handle() const { return file.get(); }
    const Folder& folder() const { return dir; }
    // Renames the file over the output. With original, the file there must still be as
    // original says (changed: nothing is renamed). durable: on disk when this returns.
    Commit commit(const FileInfo* original, bool durable, std::error_code& error);

    // Removes every named file in flight and keeps new ones from being made: for an
    // interrupted process, which ends right after.
    static void removeall();

private:
    bool makenamed(bool privatefile, std::error_code& error);
    bool givename(std::error_code& error);

    Folder dir;
    std::string target; // the output's name in dir
    std::string name;   // this file's name in dir; empty while it has none
    OwnedFile file;
};

#endif
