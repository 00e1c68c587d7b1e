// Capture-date text read from EXIF metadata, and motion-photo clips found through XMP, by Exiv2.
// Nothing else includes Exiv2.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
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

/// The length of the video an Android "motion photo" carries at the end of its file, as its XMP
/// packet gives it: the container directory's MotionPhoto item, else the older MicroVideoOffset.
/// Nothing when the packet describes no clip. The bytes themselves are not checked here.
std::optional<std::uint64_t> embeddedClipLength(std::string_view xmpPacket);

} // namespace ExifReader
