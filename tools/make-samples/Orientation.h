// Turning an upright picture into the pixel layout a camera stores with an EXIF orientation.
#pragma once

#include "Canvas.h"

namespace samples {

/// The pixels a camera would store for `upright` when it records `orientation` (1, 3, 6 or 8):
/// turning them as that orientation says gives `upright` back. Other values leave it as is.
Canvas storedForOrientation(const Canvas& upright, int orientation);

} // namespace samples
