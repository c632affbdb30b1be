// Expansion of wildcard operands ("*.wav", "take?.wav"). POSIX shells expand them before the
// tool starts, so there the operands pass unchanged; the Windows command prompt does not, so
// the Windows build expands them itself.
#ifndef SONORM_CLI_WILDCARD_H
#define SONORM_CLI_WILDCARD_H

#include <string>
#include <vector>

// Each operand holding '*' or '?' in its last component is replaced by the matching names in
// its folder (sorted, folder part kept); a pattern that matches nothing stays as it is, so it
// is reported as a missing file.
std::vector<std::string> expandwildcards(const std::vector<std::string>& operands);

#endif
