// One conversion in the calling order of the main dialog's convert command.
#ifndef SONORM_CLI_CONVERSION_H
#define SONORM_CLI_CONVERSION_H

#include "Result.h"

#include <string>

// A fresh Result; WaveSource::open on input; only when that succeeded WaveWriter::write to
// output, then WaveSource::close whatever write returned. The output is written in place (a
// failure leaves what was written, as the program does).
Result convertfile(const std::string& input, const std::string& output);

#endif
