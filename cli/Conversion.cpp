#include "Conversion.h"

#include "ReportText.h"
#include "StagedOutput.h"
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

std::string converttostaged(Result& result, WaveSource& source, StagedOutput& staged,
                            bool privatefile) {
    if (!staged.create(privatefile)) {
        Result ignored;
        source.close(ignored);
        return "cannot create a temporary file beside it: " + staged.error();
    }
    WaveWriter writer;
    writer.write(result, source, staged.name().c_str());
    source.close(result);
    if (!result.ok()) {
        return oneline(reporttext(result));
    }
    if (!staged.allowed(RewriteStep::convert)) {
        return staged.error();
    }
    return std::string();
}
