// What a finished run returns.
#pragma once

#include "engine/decode/PhotoOutcome.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct JobSummary {
    /// Photos on the wall that was written, as its page counts them: videos not counted, and a
    /// raw file shown with its JPEG (see `rawPairs`) counted once.
    std::int64_t photos = 0;
    std::int64_t found = 0;      ///< photo files the walk returned, before duplicates are collapsed
    std::int64_t duplicates = 0; ///< found minus the photos left after collapsing; 0 when dedupe is off
    std::int64_t unreadable = 0; ///< photos whose decoder failed in this run, and those passed over
    std::int64_t undated = 0;    ///< photos on the wall without a date, videos not counted
    std::filesystem::path gallery; ///< always out / "index.html"
    bool partial = false;        ///< a stop had been requested when processing ended
    /// The unreadable photos with their reasons, sorted by rel: as many as `unreadable` counts.
    /// Only failures are named, so a run of a million photos that all decode carries an empty
    /// list. A photo a stop left in flight is not among them: it is simply not done yet.
    std::vector<UnreadablePhoto> unreadableFiles;
    /// Photos that changed, vanished or grew while they were read: left for the next run.
    std::int64_t changed = 0;
    /// Photos not tried because they crashed a decoder in earlier runs (relative paths; they
    /// are counted in `unreadable` too).
    std::vector<std::string> passedOver;
    /// Photos left behind because they made no progress for the stall limit (relative paths,
    /// sorted): they took too long, and are tried again next run.
    std::vector<std::string> tookTooLong;
    /// Folders the walk could not read (relative paths): their photos of earlier runs stay on
    /// the wall.
    std::vector<std::string> unreadableFolders;
    std::int64_t tooLong = 0;    ///< folders and photos left out: their path is longer than the system allows
    std::int64_t videos = 0;     ///< videos on the wall (a live photo's clip is part of its photo)
    std::int64_t undatedVideos = 0; ///< videos on the wall without a date
    std::int64_t rawPairs = 0;   ///< raw files shown with the JPEG of the same name, in `photos` once
    /// Photos a stop (or the stall limit) left for the next run; 0 when the run finished the wall.
    std::int64_t toDo = 0;
    /// Playable copies of videos made in this run (videos/ in the wall).
    std::int64_t videoCopies = 0;
    /// Videos whose playable copy could not be made, and why, sorted by rel: they stay on the
    /// wall and play where the browser can play the original.
    std::vector<UnreadablePhoto> noCopy;
    /// Playable copies a stop left for the next run (the wall itself may be finished).
    std::int64_t copiesToDo = 0;

    /// The wall misses photos that the next run adds: its page and Your walls say so.
    bool unfinished() const { return partial && toDo > 0; }

    friend bool operator==(const JobSummary&, const JobSummary&) = default;
};
