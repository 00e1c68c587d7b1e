// Capture-date text, camera, exposure and GPS read from EXIF metadata, and motion-photo clips
// found through XMP, by Exiv2.
#include "engine/decode/ExifReader.h"

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <utility>
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

/// An ASCII value's text up to its first NUL, without the spaces cameras pad it with.
std::string asciiValue(const Exiv2::ExifData& exif, const char* key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->typeId() != Exiv2::asciiString)
        return {};
    std::string text = it->toString();
    if (const auto end = text.find('\0'); end != std::string::npos)
        text.resize(end);
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

/// The n-th value of a tag as a number; 0 when it is missing, not a number, or a rational with
/// a zero denominator (cameras write 0/0 for "unknown").
double numberValue(const Exiv2::ExifData& exif, const char* key, std::size_t n = 0)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() <= n)
        return 0;
    const Exiv2::TypeId type = it->typeId();
    double value = 0;
    if (type == Exiv2::unsignedRational || type == Exiv2::signedRational) {
        const Exiv2::Rational r = it->toRational(static_cast<long>(n));
        if (r.second == 0)
            return 0;
        value = double(r.first) / double(r.second);
    } else if (type == Exiv2::unsignedShort || type == Exiv2::unsignedLong || type == Exiv2::signedShort ||
               type == Exiv2::signedLong || type == Exiv2::unsignedByte) {
        value = double(it->toLong(static_cast<long>(n)));
    } else {
        return 0;
    }
    return std::isfinite(value) && value > 0 ? value : 0;
}

/// Degrees from GPS's degrees, minutes and seconds, signed by its reference ("S", "W");
/// nothing when a value is missing or out of range.
std::optional<double> gpsCoordinate(const Exiv2::ExifData& exif, const char* key, const char* refKey, char negative,
                                    double limit)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it == exif.end() || it->count() < 1 || it->typeId() != Exiv2::unsignedRational)
        return std::nullopt;
    double parts[3] = {0, 0, 0};
    for (long i = 0; i < 3 && i < long(it->count()); ++i) {
        const Exiv2::Rational r = it->toRational(i);
        if (r.second == 0) {
            if (r.first == 0 && i > 0)
                continue; // 0/0 minutes or seconds: a degree given whole
            return std::nullopt;
        }
        parts[i] = double(r.first) / double(r.second);
    }
    const double degrees = parts[0] + parts[1] / 60 + parts[2] / 3600;
    if (!std::isfinite(degrees) || degrees > limit)
        return std::nullopt;
    const std::string ref = asciiValue(exif, refKey);
    return !ref.empty() && (ref[0] == negative || ref[0] == negative + ('a' - 'A')) ? -degrees : degrees;
}

/// A value rounded to `perUnit`ths (100: two decimals): what the EXIF rational gives beyond is
/// noise. Divided, not multiplied, by the scale, so that 2.8 comes out as the double 2.8.
double rounded(double value, double perUnit)
{
    return std::round(value * perUnit) / perUnit;
}

Record::Details detailsOf(const Exiv2::ExifData& exif)
{
    Record::Details d;
    d.camera = ExifReader::cameraName(asciiValue(exif, "Exif.Image.Make"), asciiValue(exif, "Exif.Image.Model"));
    d.lens = asciiValue(exif, "Exif.Photo.LensModel");
    d.exposure = numberValue(exif, "Exif.Photo.ExposureTime");
    if (d.exposure > 3600)
        d.exposure = 0;
    d.fNumber = rounded(numberValue(exif, "Exif.Photo.FNumber"), 100);
    if (d.fNumber > 1000)
        d.fNumber = 0;
    d.iso = std::int64_t(numberValue(exif, "Exif.Photo.ISOSpeedRatings"));
    d.focal = rounded(numberValue(exif, "Exif.Photo.FocalLength"), 100);
    if (d.focal > 10000)
        d.focal = 0;
    d.focal35 = std::int64_t(numberValue(exif, "Exif.Photo.FocalLengthIn35mmFilm"));
    const auto lat = gpsCoordinate(exif, "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLatitudeRef", 'S', 90);
    const auto lon = gpsCoordinate(exif, "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSLongitudeRef", 'W', 180);
    // 0,0 exactly is a receiver that had no fix, not a photo taken in the Gulf of Guinea.
    if (lat && lon && (*lat != 0 || *lon != 0))
        d.geo = std::pair{rounded(*lat, 1e5), rounded(*lon, 1e5)};
    return d;
}

ExifReader::PhotoMetadata metadataOf(const Exiv2::ExifData& exif)
{
    return {chosenDate(exif), detailsOf(exif)};
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

std::string cameraName(std::string_view make, std::string_view model)
{
    // The words after which a maker's name is its company's: "NIKON CORPORATION", "OLYMPUS
    // IMAGING CORP.", "EASTMAN KODAK COMPANY", "SAMSUNG TECHWIN CO., LTD."
    static const std::array<std::string_view, 7> companyWords{"CORPORATION", "CORP", "COMPANY", "CO.", "CO,",
                                                              "IMAGING", "TECHWIN"};
    const auto upper = [](std::string_view text) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        return out;
    };
    std::string maker;
    std::size_t pos = 0;
    while (pos < make.size()) {
        const auto end = std::min(make.find(' ', pos), make.size());
        const std::string_view word = make.substr(pos, end - pos);
        const std::string wordUpper = upper(word);
        if (std::ranges::any_of(companyWords, [&](std::string_view w) { return wordUpper.starts_with(w); }))
            break;
        if (!word.empty()) {
            if (!maker.empty())
                maker += ' ';
            maker += word;
        }
        pos = end + 1;
    }
    if (maker.empty() || model.empty())
        return std::string(model.empty() ? maker : model);
    // The model names the maker already when it starts with a word of the maker's ("EASTMAN
    // KODAK" and "KODAK CX7530").
    const std::string modelUpper = upper(model);
    const std::string makerUpper = upper(maker);
    for (std::size_t start = 0; start < makerUpper.size();) {
        const auto end = std::min(makerUpper.find(' ', start), makerUpper.size());
        const std::string word = makerUpper.substr(start, end - start);
        if (modelUpper.starts_with(word) && (modelUpper.size() == word.size() || modelUpper[word.size()] == ' ' ||
                                             modelUpper[word.size()] == '-'))
            return std::string(model);
        start = end + 1;
    }
    return maker + ' ' + std::string(model);
}

namespace {

// What `read` finds in an EXIF block held in memory; nothing when the block is none or broken.
template <typename Read>
auto fromBlock(std::string_view block, Read read) -> decltype(read(std::declval<const Exiv2::ExifData&>()))
{
    if (block.empty() || block.size() > UINT32_MAX)
        return {};
    prepareExiv2();
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(block.data()),
                                  static_cast<std::uint32_t>(block.size()));
        return read(exif);
    } catch (...) {
        // Exiv2 throws its own errors and, on hostile input, std::bad_alloc or out_of_range.
        return {};
    }
}

// What `read` finds in the metadata of a file Exiv2 opens itself; nothing when it cannot.
template <typename Read>
auto fromFile(const fs::path& file, Read read) -> decltype(read(std::declval<const Exiv2::ExifData&>()))
{
    prepareExiv2();
    try {
        auto image = Exiv2::ImageFactory::open(file.string());
        if (!image.get())
            return {};
        image->readMetadata();
        return read(image->exifData());
    } catch (...) {
        return {};
    }
}

} // namespace

PhotoMetadata metadata(std::string_view block) { return fromBlock(block, metadataOf); }
PhotoMetadata metadataOfFile(const fs::path& file) { return fromFile(file, metadataOf); }
std::string captureDate(std::string_view block) { return fromBlock(block, chosenDate); }
std::string captureDateOfFile(const fs::path& file) { return fromFile(file, chosenDate); }

} // namespace ExifReader
