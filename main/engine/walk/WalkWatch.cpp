// The walk's thread and the thread that waits for it.
#include "engine/walk/WalkWatch.h"

void WalkWatch::beginStep(int self, std::string rel)
{
    std::lock_guard guard(lock);
    if (self != walker)
        return;
    inStep = true;
    stepFolder = std::move(rel);
    lastProgress = progress.load(std::memory_order_relaxed);
    lastProgressAt = std::chrono::steady_clock::now();
}

bool WalkWatch::endStep(int self)
{
    std::lock_guard guard(lock);
    if (self != walker)
        return false;
    inStep = false;
    return true;
}

bool WalkWatch::report(int self, std::int64_t found)
{
    if (makeReport) {
        makeReport(found);
        return true;
    }
    std::unique_lock guard(lock);
    if (self != walker)
        return false;
    pending = found;
    changed.notify_all();
    changed.wait(guard, [&] { return !pending || self != walker; });
    return self == walker;
}

void WalkWatch::reportAtOnce(std::function<void(std::int64_t)> make)
{
    makeReport = std::move(make);
}

void WalkWatch::finish(int self, std::exception_ptr error)
{
    std::lock_guard guard(lock);
    if (self != walker)
        return;
    done = true;
    failure = std::move(error);
    changed.notify_all();
}

WalkWatch::Event WalkWatch::wait(const std::function<bool()>& cancelled)
{
    using Clock = std::chrono::steady_clock;
    while (true) {
        {
            std::unique_lock guard(lock);
            changed.wait_for(guard, limits.poll, [&] { return pending || done; });
            if (pending)
                return Event::report;
            if (done)
                return Event::finished;
        }
        const bool stop = cancelled && cancelled();
        std::lock_guard guard(lock);
        const auto now = Clock::now();
        if (stop && !stopSeen)
            stopSeen = now;
        if (!inStep)
            continue; // walking what it has read; it sees a stop at its next entry
        if (const auto read = progress.load(std::memory_order_relaxed); read != lastProgress) {
            lastProgress = read;
            lastProgressAt = now;
        }
        if (stopSeen && now - *stopSeen > limits.stop)
            return Event::stopOverdue;
        if (now - lastProgressAt > limits.stall)
            return Event::stalled;
    }
}

std::int64_t WalkWatch::pendingReport()
{
    std::lock_guard guard(lock);
    return pending.value_or(0);
}

void WalkWatch::reported()
{
    std::lock_guard guard(lock);
    pending.reset();
    changed.notify_all();
}

std::string WalkWatch::leaveBehind()
{
    std::lock_guard guard(lock);
    ++walker;
    inStep = false;
    changed.notify_all();
    return std::move(stepFolder);
}

int WalkWatch::current()
{
    std::lock_guard guard(lock);
    return walker;
}

std::exception_ptr WalkWatch::error()
{
    std::lock_guard guard(lock);
    return failure;
}
