#include "Runner.h"

#include "Descriptors.h"
#include "Messages.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

unsigned workercount(unsigned requested, std::size_t jobs) {
    unsigned wanted =
        requested != 0 ? requested : std::max(1u, std::thread::hardware_concurrency());
    const std::size_t room = descriptorroom();
    const std::size_t fit =
        room > spareddescriptors ? (room - spareddescriptors) / workerdescriptors : 0;
    return static_cast<unsigned>(std::min<std::size_t>(
        {wanted, maxworkers, std::max<std::size_t>(jobs, 1), std::max<std::size_t>(fit, 1)}));
}

void runjobs(const std::vector<Job>& jobs, unsigned workers,
             const std::function<Outcome(const Job&)>& work,
             const std::function<void(const Job&, const Outcome&)>& done) {
    std::vector<std::optional<Outcome>> outcomes(jobs.size());
    std::mutex lock;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};
    std::condition_variable released;
    std::size_t busy = 0;    // workers inside a job: they may hold descriptors
    std::uint64_t freed = 0; // jobs ended otherwise than for lack of descriptors
    auto attempt = [&](const Job& job) {
        try {
            return work(job);
        } catch (const std::exception& e) {
            Outcome outcome;
            outcome.message = say(Message::internalerror, {e.what()});
            return outcome;
        }
    };
    // A run again follows a job that ended for good since the failed attempt began, so runs
    // again are finite too.
    auto run = [&](const Job& job) {
        for (;;) {
            std::unique_lock<std::mutex> hold(lock);
            ++busy;
            const std::uint64_t seen = freed;
            hold.unlock();
            Outcome outcome = attempt(job);
            hold.lock();
            --busy;
            freed += outcome.nodescriptors ? 0 : 1;
            released.notify_all();
            released.wait(hold,
                          [&] { return !outcome.nodescriptors || freed != seen || busy == 0; });
            if (!outcome.nodescriptors || freed == seen) {
                return outcome;
            }
        }
    };
    auto worker = [&] {
        for (std::size_t index; (index = next.fetch_add(1)) < jobs.size();) {
            Outcome outcome = run(jobs[index]);
            std::lock_guard<std::mutex> hold(lock);
            outcomes[index] = std::move(outcome);
            finished.notify_one();
        }
    };
    std::vector<std::thread> pool;
    try {
        while (pool.size() < workers && workers > 1) {
            pool.emplace_back(worker);
        }
    } catch (const std::system_error&) {
        // Fewer workers than asked: those that started take every job.
    }
    if (pool.empty()) {
        for (const Job& job : jobs) {
            done(job, run(job));
        }
        return;
    }
    for (std::size_t reported = 0; reported < jobs.size(); ++reported) {
        std::unique_lock<std::mutex> hold(lock);
        finished.wait(hold, [&] { return outcomes[reported].has_value(); });
        Outcome outcome = std::move(*outcomes[reported]);
        outcomes[reported].reset();
        hold.unlock();
        done(jobs[reported], outcome);
    }
    for (std::thread& thread : pool) {
        thread.join();
    }
}
