// The whole job: walk, duplicates, cache, parallel processing, wall.
#include "engine/Indexer.h"

#include "engine/PhotoJournal.h"
#include "engine/WallGuard.h"
#include "engine/WorkerPool.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr auto pollInterval = std::chrono::milliseconds(150);
constexpr auto saveInterval = std::chrono::seconds(30);
/// The estimate needs this many finished photos to be worth showing.
constexpr std::int64_t estimateAfter = 21;

/// State the workers share with the job's thread while photos are processed.
struct Work {
    std::mutex lock; ///< guards map, finished and failed; never held with the job's own lock
    CacheMap map;
    std::int64_t finished = 0;
    std::vector<std::string> failed; ///< the rels whose processing gave no record
    bool abandoned = false; ///< the run went on without the photos still in flight
};

/// The refusal of a link planted in the wall's folder: writes through it would land elsewhere.
JobError linkRefused(const fs::path& link)
{
    return JobError("\u201C" + link.string() + "\u201D is a link to another place. Kestova writes a wall "
                    "only into a real folder, so nothing was written.");
}

} // namespace

JobSummary Indexer::run()
{
    // 1. The thumbnail folder, and with it the output folder.
    {
        // Everything is written inside the wall's own folder: a link planted in place of that
        // folder or of its thumbs folder would send the writes somewhere else, so refuse it.
        for (const fs::path& dir : {out, thumbDir()}) {
            std::error_code ec;
            if (fs::is_symlink(dir, ec))
                throw linkRefused(dir);
        }
        std::error_code ec;
        fs::create_directories(thumbDir(), ec);
        if (ec || !fs::is_directory(thumbDir(), ec))
            throw JobError("Couldn't create the folder \u201C" + thumbDir().string() + "\u201D: "
                           + (ec ? ec.message() : std::string("a file is in the way")) + ".");
        if (const auto link = WallGuard::linkedThumbFolder(thumbDir()))
            throw linkRefused(*link);
        WallGuard::removeStaleTemporaries(out);
    }

    // 2-3.
    JobSummary summary;
    summary.gallery = galleryFile();
    if (onUpdate)
        onUpdate(JobUpdates::Scanning{0});

    // 4-6. The walk, then duplicates.
    std::vector<FileEntry> entries = scan();
    summary.found = static_cast<std::int64_t>(entries.size());
    if (shouldDedupe) {
        entries = dedupe(entries);
        summary.duplicates = summary.found - static_cast<std::int64_t>(entries.size());
    }

    // 7-8. What is already done.
    // Shared with the workers rather than owned by this frame: a worker stuck in a decoder may
    // outlive run() (see the stall below).
    const auto shared = std::make_shared<Work>();
    Work& work = *shared;
    std::optional<CacheMap> stored = readCache();
    const bool storedUsable = stored.has_value();
    if (stored)
        work.map = std::move(*stored);
    // The reuse test, with the thumbnails' existence learned by listing their folders: a large
    // wall's update then costs a few hundred directory reads instead of a lookup per photo.
    std::vector<const FileEntry*> todo;
    ThumbIndex thumbs(thumbDir());
    for (const FileEntry& entry : entries) {
        if (!canReuse(entry, work.map, thumbs))
            todo.push_back(&entry);
    }
    const std::size_t loaded = work.map.size();
    // Photos that were in flight when earlier runs died: the one that crashes the decoder is
    // passed over after a few deaths, the others are tried first, alone.
    const auto journal = std::make_shared<PhotoJournal>(journalFile(), entries);
    std::vector<std::string> passedOver;
    std::erase_if(todo, [&](const FileEntry* e) {
        if (!journal->passesOver(*e))
            return false;
        passedOver.push_back(e->rel);
        return true;
    });
    std::stable_partition(todo.begin(), todo.end(), [&](const FileEntry* e) { return journal->isSuspect(*e); });

    // 9. Processing.
    if (!todo.empty()) {
        using Clock = std::chrono::steady_clock;
        const auto total = static_cast<std::int64_t>(todo.size());
        std::vector<std::string> stuck;
        bool gaveUp = false;
        {
            journal->open();
            // A twin of this job for the workers, which share it: a worker stuck in a decoder
            // then never reads a job that its owner has already dropped.
            const auto worker = std::make_shared<const Indexer>(root, out, title, shouldDedupe, nullptr);
            auto pool = std::make_unique<WorkerPool>(jobs);
            for (const FileEntry* entry : todo) {
                pool->add([this, entry = *entry, shared, journal, worker] {
                    if (cancelled())
                        return;
                    const auto flight = journal->begin(entry);
                    if (!flight)
                        return; // the run gave up before this photo's turn
                    std::optional<CacheRecord> record;
                    try {
                        record = worker->process(entry);
                    } catch (...) {
                        // An image library that throws (out of memory on a huge picture) makes
                        // the photo unreadable, not the run a failure.
                    }
                    Work& work = *shared;
                    std::lock_guard guard(work.lock);
                    if (work.abandoned)
                        return;
                    ++work.finished;
                    if (record)
                        work.map.insert_or_assign(entry.rel, std::move(*record));
                    else
                        work.failed.push_back(entry.rel); // an older record stays and reaches the wall
                });
            }
            const auto started = Clock::now();
            auto lastSave = started;
            auto lastProgress = started;
            std::int64_t lastFinished = 0;
            while (pool->count() > stuck.size()) {
                std::this_thread::sleep_for(pollInterval);
                if (cancelled())
                    pool->cancelPending();
                std::int64_t finished;
                std::optional<CacheMap> snapshot;
                {
                    std::lock_guard guard(work.lock);
                    finished = work.finished;
                    if (Clock::now() - lastSave > saveInterval)
                        snapshot = work.map;
                }
                // A decoder that never returns must not hold the wall forever: when no photo has
                // finished for a long while, the photos in flight are given up (the next run
                // passes them over) and the run ends without waiting for them.
                if (finished != lastFinished) {
                    lastFinished = finished;
                    lastProgress = Clock::now();
                } else if (!gaveUp && Clock::now() - lastProgress > stallLimit) {
                    pool->cancelPending();
                    stuck = journal->giveUp();
                    gaveUp = true;
                }
                std::optional<double> eta;
                if (finished >= estimateAfter) {
                    const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
                    eta = static_cast<double>(total - finished) / (static_cast<double>(finished) / elapsed);
                }
                if (onUpdate)
                    onUpdate(JobUpdates::Thumbnails{finished, total, eta});
                if (snapshot) {
                    saveCache(*snapshot);
                    lastSave = Clock::now();
                }
            }
            if (gaveUp) {
                // The stuck workers cannot be joined; their pool is left to them, and they find
                // the work abandoned if they ever come back.
                std::lock_guard guard(work.lock);
                work.abandoned = true;
                (void)pool.release();
            }
        } // the pool's threads end here; no worker touches `work` any more
        journal->close();
        {
            // A stuck worker that comes back still takes the lock to find the work abandoned.
            std::lock_guard guard(work.lock);
            summary.unreadableFiles = std::move(work.failed);
        }
        summary.unreadableFiles.insert(summary.unreadableFiles.end(), stuck.begin(), stuck.end());
        summary.partial = cancelled() || gaveUp;
    }
    summary.unreadableFiles.insert(summary.unreadableFiles.end(), passedOver.begin(), passedOver.end());
    std::sort(summary.unreadableFiles.begin(), summary.unreadableFiles.end());
    summary.unreadable = static_cast<std::int64_t>(summary.unreadableFiles.size());

    // 10-11.
    if (onUpdate)
        onUpdate(JobUpdates::Writing{});
    prune(work.map, entries);
    // When nothing was processed and nothing pruned, the file on disk already holds this map.
    if (!storedUsable || !todo.empty() || work.map.size() != loaded)
        saveCache(work.map);

    // 12-13.
    Wall wall = buildWall(work.map);
    summary.undated = wall.undated;
    summary.photos = static_cast<std::int64_t>(wall.entries.size());
    writeWall(wall.entries);
    return summary;
}
