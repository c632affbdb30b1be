// What the tests expect from the platform they run on: error numbers, system texts, the string
// table as the programs show it, and what the file system can be made to do.
#ifndef SONORM_TESTS_PLATFORMEXPECT_H
#define SONORM_TESTS_PLATFORMEXPECT_H

#include "ErrorReport.h"

#include <cstdint>
#include <string>
#include <vector>

class TempDir;

namespace platform {

extern const std::uint32_t missingfile;   // opening a file that does not exist
extern const std::uint32_t missingfolder; // creating a file in a folder that does not exist
extern const std::uint32_t sameasinput;   // creating the output onto the open input
extern const std::uint32_t outofmemory;   // memory refused
extern const std::uint32_t toolarge;      // writing beyond the file size limit (limitfilesize)
extern const std::uint32_t notextnumber;  // a number without a system text
extern const std::uint32_t endoffile;     // a read that the end of the file cut short
extern const std::uint32_t folderinput;   // opening a folder as the input
// A file that opens for reading but whose first read fails, and that failure's number; an
// empty name where the platform has none at hand.
extern const std::string unreadablefile;
extern const std::uint32_t readfailure;
// The system's text for endoffile, written out here rather than asked from the platform.
extern const std::string endoffiletext;
// A file held open for reading by someone else cannot be created for writing (share modes).
extern const bool openblockscreate;

// Other names that reach the file at path (letter case, separators, links), made in dir.
std::vector<std::string> aliases(const TempDir& dir, const std::string& path);
// The system's own text for an error number, asked from the platform directly.
std::string systemtext(std::uint32_t error);

// The string-table loader as the programs use it, and the text it gives for id: UTF-8 natively,
// code page 932 on Windows.
extern const StringLoader stringloader;
std::string stringtable(unsigned id);
// A character that takes two bytes in that encoding.
extern const std::string twobytechar;

// Makes writes beyond bytes fail for this process; false when the platform cannot.
bool limitfilesize(std::uint64_t bytes);
void unlimitfilesize();

} // namespace platform

#endif
