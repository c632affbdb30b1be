#include "ReportText.h"

#include "ErrorReport.h"
#include "StringSource.h"

#include <mutex>

namespace {
// The system-text lookups behind the report are not guaranteed to be thread-safe.
std::mutex reportlock;
} // namespace

std::string reporttext(const Result& result) {
    char buf[reportsize];
    bool severe = false;
    std::lock_guard<std::mutex> hold(reportlock);
    if (!composereport(result, loadstringtext, nullptr, buf, severe)) {
        return std::string();
    }
    return std::string(buf);
}

std::string oneline(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}
