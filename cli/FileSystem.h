// What the tool needs of the file system beyond std::filesystem: names in the narrow encoding
// the user typed (the ANSI code page on Windows, which MinGW's std::filesystem would read as
// another encoding), file identity and link count, exclusive create, flush to disk, replace,
// and the owner, attributes and times a rewritten file keeps. Errors as std::error_code.
#ifndef SONORM_CLI_FILESYSTEM_H
#define SONORM_CLI_FILESYSTEM_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

fs::path topath(const std::string& name);
std::string nameof(const fs::path& path);
// A key two names share when they spell the same path (letter case ignored on Windows).
std::string pathkey(const std::string& name);
// The size of the file name reaches; 0 when it cannot be examined.
inline std::uint64_t filesize(const std::string& name) {
    std::error_code error;
    std::uintmax_t size = fs::file_size(topath(name), error);
    return error ? 0 : size;
}

struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t links = 0;
    bool operator<(const FileId& other) const {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};

// Identity of the file name reaches (links followed); false when it cannot be examined.
bool fileid(const std::string& name, FileId& id);
// The file behind name with every symbolic link resolved; name itself when there is none.
std::string realname(const std::string& name);

// Creates name, which must not exist yet, empty; readable only by its owner when private.
bool createnew(const std::string& name, bool privatefile, std::error_code& error);
bool flushfile(const std::string& name, std::error_code& error);
// Renames from over to; durable: the rename itself has reached the disk when this returns.
bool replacefile(const std::string& from, const std::string& to, bool durable,
                 std::error_code& error);
void removefile(const std::string& name);
// Gives to the owner, group, permissions and extended attributes (POSIX) or the attributes
// (Windows) of from. Refuses rather than give a file another owner.
bool copyattributes(const std::string& from, const std::string& to, std::error_code& error);
// Gives to the access and modification times of from.
bool copytimes(const std::string& from, const std::string& to, std::error_code& error);

std::uint32_t processid();
// Whether process pid exists on this host.
bool processalive(std::uint32_t pid);
// The name of this host.
std::string hostname();

#endif
