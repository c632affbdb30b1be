// The file an output is written to, held open from its making to the rename that makes it the
// output, beside the output (so the rename stays on one volume). Where the file system allows
// it has no name until it is complete (O_TMPFILE): then it takes the output's name at once where
// there is none, else a name of its own to be renamed over the output. Such a name is ".sonorm-"
// and 16 hex digits ".tmp", locked before it exists (POSIX flock; Windows its open handle), the
// proof that its maker is alive; where there are no unnamed files, a file is so named and locked
// from its making on. A file not committed goes with its owner, and with the process on SIGINT,
// SIGTERM and SIGHUP through removeall. The first file made in a folder removes the leftovers
// there: files so named of this user whose lock is free.
//
// Files are independent: no lock is held while one is made, written, named or renamed. Each
// worker thread keeps the folder of its last file open for the next file in the same folder.
#ifndef SONORM_CLI_OUTPUTFILE_H
#define SONORM_CLI_OUTPUTFILE_H

#include "FileSystem.h"

#include <memory>
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
    // when private. makefolder: a missing folder is made (with the folders above it).
    bool create(const std::string& output, bool privatefile, bool makefolder,
                std::error_code& error);
    FileHandle handle() const { return file.get(); }
    const Folder& folder() const { return *dir; }
    // Gives the file the output's name (renamed over the output where one is there). With
    // original, the file there must still be as original says (changed: nothing is renamed).
    // durable: on disk when this returns.
    Commit commit(const FileInfo* original, bool durable, std::error_code& error);

    // Removes every named file in flight and keeps new ones from being made: for an
    // interrupted process, which ends right after (a thread that comes to make a file or a
    // name meanwhile waits for that end).
    static void removeall();

private:
    bool openfolder(const std::string& output, bool makefolder, std::error_code& error);
    bool makenamed(bool privatefile, std::error_code& error);
    bool givename(std::error_code& error);
    void givenname(const std::string& fresh);
    void dropname();

    std::shared_ptr<const Folder> dir;
    std::string target; // the output's name in dir
    std::string name;   // this file's name in dir; empty while it has none
    OwnedFile file;
};

#endif
