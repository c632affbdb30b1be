// One conversion in the calling order of the main dialog's convert command.
#ifndef SONORM_CLI_CONVERSION_H
#define SONORM_CLI_CONVERSION_H

#include "Result.h"

#include <string>

// A fresh Result; WaveSource::open on input; only when that succeeded WaveWriter::write to
// output, then WaveSource::close whatever write returned. The output is written in place (a
// failure leaves what was written, as the program does).
Result convertfile(const std::string& input, const std::string& output);

class StagedOutput;
class WaveSource;

// The rest of a conversion after a successful open, into a temporary file beside the target:
// creates it, writes it with the writer, then closes the source whatever the write returned.
// Empty on success, else the one-line failure text (the engine's report, or why the temporary
// file could not be made).
std::string converttostaged(Result& result, WaveSource& source, StagedOutput& staged,
                            bool privatefile);

#endif
