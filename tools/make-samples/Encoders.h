// Encoding sample pictures into image files with libvips, in memory.
#pragma once

#include "Canvas.h"

#include <optional>
#include <string>
#include <vector>

namespace samples {

/// The bytes of one image file.
using Bytes = std::string;

/// Each function throws std::runtime_error naming the format when libvips fails.
Bytes encodeJpeg(const Canvas& canvas, int quality);
Bytes encodePng(const Canvas& canvas);
Bytes encodeWebp(const Canvas& canvas, int quality);
Bytes encodeTiff(const Canvas& canvas);
/// One frame gives a still GIF, more an animation that loops forever; all frames the same size.
Bytes encodeGif(const std::vector<Canvas>& frames, int frameDelayMs);
/// Nothing when this libvips was built without a BMP writer.
std::optional<Bytes> encodeBmp(const Canvas& canvas);
/// Nothing when the installed libheif has no HEVC encoder. `exifBlob`, when given, is an EXIF
/// block starting with "Exif\0\0" that goes into the file as its EXIF metadata.
std::optional<Bytes> encodeHeic(const Canvas& canvas, int quality, const std::optional<Bytes>& exifBlob);

} // namespace samples
