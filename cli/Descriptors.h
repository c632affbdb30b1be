// Open files a process may hold, for the number of workers: POSIX counts descriptors against
// RLIMIT_NOFILE; Win32 handles have no such limit.
#ifndef SONORM_CLI_DESCRIPTORS_H
#define SONORM_CLI_DESCRIPTORS_H

#include <cstddef>
#include <cstdint>

// How many more files the process may open now; SIZE_MAX when no limit applies.
std::size_t descriptorroom();
// Whether the platform error number says that no file could be opened for lack of descriptors
// (of the process or of the system).
bool outofdescriptors(std::uint32_t error);

#endif
