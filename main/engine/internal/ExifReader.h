// Capture-date text read from EXIF metadata through Exiv2. Nothing else includes Exiv2.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ExifReader {

/// The capture-date text exactly as stored: EXIF DateTimeOriginal, else DateTimeDigitized,
/// else the TIFF DateTime, each taken only when it is an ASCII string; "" when none is.
/// `block` is an EXIF block starting at its TIFF header.
std::string captureDate(std::string_view block);

/// The same, read from the metadata of a whole file (TIFF, camera raw, HEIF). "" when the
/// file has none or cannot be read.
std::string captureDateOfFile(const std::filesystem::path& file);

} // namespace ExifReader
