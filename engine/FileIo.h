// The five file operations the engine needs, behind one seam: Win32 (FileIo_win32.cpp) and
// POSIX (FileIo_posix.cpp). Error numbers are the platform's own (GetLastError / errno).
#ifndef SONORM_FILEIO_H
#define SONORM_FILEIO_H

#include <cstddef>
#include <cstdint>

using FileHandle = std::intptr_t;
constexpr FileHandle nofile = -1;

enum class SeekOrigin { begin = 0, current = 1 };

// Opens an existing file for sequential reading; others may read, nobody may write meanwhile.
FileHandle fileopenread(const char* name);
// Creates (or truncates) a file for writing, unshared.
FileHandle filecreatewrite(const char* name);
// One read call; stores the count delivered. False on a platform failure.
bool fileread(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t& done);
// Writes all of count bytes (continuing partial writes). False on a platform failure or when
// fewer bytes than asked were written.
bool filewrite(FileHandle file, const void* buffer, std::uint32_t count);
// Moves the position; false on a refusal. Moving beyond the end is not a failure.
bool fileseek(FileHandle file, std::int64_t distance, SeekOrigin origin);
// Current position; false on failure.
bool filetell(FileHandle file, std::uint64_t& position);
bool fileclose(FileHandle file);
// The platform's last error number, read right after a failing call.
std::uint32_t filelasterror();
// True when name refers to the file open as file (same device and inode). Platforms whose
// share modes already refuse such a create answer false.
bool filesameasopen(FileHandle file, const char* name);

#endif
