#include "Conversion.h"

#include "WaveSource.h"
#include "WaveWriter.h"

Result convertfile(const std::string& input, const std::string& output) {
    Result result;
    WaveSource source;
    WaveWriter writer;
    if (source.open(result, input.c_str())) {
        writer.write(result, source, output.c_str());
        source.close(result);
    }
    return result;
}
