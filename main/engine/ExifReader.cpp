// Capture-date text read from EXIF metadata, and motion-photo clips found through XMP, by Exiv2.
#include "engine/internal/ExifReader.h"

#include <exiv2/exiv2.hpp>

#include <array>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>

namespace fs = std::filesystem;

namespace {

/// The XMP toolkit keeps one namespace registry for the process: the workers parse in turn.
void lockXmp(void* mutex, bool lock)
{
    if (lock)
        static_cast<std::mutex*>(mutex)->lock();
    else
        static_cast<std::mutex*>(mutex)->unlock();
}

/// Sets Exiv2 up once for the process, before any thread reads metadata.
void prepareExiv2()
{
    static std::mutex xmpMutex;
    static const bool ready = [] {
        // Damaged metadata is common in a large collection; Exiv2 would report every fault
        // on stderr. A fault only means the date is missing.
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        // The XMP toolkit must be initialised before threads use it.
        Exiv2::XmpParser::initialize(lockXmp, &xmpMutex);
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

/// The whole text as a positive number, else nothing.
std::optional<std::uint64_t> positive(const std::string& text)
{
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0)
        return std::nullopt;
    return value;
}

constexpr std::string_view cameraNs = "http://ns.google.com/photos/1.0/camera/";
constexpr std::string_view containerNs = "http://ns.google.com/photos/1.0/container/";

/// The namespace of an XMP property's group, which phones name with prefixes of their choice
/// (GCamera, Camera); "" for one Exiv2 does not know.
std::string namespaceOf(const Exiv2::Xmpdatum& datum)
{
    try {
        return Exiv2::XmpProperties::ns(datum.groupName());
    } catch (...) {
        return {};
    }
}

} // namespace

namespace ExifReader {

std::optional<std::uint64_t> embeddedClipLength(std::string_view xmpPacket)
{
    // Only packets that name the phones' camera namespace are parsed: nearly every other
    // photo's XMP never reaches the toolkit, which parses one packet at a time.
    if (xmpPacket.find(cameraNs) == std::string_view::npos)
        return std::nullopt;
    prepareExiv2();
    try {
        Exiv2::XmpData xmp;
        if (Exiv2::XmpParser::decode(xmp, std::string(xmpPacket)) != 0)
            return std::nullopt;
        bool motionPhoto = false;
        bool microVideo = false;
        std::optional<std::uint64_t> microVideoOffset;
        // The container's directory: its items by index, the video's Semantic and Length.
        std::map<long, std::pair<std::string, std::string>> items;
        for (const Exiv2::Xmpdatum& datum : xmp) {
            const std::string ns = namespaceOf(datum);
            const std::string tag = datum.tagName();
            if (ns == cameraNs) {
                if (tag == "MotionPhoto")
                    motionPhoto = datum.toString() == "1";
                else if (tag == "MicroVideo")
                    microVideo = datum.toString() == "1";
                else if (tag == "MicroVideoOffset")
                    microVideoOffset = positive(datum.toString());
            } else if (ns == containerNs && tag.starts_with("Directory[")) {
                // Directory[2]/Container:Item/Item:Length, whatever the prefixes.
                const auto close = tag.find(']');
                const auto colon = tag.rfind(':');
                if (close == std::string::npos || colon == std::string::npos || colon < close)
                    continue;
                const long index = std::strtol(tag.c_str() + 10, nullptr, 10);
                const std::string field = tag.substr(colon + 1);
                if (field == "Semantic")
                    items[index].first = datum.toString();
                else if (field == "Length")
                    items[index].second = datum.toString();
            }
        }
        // The current format: the clip is the directory's item whose semantic says so, stored
        // last, so its length is counted from the end of the file.
        if (motionPhoto) {
            for (const auto& [index, item] : items) {
                if (item.first == "MotionPhoto")
                    return positive(item.second);
            }
        }
        // The first format gave the clip's distance from the end of the file directly.
        if (microVideo && microVideoOffset)
            return microVideoOffset;
        return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

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
