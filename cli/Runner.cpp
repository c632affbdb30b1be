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

// The calling thread is one of the workers. Whoever finishes the job next in order hands it
// over, and every finished one after it; the others go on working: nobody waits for anybody
// but for descriptors.
void runjobs(const std::vector<Job>& jobs, unsigned workers,
             const std::function<Outcome(const Job&)>& work,
             const std::function<void(const Job&, const Outcome&)>& done) {
    std::mutex lock;
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
    if (workers <= 1) {
        for (const Job& job : jobs) {
            done(job, run(job));
        }
        return;
    }
    std::vector<std::optional<Outcome>> outcomes(jobs.size());
    std::size_t reported = 0; // the next to hand over; with handing, under the lock
    bool handing = false;     // a thread is handing outcomes over
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t index; (index = next.fetch_add(1)) < jobs.size();) {
            Outcome outcome = run(jobs[index]);
            std::unique_lock<std::mutex> hold(lock);
            outcomes[index] = std::move(outcome);
            if (handing) {
                continue; // that thread finds this one once it is next
            }
            handing = true;
            while (reported < jobs.size() && outcomes[reported].has_value()) {
                const std::size_t at = reported++;
                Outcome ready = std::move(*outcomes[at]);
                outcomes[at].reset();
                hold.unlock();
                done(jobs[at], ready);
                hold.lock();
            }
            handing = false;
        }
    };
    std::vector<std::thread> pool;
    try {
        while (pool.size() + 1 < workers) {
            pool.emplace_back(worker);
        }
    } catch (const std::system_error&) {
        // Fewer workers than asked: those that started and the calling thread take every job.
    }
    worker();
    for (std::thread& thread : pool) {
        thread.join();
    }
}
