// Capture-date text read from EXIF metadata through Exiv2.
#include "engine/internal/ExifReader.h"

#include <exiv2/exiv2.hpp>

#include <array>
#include <climits>

namespace fs = std::filesystem;

namespace {

/// Sets Exiv2 up once for the process, before any thread reads metadata.
void prepareExiv2()
{
    static const bool ready = [] {
        // Damaged metadata is common in a large collection; Exiv2 would report every fault
        // on stderr. A fault only means the date is missing.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        // The XMP toolkit must be initialised before threads use it.
        Exiv2::XmpParser::initialize();
#ifdef EXV_ENABLE_BMFF
        // HEIF and CR3 keep their EXIF in ISO media boxes, which Exiv2 reads only on request.
        Exiv2::enableBMFF(true);
#endif
        return true;
    }();
    (void)ready;
}

std::string chosenDate(const Exiv2::ExifData& exif)
{
    static const std::array<const char*, 3> keys{
        "Exif.Photo.DateTimeOriginal", "Exif.Photo.DateTimeDigitized", "Exif.Image.DateTime"};
    for (const char* key : keys) {
        const auto it = exif.findKey(Exiv2::ExifKey(key));
        if (it == exif.end() || it->typeId() != Exiv2::asciiString)
            continue;
        std::string text = it->toString();
        // An ASCII value ends at its first NUL; some cameras pad with NULs or leave garbage after it.
        if (const auto end = text.find('\0'); end != std::string::npos)
            text.resize(end);
        return text;
    }
    return {};
}

} // namespace

namespace ExifReader {

std::string captureDate(std::string_view block)
{
    if (block.empty() || block.size() > UINT32_MAX)
        return {};
    prepareExiv2();
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(block.data()),
                                  static_cast<std::uint32_t>(block.size()));
        return chosenDate(exif);
    } catch (...) {
        // Exiv2 throws its own errors and, on hostile input, std::bad_alloc or out_of_range.
        return {};
    }
}

std::string captureDateOfFile(const fs::path& file)
{
    prepareExiv2();
    try {
        auto image = Exiv2::ImageFactory::open(file.string());
        if (!image.get())
            return {};
        image->readMetadata();
        return chosenDate(image->exifData());
    } catch (...) {
        return {};
    }
}

} // namespace ExifReader
