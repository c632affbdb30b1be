#include "ReportText.h"

#include "ErrorReport.h"
#include "Messages.h"
#include "SystemText.h"

#include <algorithm>
#include <mutex>

namespace {
// The system-text lookups behind the report are not guaranteed to be thread-safe.
std::mutex reportlock;
} // namespace

std::string reporttext(const Result& result) {
    char buf[reportsize];
    bool severe = false;
    std::lock_guard<std::mutex> hold(reportlock);
    return composereport(result, loadtabletext, nullptr, buf, severe) ? buf : "";
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
