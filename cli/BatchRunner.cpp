#include "BatchRunner.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace {
constexpr auto waitslice = std::chrono::milliseconds(100);
} // namespace

BatchRunner::BatchRunner(unsigned count, Reporter& out, Progress& display)
    : threads(count == 0 ? 1 : count), reporter(out), progress(display) {}

void BatchRunner::run(const std::vector<PlannedJob>& jobs, const Work& work) {
    std::uint64_t totalbytes = 0;
    for (const PlannedJob& job : jobs) {
        totalbytes += job.size;
    }
    progress.start(jobs.size(), totalbytes);

    std::vector<std::optional<JobOutcome>> outcomes(jobs.size());
    std::mutex lock;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};

    auto worker = [&] {
        for (;;) {
            std::size_t index = next.fetch_add(1);
            if (index >= jobs.size()) {
                return;
            }
            JobOutcome outcome;
            try {
                outcome = work(jobs[index]);
            } catch (const std::exception& e) {
                outcome = failedoutcome(std::string("internal error: ") + e.what());
            }
            {
                std::lock_guard<std::mutex> hold(lock);
                outcomes[index] = std::move(outcome);
            }
            finished.notify_one();
        }
    };

    std::size_t count = threads < jobs.size() ? threads : jobs.size();
    std::vector<std::thread> pool;
    for (std::size_t i = 0; i < count; ++i) {
        pool.emplace_back(worker);
    }
    // This thread reports, in input order, and draws the progress line.
    std::size_t reported = 0;
    while (reported < jobs.size()) {
        std::optional<JobOutcome> outcome;
        {
            std::unique_lock<std::mutex> hold(lock);
            finished.wait_for(hold, waitslice, [&] { return outcomes[reported].has_value(); });
            if (outcomes[reported]) {
                outcome = std::move(outcomes[reported]);
                outcomes[reported].reset();
            }
        }
        if (outcome) {
            reporter.report(jobs[reported], *outcome);
            progress.filedone(jobs[reported].size);
            ++reported;
        }
        progress.draw();
    }
    for (std::thread& t : pool) {
        t.join();
    }
    progress.clear();
}
