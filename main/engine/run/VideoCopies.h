// Which videos of a wall get a playable copy in videos/, and which copies already stand.
#pragma once

#include "engine/cache/CacheRecord.h"
#include "engine/walk/FileEntry.h"
#include "engine/decode/PhotoWork.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace VideoCopies {

/// A video shorter than this gets its copy without being asked: a phone's clip of a few
/// seconds takes a few seconds to copy, a film of an hour an hour.
inline constexpr std::int64_t shortVideoMs = 30'000;

/// One copy to make.
struct Work {
    /// The photo (a video, or the live photo's still), as the walk found it: what the journal
    /// and the estimate go by.
    FileEntry entry;
    CopySource source;
    std::int64_t sourceMtime = 0; ///< of the video the copy is made of
    std::int64_t durationMs = 0;
    /// The photo's record with the copy's flag: its record once the copy is made.
    CacheRecord record;
};

struct Plan {
    std::vector<Work> work;
    /// Records whose flag was set for a copy that already stands, or taken off for one that is gone.
    std::int64_t adjusted = 0;
    /// The photos whose flag was set so: their copies are done.
    std::vector<std::string> found;
};

/// Looks at every entry's record in `map`: a video or a clip that browsers play wants no copy;
/// one that they cannot wants one when it is a live photo's clip, shorter than shortVideoMs, or
/// `everyVideo` is set. A copy on disk stands while it is no older than its source and the photo
/// is not among `changed` (replaced since its record was made); its record gets the flag then,
/// wanted or not (a run removes no copy), and loses it when no copy stands. `clips` are the
/// clips that became live photos' motion, for their times.
Plan plan(CacheMap& map, const std::vector<FileEntry>& entries, const std::vector<FileEntry>& clips, const WallPaths& wall,
          bool everyVideo, const std::unordered_set<std::string>& changed);

} // namespace VideoCopies
