// One indexing job: turns one source folder into one wall.
#pragma once

#include "engine/decode/PhotoWork.h"
#include "engine/base/JobErrors.h"
#include "engine/run/JobSummary.h"
#include "engine/run/JobUpdate.h"
#include "engine/walk/Walk.h"
#include "engine/wall/WallImages.h"
#include "engine/wall/WallPaths.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

struct WallTarget;

/// The job's settings and its stop flag, and run(), the one place that owns the run's threads
/// and state. The work it runs is in plain functions: walk() and dedupe() (walk/), processPhoto()
/// and copyVideo() (decode/), the progress cache (cache/) and the wall's output (wall/).
class Indexer {
public:
    using UpdateHandler = std::function<void(const JobUpdate&)>;

    /// Builds a job; does no input or output.
    Indexer(std::filesystem::path root, std::filesystem::path out, std::string title, bool dedupe,
            UpdateHandler onUpdate);
    Indexer(const Indexer&) = delete;
    Indexer& operator=(const Indexer&) = delete;

    const std::filesystem::path root; ///< the folder whose photos make the wall
    const std::filesystem::path out;  ///< the wall's output folder; everything written goes inside it
    const WallPaths wall;             ///< where the wall's files lie inside `out`
    const std::string title;
    const bool shouldDedupe;          ///< show duplicate copies once
    static constexpr int thumbSize = WallImages::thumbSize;
    static constexpr double quality = WallImages::quality;
    const int jobs;                   ///< photos processed at once, 2..6
    const UpdateHandler onUpdate;     ///< called on the thread that runs run(), never on a worker
    /// The page template copied to index.html; when empty, the one installed with the program.
    std::filesystem::path templateFile;
    /// How long processing waits while no photo finishes before it gives up on the photos in
    /// flight (a decoder that hangs) and writes the wall without them.
    std::chrono::milliseconds stallLimit = std::chrono::minutes(5);
    /// Whether photos of a wall built before previews existed get theirs in this run: each such
    /// photo is decoded again, which takes hours for a large HEIC library, so it is asked for.
    bool fillPreviews = false;
    /// Whether the wall keeps a screen-size copy (previews/, at the preview's size and quality) of
    /// every photo a browser shows itself, so that the wall alone shows every photo sharp where
    /// the originals cannot be found; photos that browsers cannot show get their previews as
    /// with fillPreviews, and those larger than a preview also a full-size JPEG (full/) that the
    /// viewer zooms into. Nothing: as the wall remembers from its last run that said (its
    /// .settings.json), else not. The run remembers what it was told.
    std::optional<bool> portable;
    /// How long a stop waits for the photos in flight before it leaves them behind as a stall
    /// does: a read that never returns (a hung drive) must not hold a stop.
    std::chrono::milliseconds stopLimit = std::chrono::seconds(1);
    /// While another process writes this wall: wait for it (reporting Waiting) instead of
    /// failing with WallInUse.
    bool waitForWall = false;
    /// Try again, alone, the photos that earlier runs passed over because they crashed a decoder.
    bool retryPassedOver = false;
    /// Make a playable copy of every video browsers cannot play, not only of the short ones and
    /// the live photos' clips: a long film takes about as long to copy as to watch on a slow
    /// machine, so it is asked for.
    bool everyVideoCopy = false;
    /// Decode in worker processes (kestova-worker), so that a decoder's crash costs one photo and
    /// not the run. Without the worker program photos are decoded in this process.
    bool isolateDecoders = true;

    /// The stop flag. Takes `lock` for the single read or write; any thread, never blocks for long.
    bool cancelled() const;
    /// Raises the stop flag; it is never cleared.
    void cancel();

    /// What the work on one photo needs of this job, `portable` as told (no for "as the wall
    /// remembers": run() takes that from the wall, and its workers and worker processes get
    /// this value so amended).
    PhotoWork photoWork() const;
    /// What the walk needs of this job; it reports Scanning through onUpdate.
    WalkSettings walkSettings() const;
    /// The wall this job writes.
    WallTarget wallTarget() const;

    /// The whole job on the calling thread. Throws JobCancelled when stopped during the walk,
    /// JobError when the output cannot be written or the template is missing, WallInUse when
    /// another process writes the wall, SourceMissing when the source has vanished. Call once.
    JobSummary run();

private:
    mutable std::mutex lock; ///< guards _cancelled only
    bool _cancelled = false;
};
