// The file operations the engine needs, behind one seam: Win32 (FileIo_win32.cpp) and POSIX
// (FileIo_posix.cpp). Error numbers are the platform's own (GetLastError / errno).
#ifndef SONORM_FILEIO_H
#define SONORM_FILEIO_H

#include <cstddef>
#include <cstdint>

using FileHandle = std::intptr_t;
constexpr FileHandle nofile = -1;

enum class SeekOrigin { begin = 0, current = 1 };

// Opens an existing file for sequential reading; others may read, nobody may write meanwhile
// (POSIX has no share modes: there others may write). A folder is refused at the open on both
// platforms (Win32 by the system, ERROR_ACCESS_DENIED; POSIX here, EISDIR).
FileHandle fileopenread(const char* name);
// Creates (or truncates) a file for writing, unshared.
FileHandle filecreatewrite(const char* name);
// One read of count bytes; stores the count delivered, which is below count only at the end of
// the file. False on a platform failure.
bool fileread(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& done);
// Writes all of count bytes. False on a platform failure or when fewer bytes than asked were
// written; a short write with no platform error leaves the disk-full number as last error
// (Win32 ERROR_DISK_FULL 112, POSIX ENOSPC).
bool filewrite(FileHandle file, const void* buffer, std::uint32_t count);
// Moves up to count bytes from in to out without passing them through the process, each from
// its current position, which advances by the bytes moved (stored in moved; below count only at
// the end of in). False when the platform cannot move between these two files or a call fails;
// moved then says how many bytes did go, and the last error is left as it was, because the caller
// does such a block again with fileread and filewrite, whose failures tell which side failed.
// Win32 has no such move here: it answers false at once.
bool filemove(FileHandle in, FileHandle out, std::uint32_t count, std::uint32_t& moved);
// Cuts the file to size bytes and moves its position there; false on failure.
bool filecut(FileHandle file, std::uint64_t size);
// Moves the position; false on a refusal. Moving beyond the end is not a failure.
bool fileseek(FileHandle file, std::int64_t distance, SeekOrigin origin);
// Current position; false on failure.
bool filetell(FileHandle file, std::uint64_t& position);
// Size of the open file; false on failure.
bool filesize(FileHandle file, std::uint64_t& size);
bool fileclose(FileHandle file);
// The platform's last error number, read right after a failing call.
std::uint32_t filelasterror();
// Sets the last error to the platform's end-of-file number (Win32 ERROR_HANDLE_EOF 38, POSIX
// ENODATA). A read that came up short without a platform failure reports that number, never
// whatever an earlier call happened to leave behind.
void markendoffile();
// The platform's error number for exhausted memory (Win32 ERROR_NOT_ENOUGH_MEMORY 8, ENOMEM).
std::uint32_t nomemoryerror();
// True when name refers to the file open as file (same volume and file index); the last error
// is then the number a refused create gives (POSIX: EBUSY; Win32: ERROR_SHARING_VIOLATION 32,
// which its share modes give a create onto the open input anyway).
bool filesameasopen(FileHandle file, const char* name);

// What a platform error number of a file step means in a user's terms, where that is one of a
// few plain causes (the same on both platforms, whose numbers differ).
enum class FileFault { other, notfound, denied, busy, endoffile };
// POSIX: ENOENT and ENOTDIR, EACCES and EPERM, EBUSY, ENODATA. Win32: ERROR_FILE_NOT_FOUND (2)
// and ERROR_PATH_NOT_FOUND (3), ERROR_ACCESS_DENIED (5), ERROR_SHARING_VIOLATION (32),
// ERROR_HANDLE_EOF (38).
FileFault filefault(std::uint32_t error);

#endif
