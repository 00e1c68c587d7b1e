// The sizes and qualities of the images a wall holds.
#pragma once

#include "engine/wall/WallSchema.h"

namespace WallImages {

/// The thumbnails' longest side, in pixels, as the page lays them out.
inline constexpr int thumbSize = WallSchema::thumbSize;
/// The thumbnails' JPEG quality, 0..1.
inline constexpr double quality = 0.55;
/// Longest side and JPEG quality (1..100) of the large previews of photos that browsers cannot
/// show, chosen with bench/media.sh: as sharp as the original on a 1440x900 screen and a
/// little soft at twice its pixel density; for a 12-megapixel HEIC under a tenth more
/// processing and under an eighth of its bytes (2048 pixels took more than an eighth even at
/// quality 70, for little more detail at 2x).
inline constexpr int previewSize = 1600;
inline constexpr int previewQuality = 80;
/// The JPEG quality of a portable wall's full-size copies of photos that browsers cannot show,
/// as the previews': chosen with bench/zoom.sh, where quality 90 took 1.7 times the bytes.
inline constexpr int fullQuality = previewQuality;

} // namespace WallImages
