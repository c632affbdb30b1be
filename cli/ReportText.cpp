#include "ReportText.h"

#include "Codes.h"
#include "ErrorReport.h"
#include "Messages.h"
#include "StringTable.h"
#include "SystemText.h"
#include "WaveLayout.h"

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
    if (!composereport(result, repairtext ? loadtext : loadtabletext,
                       repairtext ? &toolarge : nullptr, buf, severe)) {
        return "";
    }
    // The Japanese stays the program's own text; English separates words from the "[".
    std::string report = buf;
    const std::size_t suffix = report.rfind('[');
    if (currentlanguage() == Language::english && suffix != report.npos && suffix != 0 &&
        report[suffix - 1] != ' ') {
        report.insert(suffix, 1, ' ');
    }
    return report;
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
    auto linebreak = [](char c) { return c == '\r' || c == '\n'; };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        while (end < text.size() && linebreak(text[end])) {
            ++end;
        }
        if (end == i) {
            out += text[i++];
            continue;
        }
        if (!out.empty() && out.back() != ' ' && end < text.size() && text[end] != ' ') {
            out += ' ';
        }
        i = end;
    }
    return out;
}
