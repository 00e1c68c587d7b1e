// The processing phase of a run: the photos that need work, `jobs` at a time, with progress
// reports, periodic saves, a stop that never waits long, and photos that hang left behind.
#pragma once

#include "engine/cache/CacheRecord.h"
#include "engine/walk/FileEntry.h"
#include "engine/base/JobErrors.h"
#include "engine/run/JobUpdate.h"
#include "engine/decode/PhotoOutcome.h"
#include "engine/cache/PhotoJournal.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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
    /// More time a file in flight may take before the stall limit counts (a long video's copy
    /// takes longer than any photo); none when empty.
    std::function<std::chrono::milliseconds(const FileEntry&)> allowance;
    /// What the phase's reports say it makes.
    JobUpdates::Thumbnails::Making making = JobUpdates::Thumbnails::Making::thumbnails;
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
/// A JobError it throws is a failure of the machine (no space, no descriptors, no memory), not
/// of the photo: the phase stops as for a stop, and hands the error on. Anything else it
/// throws makes the photo unreadable.
using Process = std::function<PhotoOutcome(const FileEntry&)>;

/// How one photo of the work list ended.
struct Ended {
    std::string rel;
    PhotoEnd end = PhotoEnd::done;
    WhyUnreadable why = WhyUnreadable::damaged; ///< with PhotoEnd::unreadable only
    std::string message;                        ///< the decoder's words, with `why`
};

struct Outcome {
    CacheMap map;              ///< the map given, with the new records
    /// Every photo that ended, in the order it ended; those left in flight (stopped or
    /// stalled) last, sorted. A photo a stop kept from starting is not here.
    std::vector<Ended> ended;
    bool stopped = false;      ///< a stop was seen before the phase ended
    /// The machine failed (the first such error of any photo): the phase stopped at it, and
    /// the photo it met is not here, for it is no fault of the photo's.
    std::optional<JobError> machineFailure;

    /// The photos that ended so, in the order of `ended`.
    std::vector<std::string> with(PhotoEnd end) const;
};

/// Processes `todo` in order (the journal lets suspects go alone). The map is the run's cache
/// map; records replace those of the same photo. Returns when every photo has finished, was
/// dropped by a stop, or was left behind.
Outcome run(CacheMap map, const std::vector<FileEntry>& todo, std::shared_ptr<PhotoJournal> journal, Process process,
            const Settings& settings);

} // namespace ProcessingPhase
