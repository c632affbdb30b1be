// FIFOs, sockets and devices are never read as files: the open or a read of a FIFO nobody
// writes waits forever (and anyone who may write into a walked folder can plant one), and a
// device may act on being opened. The one test, made on the name before any open: a walk skips
// such a file, a name given on the command line or in a list is refused. Only the single form's
// INPUT may be a FIFO or a character device: it is read as the stream the user named
// (StreamCopy.h).
#ifndef SONORM_CLI_SPECIALFILE_H
#define SONORM_CLI_SPECIALFILE_H

#include "FileSystem.h"

#include <string>

// Why name is not read when it reaches (links followed) a FIFO, a socket or a device; empty
// for a regular file, a folder, or a name that cannot be examined (its open reports that).
std::string specialfile(const std::string& name);
// The same for an entry of a folder listing that is no symbolic link, from the kind the
// listing gave (no further system call where it gave one).
std::string specialfile(const fs::directory_entry& entry);
// Whether name reaches a FIFO or a character device.
bool streamfile(const std::string& name);

#endif
