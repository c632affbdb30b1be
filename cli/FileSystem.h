// What the tool needs of the file system beyond std::filesystem: names in the narrow encoding
// the user typed (the ANSI code page on Windows, which MinGW's std::filesystem would read as
// another encoding), what is known of a file, and the life of an output: made in a folder held
// open, written, given what the file it replaces had and renamed into place, all through the
// handle that made it. Only a link and the final rename name a file once it exists. Errors as
// std::error_code.
#ifndef SONORM_CLI_FILESYSTEM_H
#define SONORM_CLI_FILESYSTEM_H

#include "FileIo.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

fs::path topath(const std::string& name);
std::string nameof(const fs::path& path);
// A key two names share when they spell the same path (letter case ignored on Windows).
std::string pathkey(const std::string& name);
// The same for names that differ only below one folder spelled alike, where they hold no "."
// or ".." parts, without asking where that folder is.
std::string namekey(const std::string& name);
// The size of the file name reaches; 0 when it cannot be examined.
inline std::uint64_t filesize(const std::string& name) {
    std::error_code error;
    std::uintmax_t size = fs::file_size(topath(name), error);
    return error ? 0 : size;
}

// Owner of an open file of FileIo: closed once, on every way out.
class OwnedFile {
public:
    OwnedFile() = default;
    ~OwnedFile() { close(); }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    FileHandle get() const { return held; }
    // Where a function that opens stores the new file; an open one is closed first.
    FileHandle* put() {
        close();
        return &held;
    }
    bool close() {
        FileHandle file = held;
        held = nofile;
        return file == nofile || fileclose(file);
    }

private:
    FileHandle held = nofile;
};

// What the tool compares and keeps of a file. Times and mode in the platform's own terms
// (Windows: mode holds the attributes).
struct FileInfo {
    std::uint64_t volume = 0, index = 0, links = 0, size = 0;
    std::int64_t accessed = 0, modified = 0;
    std::uint32_t owner = 0, group = 0, mode = 0;
    bool regular = false;
    bool samefile(const FileInfo& other) const {
        return volume == other.volume && index == other.index;
    }
    // Still as it was: the same file, size and modification time (not the change time, which a
    // backup's link changes).
    bool unchanged(const FileInfo& other) const {
        return samefile(other) && size == other.size && modified == other.modified;
    }
};

// The file name reaches (links followed); false when it cannot be examined.
bool fileinfo(const std::string& name, FileInfo& info);
bool fileinfo(FileHandle file, FileInfo& info);
// Opens the existing file name for reading and writing (links not followed): a file the user
// may not write is not replaced either.
bool openreadwrite(const std::string& name, OwnedFile& file);
// The file behind name when name is a symbolic link (every link resolved); else name itself.
std::string realname(const std::string& name);

// A folder held open while a file is made in it: POSIX a descriptor, so that every step
// happens in the folder first opened; Windows its full path. A missing folder fails to open
// with std::errc::no_such_file_or_directory.
class Folder {
public:
    Folder() = default;
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    bool open(const std::string& name, std::error_code& error);
    const fs::path& path() const { return full; }
    FileHandle handle() const { return held; }
    // Whether closing a file in it may report a failed write that no write reported (network
    // file systems do; settlefile hears it), as far as its file system is known.
    bool latefailures() const { return late; }

private:
    fs::path full;
    FileHandle held = nofile;
    bool late = true;
};

// The file name in folder, a link not followed.
bool fileinfo(const Folder& folder, const std::string& name, FileInfo& info);
// A file without a name in folder, open for writing (POSIX O_TMPFILE); the error is
// std::errc::not_supported where the system or the file system has none.
bool createunnamed(const Folder& folder, bool privatefile, FileHandle& file,
                   std::error_code& error);
// Creates name, which must not exist, in folder and opens it for writing; readable only by its
// owner when private.
bool createnamed(const Folder& folder, const std::string& name, bool privatefile, FileHandle& file,
                 std::error_code& error);
// Takes the lock that says file's maker is alive (held until the file is closed), then checks
// that name (empty: none) in folder still is file: a cleaner may have taken the lock first.
bool lockfile(const Folder& folder, const std::string& name, FileHandle file);
// Gives the open file a further name in folder.
bool linkfile(const Folder& folder, FileHandle file, const std::string& name,
              std::error_code& error);
// Gives the file made by createunnamed its name in folder, which must not exist (else
// std::errc::file_exists); durable: the name has reached the disk when this returns.
bool namefile(const Folder& folder, FileHandle file, const std::string& name, bool durable,
              std::error_code& error);
// Renames from over to in folder; durable: the rename has reached the disk when this returns.
bool renamefile(const Folder& folder, const std::string& from, const std::string& to, bool durable,
                std::error_code& error);
void removefile(const Folder& folder, const std::string& name);
// Removes name in folder when it is a leftover: a regular file of this user whose lock is free.
// Never through a symbolic link.
void removeleftover(const Folder& folder, const std::string& name);

// Streams (standard input, a FIFO, a device), which a reader that seeks cannot walk, are read
// whole into a scratch file first.
// The process's standard input, not owned.
FileHandle standardinput();
// Opens a FIFO or a device for reading as a reader of it does: a FIFO's open waits for a writer.
bool openstream(const std::string& name, OwnedFile& file, std::error_code& error);
// One read of up to count bytes; got 0 at the end of the stream (Windows: also a pipe whose
// writer has closed it).
bool readstream(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& got,
                std::error_code& error);
// A file without a name, open for reading and writing, in the folder for temporary files (POSIX
// TMPDIR, else /tmp; Windows GetTempPath; folder says which): gone when closed, also when the
// process dies. POSIX O_TMPFILE, else made and unlinked at once; Windows deleted on close.
bool createscratch(OwnedFile& file, std::string& folder, std::error_code& error);
// A second handle to the open file, positioned at its start (it shares the position with the
// first); nofile, with the last error, when none can be made.
FileHandle duplicatefile(FileHandle file);

bool flushfile(FileHandle file, std::error_code& error);
// Hears a failed write that the file system reports only at a close (network file systems),
// while file stays open.
bool settlefile(FileHandle file, std::error_code& error);
// Gives to the owner and group of info (POSIX); refuses rather than give another owner.
bool keepowner(const FileInfo& info, FileHandle to, std::error_code& error);
// Gives to the permissions and extended attributes (POSIX; ACLs among them), or the attributes
// and access control list (Windows), of from, whose info is given.
bool keepattributes(FileHandle from, const FileInfo& info, FileHandle to, std::error_code& error);
// Gives to the access and modification times of info.
bool keeptimes(const FileInfo& info, FileHandle to, std::error_code& error);

#endif
