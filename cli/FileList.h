// The names of a file list (--files-from): one a line, or separated by NUL bytes for names that
// may hold line breaks. Empty entries are ignored; a carriage return ending a line is dropped,
// so lists written on Windows read the same everywhere.
#ifndef SONORM_CLI_FILELIST_H
#define SONORM_CLI_FILELIST_H

#include <string>
#include <system_error>
#include <vector>

std::vector<std::string> splitfilelist(const std::string& text, bool nulseparated);
// Appends the names of the list in file name ("-": standard input) to names.
bool readfilelist(const std::string& name, bool nulseparated, std::vector<std::string>& names,
                  std::error_code& error);

#endif
