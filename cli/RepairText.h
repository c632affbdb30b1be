// The texts of --repair, all in one place: what a repair changed, and the refusal of data that
// a canonical header cannot describe.
#ifndef SONORM_CLI_REPAIRTEXT_H
#define SONORM_CLI_REPAIRTEXT_H

#include "WaveSource.h"

#include <cstdint>
#include <string>
#include <vector>

// One text per repair; datasize is the size the conversion copies.
std::vector<std::string> repairtexts(const WaveRepairs& repairs, std::uint32_t datasize);
// The texts joined into one line.
std::string repairline(const WaveRepairs& repairs, std::uint32_t datasize);

// Report line of a file converted with repairs, after its name.
extern const char* const repairedlabel;
// --check with --repair: after an ok line's description.
extern const char* const willrepairlabel;
// --check without --repair: after the report of a refused file that --repair would take.
extern const char* const wouldrepairlabel;
// Takes the rare error's place in the report of codes::datatoolarge.
std::string toolargetext();

#endif
