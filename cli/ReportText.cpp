#include "ReportText.h"

#include "Codes.h"
#include "ErrorReport.h"
#include "Messages.h"
#include "StringTable.h"
#include "SystemText.h"
#include "WaveLayout.h"

#include <algorithm>
#include <mutex>

namespace {
// The system-text lookups behind the report are not guaranteed to be thread-safe.
std::mutex reportlock;

// A StringLoader that gives the text in context, whatever the id.
int loadtext(void* context, unsigned, char* buf, int size) {
    return putstringtable(static_cast<const std::string*>(context)->c_str(), buf, size);
}

} // namespace

std::string reporttext(const Result& result) {
    char buf[reportsize];
    bool severe = false;
    // Only --repair records this code; the program's table has no text of its own for it.
    const bool repairtext = result.code == codes::datatoolarge;
    std::string toolarge =
        repairtext ? say(Message::datatoolarge, {std::to_string(wave::maxcanonicaldata)}) : "";
    std::lock_guard<std::mutex> hold(reportlock);
    return composereport(result, repairtext ? loadtext : loadtabletext,
                         repairtext ? &toolarge : nullptr, buf, severe)
               ? buf
               : "";
}

std::string errortext(const std::error_code& error) {
    std::lock_guard<std::mutex> hold(reportlock);
    // The engine's maker speaks the language chosen for system texts (error_code's own does
    // not on Windows).
    if (error.category() == std::system_category()) {
        if (OwnedText text =
                formatmessagetext(formatfromsystem | formatignoreinserts, nullptr,
                                  static_cast<std::uint32_t>(error.value()), nullptr)) {
            return oneline(text.get());
        }
    }
    return oneline(error.message());
}

std::string oneline(const std::string& text) {
    std::string out = text;
    out.erase(std::remove_if(out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }),
              out.end());
    return out;
}
