// The one-line progress display on stderr (only when stderr is a terminal and not -q):
// files done of total, bytes, rate. Drawn from one thread at a time.
#ifndef SONORM_CLI_PROGRESS_H
#define SONORM_CLI_PROGRESS_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class Progress {
public:
    explicit Progress(bool enabled);
    bool enabled() const { return on; }
    void start(std::size_t files, std::uint64_t bytes);
    void filedone(std::uint64_t bytes);
    // Bytes of a file under way (added to the bytes of the files done).
    void setcurrent(std::uint64_t bytes);
    // Redraws when the last drawing is older than the redraw interval (or force).
    void draw(bool force = false);
    // Removes the line, so that a report line can be written.
    void clear();

private:
    std::string line() const;

    bool on;
    std::size_t totalfiles = 0;
    std::uint64_t totalbytes = 0;
    std::size_t donefiles = 0;
    std::uint64_t donebytes = 0;
    std::uint64_t currentbytes = 0;
    std::size_t shown = 0; // length of the line on screen, 0: none
    std::chrono::steady_clock::time_point begin;
    std::chrono::steady_clock::time_point lastdraw;
};

// Progress of one big conversion: a timer thread polls the size of the file being written
// (the engine reports no progress and is not changed for it).
class OutputWatcher {
public:
    OutputWatcher(Progress& progress, std::string output);
    ~OutputWatcher();
    OutputWatcher(const OutputWatcher&) = delete;
    OutputWatcher& operator=(const OutputWatcher&) = delete;

private:
    void loop();

    Progress& progress;
    std::string output;
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    std::thread thread;
};

// Size from which a single-file conversion shows its progress.
constexpr std::uint64_t bigfilebytes = 100ull << 20;

std::string formatbytes(std::uint64_t bytes);

#endif
