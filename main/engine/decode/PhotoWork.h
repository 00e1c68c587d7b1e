// One photo's work: its thumbnail (and preview) in the wall and its cache record; and one
// video's playable copy. Plain functions of the photo and a value: no threads, no job.
#pragma once

#include "engine/cache/CacheRecord.h"
#include "engine/decode/PhotoOutcome.h"
#include "engine/walk/FileEntry.h"
#include "engine/wall/WallPaths.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

/// What a photo's work needs to know of its run: a value, so that a worker left behind in a
/// read that never returns holds its own and never reads a job that is gone.
struct PhotoWork {
    std::filesystem::path root; ///< the source the photos' rel are below
    WallPaths wall;
    /// Photos of a wall built before previews existed get theirs (see Indexer::fillPreviews).
    bool fillPreviews = false;
    /// A portable wall: screen-size copies and full-size JPEGs (see Indexer::portable).
    bool portable = false;
};

/// When a thumbnail already on disk may stand for the photo without decoding it again.
enum class KeepThumbnail {
    ifNotOlder, ///< when it was written no earlier than the photo's modification time
    never,      ///< the photo is known to have changed: always make it anew
};

/// With `previews` a photo browsers cannot show (and a video's poster) also gets its large
/// preview, from the decode that makes its thumbnail. When the thumbnail may be kept, the
/// preview is made only with `remakePreview` (its record had one) or the work's `fillPreviews`
/// or `portable`. With `previews` and `portable`, a photo browsers show gets its screen-size
/// copy from the same decode; without `portable` a copy that stands is kept and none is made.
/// The wall's run processes this way.
struct PhotoExtras {
    bool previews = false;
    bool remakePreview = false;
};

/// The photo's cache record, writing its thumbnail unless one that may be kept exists; nothing
/// when unreadable. Safe to call from several threads at once.
std::optional<CacheRecord> process(const PhotoWork& work, const FileEntry& entry,
                                   KeepThumbnail keep = KeepThumbnail::ifNotOlder);
/// The same, telling a photo that changed while it was read from one that cannot be read, and
/// why. Throws JobError when the machine fails (no space on the wall, no descriptors, no
/// memory) rather than blame the photo.
PhotoOutcome processPhoto(const PhotoWork& work, const FileEntry& entry,
                          KeepThumbnail keep = KeepThumbnail::ifNotOlder, PhotoExtras extras = {});

/// Where the video a copy is made of lies: below root (a video, a live photo's clip beside
/// it) or in the wall (a motion photo's clip, copied out of the photo into motion/).
struct CopySource {
    std::string name;
    bool inWall = false;
};
/// Makes the playable copy of the video of `rel` (a video, or the photo whose clip `source`
/// is) at its videoCopyName, written beside it and renamed into place. Ends done without a
/// record, unreadable (damaged: it did not decode or encode; notSaved) or changed (the
/// source changed while it was read). `keepGoing` is asked as the copy goes; a copy it stops
/// ends stopped. Throws JobError when the machine fails, as processPhoto does.
PhotoOutcome copyVideo(const PhotoWork& work, std::string_view rel, const CopySource& source,
                       const std::function<bool()>& keepGoing = {});
