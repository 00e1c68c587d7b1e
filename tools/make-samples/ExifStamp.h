// Writing the EXIF tags of a sample photo with Exiv2, in memory.
#pragma once

#include "Encoders.h"

#include <optional>
#include <string>

namespace samples {

/// The EXIF tags a sample may carry; each one that is set is written, the others are absent.
struct ExifFields {
    std::optional<std::string> dateTimeOriginal;  ///< Exif.Photo.DateTimeOriginal
    std::optional<std::string> dateTimeDigitized; ///< Exif.Photo.DateTimeDigitized
    std::optional<std::string> dateTime;          ///< Exif.Image.DateTime
    std::optional<int> orientation;               ///< Exif.Image.Orientation
    std::optional<std::string> make;              ///< Exif.Image.Make
    std::optional<std::string> model;             ///< Exif.Image.Model

    bool empty() const
    {
        return !dateTimeOriginal && !dateTimeDigitized && !dateTime && !orientation && !make && !model;
    }
};

/// `file` (a JPEG or TIFF) with exactly these EXIF tags added. Throws std::runtime_error with
/// Exiv2's message when the file cannot be rewritten.
Bytes withExif(const Bytes& file, const ExifFields& fields);

/// The tags as a stand-alone EXIF block, "Exif\0\0" followed by the TIFF-structured data, for
/// containers whose writer embeds EXIF itself (HEIF).
Bytes exifBlock(const ExifFields& fields);

} // namespace samples
