// Capture-date text, camera, exposure and GPS read from EXIF metadata, and motion-photo clips
// found through XMP, by Exiv2. Nothing else includes Exiv2.
#pragma once

#include "engine/cache/CacheRecord.h"

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

/// What one read of a photo's EXIF gives: its capture-date text as captureDate gives it, and
/// what it says of the camera, the exposure and the place.
struct PhotoMetadata {
    std::string date;
    Record::Details details;
};

/// Both from an EXIF block starting at its TIFF header; empty when it cannot be read.
PhotoMetadata metadata(std::string_view block);
/// Both from the metadata of a whole file (TIFF, camera raw, HEIF).
PhotoMetadata metadataOfFile(const std::filesystem::path& file);

/// A camera's name as a person reads it from the make and the model EXIF gives: the model alone
/// where it already names the maker ("Canon EOS 5D", "NIKON D70"), else both ("Apple iPhone
/// 12 Pro"), the maker's company words left out ("OLYMPUS IMAGING CORP." is "OLYMPUS").
std::string cameraName(std::string_view make, std::string_view model);

/// The length of the video an Android "motion photo" carries at the end of its file, as its XMP
/// packet gives it: the container directory's MotionPhoto item, else the older MicroVideoOffset.
/// Nothing when the packet describes no clip. The bytes themselves are not checked here.
std::optional<std::uint64_t> embeddedClipLength(std::string_view xmpPacket);

} // namespace ExifReader
