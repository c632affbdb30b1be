// What the tests expect from the platform: error numbers, texts and file system behaviour.
#ifndef SONORM_TESTS_PLATFORMEXPECT_H
#define SONORM_TESTS_PLATFORMEXPECT_H

#include <cstdint>
#include <string>
#include <vector>

class TempDir;

namespace platform {

// Opening a missing file, creating a file in a missing folder, creating the output onto the
// open input, memory refused, a number without a system text, a read the end of the file cut
// short, opening a folder as the input.
extern const std::uint32_t missingfile, missingfolder, sameasinput, outofmemory, notextnumber,
    endoffile, folderinput;
extern const std::string endoffiletext; // the system's text for endoffile, written out
// A file held open for reading by someone else cannot be created for writing (share modes).
extern const bool openblockscreate;
// Other names that reach the file at path (letter case, separators, links), made in dir.
std::vector<std::string> aliases(const TempDir& dir, const std::string& path);
// The system's own text for an error number, asked from the platform directly.
std::string systemtext(std::uint32_t error);
// A character of two bytes in the programs' encoding (UTF-8; code page 932 on Windows).
extern const std::string twobytechar;

} // namespace platform

#endif
