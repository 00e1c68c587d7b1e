// The walk's thread and the thread that waits for it: a folder whose file system never answers
// (a dead network share, a hung FUSE mount) holds only the walking thread, which is left behind.
#pragma once

#include <chrono>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

/// Shared by the walking thread and the watching one (the job's thread, which makes every
/// report). Walkers are numbered; once the watcher has left walker n behind, n's calls change
/// nothing and tell it to end at once, and walker n + 1 carries the walk on. Between steps the
/// walk's data belong to the current walker; during a step (and once it has finished) to the
/// watcher.
class WalkWatch {
public:
    struct Limits {
        std::chrono::milliseconds poll{150};
        /// A step that reads nothing for this long is left behind.
        std::chrono::milliseconds stall{std::chrono::minutes(5)};
        /// After a stop, a step still running this much later is left behind.
        std::chrono::milliseconds stop{1000};
    };
    explicit WalkWatch(Limits limits) : limits(limits) {}

    // --- the walking thread; `walker` is the number it was started with
    /// A call that may never return begins: the reading of the folder `rel`.
    void beginStep(int walker, std::string rel);
    /// The step read one more entry, so it is not stuck. Takes no lock.
    void stepProgress() { progress.fetch_add(1, std::memory_order_relaxed); }
    /// The step returned. False when its walker was left behind meanwhile: it must end at once
    /// and touch nothing of the walk.
    bool endStep(int walker);
    /// Hands a report to the watching thread and blocks until it has been made. False when the
    /// walker was left behind.
    bool report(int walker, std::int64_t found);
    /// The walk ended, with the error that ended it, if any.
    void finish(int walker, std::exception_ptr error);
    /// For a walk on the watching thread itself (no thread to be had): report() then makes
    /// each report at once through `make`. Call before that walk begins.
    void reportAtOnce(std::function<void(std::int64_t)> make);

    // --- the watching thread
    enum class Event {
        report,      ///< a report to make: pendingReport(), then reported()
        finished,    ///< the walk ended: error() says how
        stalled,     ///< a step read nothing for the stall limit: leaveBehind()
        stopOverdue, ///< stopped, and a step is still running after the stop limit
    };
    /// Blocks until something happens; `cancelled` is polled, never under the lock.
    Event wait(const std::function<bool()>& cancelled);
    std::int64_t pendingReport();
    void reported();
    /// Leaves the walker that is in a step behind. Returns the folder it was reading; the
    /// caller starts walker current() to carry on.
    std::string leaveBehind();
    int current();
    std::exception_ptr error();

private:
    const Limits limits;
    std::mutex lock; ///< guards all below but `progress` and `makeReport`; never held during a step or a report
    std::condition_variable changed;
    int walker = 0;
    bool inStep = false;
    std::string stepFolder;
    std::chrono::steady_clock::time_point lastProgressAt;
    std::uint64_t lastProgress = 0;
    std::optional<std::int64_t> pending;
    bool done = false;
    std::exception_ptr failure;
    std::optional<std::chrono::steady_clock::time_point> stopSeen;
    std::atomic<std::uint64_t> progress{0};
    std::function<void(std::int64_t)> makeReport; ///< set before a walk on the watching thread
};
