#include "Progress.h"

#include "ConsoleIo.h"
#include "FileSystem.h"

#include <cstdio>

namespace {

constexpr auto redrawinterval = std::chrono::milliseconds(200);
constexpr auto pollinterval = std::chrono::milliseconds(250);
constexpr double kibibyte = 1024.0;
constexpr double mebibyte = kibibyte * 1024.0;
constexpr double gibibyte = mebibyte * 1024.0;

} // namespace

std::string formatbytes(std::uint64_t bytes) {
    char buf[32];
    double value = static_cast<double>(bytes);
    if (value >= gibibyte) {
        std::snprintf(buf, sizeof buf, "%.2f GiB", value / gibibyte);
    } else if (value >= mebibyte) {
        std::snprintf(buf, sizeof buf, "%.1f MiB", value / mebibyte);
    } else if (value >= kibibyte) {
        std::snprintf(buf, sizeof buf, "%.1f KiB", value / kibibyte);
    } else {
        std::snprintf(buf, sizeof buf, "%llu B", static_cast<unsigned long long>(bytes));
    }
    return buf;
}

Progress::Progress(bool enabled) : on(enabled) {}

void Progress::start(std::size_t files, std::uint64_t bytes) {
    totalfiles = files;
    totalbytes = bytes;
    donefiles = 0;
    donebytes = 0;
    currentbytes = 0;
    begin = std::chrono::steady_clock::now();
    lastdraw = begin - redrawinterval;
}

void Progress::filedone(std::uint64_t bytes) {
    ++donefiles;
    donebytes += bytes;
    currentbytes = 0;
}

void Progress::setcurrent(std::uint64_t bytes) {
    currentbytes = bytes;
}

std::string Progress::line() const {
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::uint64_t bytes = donebytes + currentbytes;
    double rate = seconds > 0 ? static_cast<double>(bytes) / seconds : 0;
    std::string text;
    if (totalfiles > 1) {
        text = std::to_string(donefiles) + "/" + std::to_string(totalfiles) + " files, ";
    }
    text += formatbytes(bytes) + " of " + formatbytes(totalbytes) + ", " +
            formatbytes(static_cast<std::uint64_t>(rate)) + "/s";
    return text;
}

void Progress::draw(bool force) {
    if (!on) {
        return;
    }
    auto now = std::chrono::steady_clock::now();
    if (!force && now - lastdraw < redrawinterval) {
        return;
    }
    lastdraw = now;
    std::string text = line();
    std::size_t length = text.size();
    if (length < shown) {
        text.append(shown - length, ' '); // covers the rest of a longer previous line
    }
    writeerr("\r" + text);
    shown = length;
}

void Progress::clear() {
    if (!on || shown == 0) {
        return;
    }
    writeerr("\r" + std::string(shown, ' ') + "\r");
    shown = 0;
}

OutputWatcher::OutputWatcher(Progress& display, std::string name)
    : progress(display), output(std::move(name)) {
    if (progress.enabled()) {
        thread = std::thread([this] { loop(); });
    }
}

OutputWatcher::~OutputWatcher() {
    if (thread.joinable()) {
        {
            std::lock_guard<std::mutex> hold(lock);
            stopping = true;
        }
        wake.notify_all();
        thread.join();
        progress.clear();
    }
}

void OutputWatcher::loop() {
    std::unique_lock<std::mutex> hold(lock);
    while (!wake.wait_for(hold, pollinterval, [this] { return stopping; })) {
        FileStat st;
        if (fsstat(output, st)) {
            progress.setcurrent(st.size);
            progress.draw(true);
        }
    }
}
