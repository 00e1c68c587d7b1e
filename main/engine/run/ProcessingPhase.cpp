// Photos processed in parallel while the calling thread reports, saves and watches for stops
// and stalls.
#include "engine/run/ProcessingPhase.h"

#include "engine/run/TimeEstimate.h"
#include "engine/run/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

namespace ProcessingPhase {
namespace {

TimeEstimate::Work workOf(const FileEntry& entry)
{
    return {TimeEstimate::kindOf(entry.rel), entry.size};
}

double secondsSince(std::chrono::steady_clock::time_point start,
                    std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now())
{
    return std::chrono::duration<double>(now - start).count();
}

std::vector<TimeEstimate::Work> workOf(const std::vector<FileEntry>& todo)
{
    std::vector<TimeEstimate::Work> work;
    work.reserve(todo.size());
    for (const FileEntry& entry : todo)
        work.push_back(workOf(entry));
    return work;
}

/// Everything the workers share with the calling thread, and nothing else. Owned jointly: a
/// worker left behind in a read that never returns may come back after the phase is over.
struct Shared {
    explicit Shared(const std::vector<FileEntry>& todo) : estimate(workOf(todo)) {}

    std::mutex lock; ///< guards everything below; never held while a photo is processed
    CacheMap map;
    std::int64_t finished = 0;
    std::vector<Ended> ended;
    std::optional<JobError> machineFailure;
    bool abandoned = false; ///< the phase went on without the photos still in flight
    TimeEstimate estimate;
    /// The stall allowances of the files in flight.
    std::multiset<std::chrono::milliseconds> allowances;
};

} // namespace

Outcome run(CacheMap map, const std::vector<FileEntry>& todo, std::shared_ptr<PhotoJournal> journal, Process process,
            const Settings& settings)
{
    using Clock = std::chrono::steady_clock;
    const auto shared = std::make_shared<Shared>(todo);
    shared->map = std::move(map);
    const auto stop = std::make_shared<std::atomic<bool>>(false);
    const auto processPhoto = std::make_shared<const Process>(std::move(process));
    const auto allowanceOf = std::make_shared<const std::function<std::chrono::milliseconds(const FileEntry&)>>(settings.allowance);
    const auto total = static_cast<std::int64_t>(todo.size());
    Outcome outcome;

    const auto started = Clock::now();
    WorkerPool pool(settings.jobs);
    for (const FileEntry& entry : todo) {
        // Cheap beside a photo, and the only way a stop reaches the inline twin.
        if (!stop->load() && settings.cancelled && settings.cancelled())
            stop->store(true);
        pool.add([shared, stop, journal, processPhoto, allowanceOf, entry, started] {
            if (stop->load())
                return;
            const auto flight = journal->begin(entry);
            if (!flight)
                return; // the phase gave up before this photo's turn
            const auto allowance = *allowanceOf ? (*allowanceOf)(entry) : std::chrono::milliseconds(0);
            {
                std::lock_guard guard(shared->lock);
                shared->estimate.started(workOf(entry), secondsSince(started));
                shared->allowances.insert(allowance);
            }
            // However the file ends, its allowance ends with it.
            struct Release {
                Shared& shared;
                std::chrono::milliseconds allowance;
                ~Release()
                {
                    std::lock_guard guard(shared.lock);
                    if (const auto it = shared.allowances.find(allowance); it != shared.allowances.end())
                        shared.allowances.erase(it);
                }
            } release{*shared, allowance};
            PhotoOutcome result;
            try {
                result = (*processPhoto)(entry);
            } catch (const JobError& failure) {
                // The machine failed, not the photo: everything stops as for a stop, and the
                // photo is simply not done.
                stop->store(true);
                std::lock_guard guard(shared->lock);
                if (!shared->machineFailure)
                    shared->machineFailure = failure;
                return;
            } catch (...) {
                // An image library that throws makes the photo unreadable, not the run a failure.
                result = PhotoOutcome::unreadable(WhyUnreadable::damaged);
            }
            std::lock_guard guard(shared->lock);
            if (shared->abandoned)
                return;
            ++shared->finished;
            shared->estimate.finished(workOf(entry), secondsSince(started));
            // Without a new record an older one stays, and reaches the wall.
            if (result.record)
                shared->map.insert_or_assign(entry.rel, std::move(*result.record));
            shared->ended.push_back({entry.rel, result.end, result.why, std::move(result.message)});
        });
    }

    auto lastSave = Clock::now();
    auto lastProgress = lastSave;
    std::optional<Clock::time_point> stopSeen;
    std::int64_t lastFinished = 0;
    std::optional<JobUpdates::Thumbnails> lastPosted;
    std::size_t stuck = 0;
    bool leftBehind = false;
    std::vector<Ended> inFlight; ///< left behind: stopped or stalled
    while (pool.count() > stuck) {
        std::this_thread::sleep_for(settings.pollInterval);
        const auto now = Clock::now();
        if ((settings.cancelled && settings.cancelled()) || stop->load()) {
            stop->store(true);
            pool.cancelPending();
            if (!stopSeen)
                stopSeen = now;
        }
        std::int64_t finished;
        std::optional<double> eta;
        std::optional<CacheMap> snapshot;
        std::chrono::milliseconds allowance{0};
        {
            std::lock_guard guard(shared->lock);
            finished = shared->finished;
            if (!shared->allowances.empty())
                allowance = *shared->allowances.rbegin();
            eta = shared->estimate.remaining(secondsSince(started, now));
            if (now - lastSave > settings.saveInterval)
                snapshot = shared->map;
        }
        if (finished != lastFinished) {
            lastFinished = finished;
            lastProgress = now;
        }
        // A decoder that never returns must not hold the wall for ever, nor a stop for longer
        // than a moment: the photos in flight are left behind and the phase ends without them.
        const bool stalled = now - lastProgress > settings.stallLimit + allowance;
        const bool stopOverdue = stopSeen && now - *stopSeen > settings.stopLimit;
        if (!leftBehind && (stalled || stopOverdue)) {
            pool.cancelPending();
            std::vector<std::string> givenUp = journal->giveUp();
            std::sort(givenUp.begin(), givenUp.end());
            stuck = givenUp.size();
            // After a stop a photo in flight is simply not done; without one, it took too long.
            for (std::string& rel : givenUp)
                inFlight.push_back({std::move(rel), stopOverdue ? PhotoEnd::stopped : PhotoEnd::stalled});
            leftBehind = true;
        }
        // A report is posted only when it says something new: a slow photo would otherwise post
        // the same count every poll to a receiver that redraws on each.
        const JobUpdates::Thumbnails update{finished, total, eta, settings.making};
        if (settings.onUpdate && update != lastPosted) {
            settings.onUpdate(update);
            lastPosted = update;
        }
        if (snapshot) {
            if (settings.save)
                settings.save(*snapshot);
            lastSave = Clock::now();
        }
    }

    std::lock_guard guard(shared->lock);
    if (leftBehind) {
        // The threads stuck in their photos cannot be joined: they are let go, and find the
        // work abandoned if they ever come back.
        shared->abandoned = true;
        pool.abandon();
    }
    outcome.map = std::move(shared->map);
    outcome.ended = std::move(shared->ended);
    outcome.ended.insert(outcome.ended.end(), inFlight.begin(), inFlight.end());
    outcome.machineFailure = std::move(shared->machineFailure);
    outcome.stopped = stop->load() || (settings.cancelled && settings.cancelled());
    return outcome;
}

std::vector<std::string> Outcome::with(PhotoEnd end) const
{
    std::vector<std::string> rels;
    for (const Ended& photo : ended) {
        if (photo.end == end)
            rels.push_back(photo.rel);
    }
    return rels;
}

} // namespace ProcessingPhase
