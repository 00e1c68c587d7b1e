// The processing phase of a run: the photos that need work, `jobs` at a time, with progress
// reports, periodic saves, a stop that never waits long, and photos that hang left behind.
#pragma once

#include "engine/CacheRecord.h"
#include "engine/FileEntry.h"
#include "engine/JobUpdate.h"
#include "engine/internal/PhotoJournal.h"
#include "engine/PhotoResult.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ProcessingPhase {

struct Settings {
    /// Worker threads; 0 processes every photo on the calling thread as it is added (the
    /// inline twin of the pool), which makes the outcome of a phase testable without threads.
    int jobs = 2;
    std::chrono::milliseconds pollInterval = std::chrono::milliseconds(150);
    std::chrono::seconds saveInterval = std::chrono::seconds(30);
    /// No photo finished for this long: the photos in flight are left behind.
    std::chrono::milliseconds stallLimit = std::chrono::minutes(5);
    /// After a stop, the photos in flight are left behind once this has passed.
    std::chrono::milliseconds stopLimit = std::chrono::seconds(1);
    /// The job's stop flag. Read on the calling thread only; the workers see a copy.
    std::function<bool()> cancelled;
    /// Every report, on the calling thread.
    std::function<void(const JobUpdate&)> onUpdate;
    /// The periodic save of a copy of the map, on the calling thread.
    std::function<void(const CacheMap&)> save;
};

/// The photo's record, or why there is none. Called on the worker threads, several at once.
using Process = std::function<PhotoResult(const FileEntry&)>;

struct Outcome {
    CacheMap map;                        ///< the map given, with the new records
    std::vector<std::string> processed;  ///< photos that got a new record, in the order they finished
    std::vector<std::string> unreadable; ///< photos that could not be read, in the order they finished
    std::int64_t changed = 0;            ///< photos that changed while they were read
    std::vector<std::string> givenUp;    ///< photos left behind in flight (stall or stop), sorted
    bool stopped = false;                ///< a stop was seen before the phase ended
    bool stalled = false;                ///< the photos in flight were left behind for making no progress
};

/// Processes `todo` in order (the journal lets suspects go alone). The map is the run's cache
/// map; records replace those of the same photo. Returns when every photo has finished, was
/// dropped by a stop, or was left behind.
Outcome run(CacheMap map, const std::vector<FileEntry>& todo, std::shared_ptr<PhotoJournal> journal, Process process,
            const Settings& settings);

} // namespace ProcessingPhase
