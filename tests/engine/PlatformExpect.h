// What the engine's tests expect from the platform they run on: error numbers, system texts,
// the string table as the program loads it, and what the file system can be made to do.
#ifndef SONORM_TESTS_PLATFORMEXPECT_H
#define SONORM_TESTS_PLATFORMEXPECT_H

#include "ErrorReport.h"

#include <cstdint>
#include <string>
#include <vector>

class TempDir;

namespace platform {

std::uint32_t missingfile();   // opening a file that does not exist
std::uint32_t missingfolder(); // creating a file in a folder that does not exist
std::uint32_t sameasinput();   // creating the output onto the open input
std::uint32_t outofmemory();   // memory refused
std::uint32_t toolarge();      // writing beyond the file size limit (limitfilesize)

// Other names that reach the file at path (letter case, separators, links).
std::vector<std::string> aliases(const TempDir& dir, const std::string& path);
// Whether a file held open for reading by someone else cannot be created for writing.
bool openblockscreate();

// The system's own text for an error number, asked from the platform directly.
std::string systemtext(std::uint32_t error);
// A number that has no system text.
std::uint32_t notextnumber();

// String-table loader as the program uses it, and the text it gives for id.
StringLoader stringloader();
std::string stringtable(unsigned id);
// A character that takes two bytes in the narrow encoding of texts.
std::string twobytechar();

// Makes writes beyond bytes fail for this process; false when the platform cannot.
bool limitfilesize(std::uint64_t bytes);
void unlimitfilesize();

} // namespace platform

#endif
