// Live photos: a still and the short clip of the same name beside it make one photo.
#pragma once

#include "engine/walk/FileEntry.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace LivePhotos {

/// A live photo's clip is about three seconds long on every phone; twice that leaves room
/// for a longer capture setting and a container's rounding, while a film that merely
/// shares a photo's name is nearly always longer.
inline constexpr std::int64_t maxLiveClipMs = 6000;
/// Whether a clip of this length (0: unknown) can be a live photo's motion.
bool isLiveClipLength(std::int64_t durationMs);

struct LivePairs {
    std::vector<FileEntry> entries; ///< the stills (some with `motion` set) and the other files
    std::vector<FileEntry> clips;   ///< the videos that became a still's `motion`
};
/// Whether a clip is known to be a video of its own (its still made no pair with it).
using StandsAlone = std::function<bool(const FileEntry&)>;
/// Pairs each still with the short video of the same name (the name's case aside) in the
/// same folder: the video leaves the list and becomes the still's `motion`. Keeps the order
/// of what remains. A pair stands once both open and the clip is short (see ProcessPhoto.cpp).
LivePairs pairLivePhotos(std::vector<FileEntry> entries, const StandsAlone& standsAlone = nullptr);

} // namespace LivePhotos
