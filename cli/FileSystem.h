// File-system operations of the tool beyond the engine's reading and writing: file identity,
// folder walks, path pieces, and the steps of a safe replacement (exclusive create, flush to
// disk, rename over, hard link, times and permissions). Errors are the platform's numbers
// (errno / GetLastError), read with fslasterror right after a failing call.
#ifndef SONORM_CLI_FILESYSTEM_H
#define SONORM_CLI_FILESYSTEM_H

#include <cstdint>
#include <string>
#include <vector>

struct FileStat {
    bool exists = false;
    bool isdir = false;
    bool islink = false; // a symbolic link or reparse point (the folder walk does not follow it)
    std::uint64_t size = 0;
    std::uint64_t volume = 0; // volume and index together identify a file
    std::uint64_t index = 0;
    std::int64_t atime = 0; // platform units: nanoseconds (POSIX), 100 ns (Windows)
    std::int64_t mtime = 0;
    std::uint32_t mode = 0; // permission bits (POSIX) or file attributes (Windows)
};

inline bool samefile(const FileStat& a, const FileStat& b) {
    return a.exists && b.exists && a.volume == b.volume && a.index == b.index;
}

// Fills st for name (links followed, or not with follow false). False when name does not exist
// (st.exists false) or cannot be examined.
bool fsstat(const std::string& name, FileStat& st, bool follow = true);
std::uint32_t fslasterror();
std::string fserrortext(std::uint32_t error);
// Error number of "the file already exists".
std::uint32_t fserrexists();

// Names in dir, without "." and "..", sorted bytewise.
bool fslistdir(const std::string& dir, std::vector<std::string>& names);
// Creates dir and every missing parent; true when dir exists as a folder afterwards.
bool fsmakedirs(const std::string& dir);

// Path pieces. Windows versions step double-byte characters (a trail byte can be 0x5C).
std::string fsjoin(const std::string& dir, const std::string& name);
std::string fsbasename(const std::string& path);
// The folder part of path; "" when path has none.
std::string fsdirname(const std::string& path);
// Absolute, lexically normalised path (links not resolved).
std::string fsfullpath(const std::string& path);
// A key that two names share when they spell the same path (letter case ignored on Windows).
std::string fspathkey(const std::string& path);
inline bool fssamepath(const std::string& a, const std::string& b) {
    return fspathkey(a) == fspathkey(b);
}

// Creates name, which must not exist yet, as an empty file (mode 0600 when privatefile).
bool fscreatenew(const std::string& name, bool privatefile);
// Writes the file's data and metadata through to the disk.
bool fsflush(const std::string& name);
// Renames from to to, replacing to; with writethrough the rename itself is on disk when this
// returns (the folder entry flushed where the platform allows).
bool fsreplace(const std::string& from, const std::string& to, bool writethrough);
// Makes to a second name of from (hard link), else a flushed copy; an existing to is replaced.
bool fslinkorcopy(const std::string& from, const std::string& to);
bool fsremove(const std::string& name);
// Gives name the access and modification times of from.
bool fssettimes(const std::string& name, const FileStat& from);
// Gives name the permissions (POSIX) or attributes (Windows) of from.
bool fssetmode(const std::string& name, const FileStat& from);
std::uint32_t fsprocessid();

#endif
