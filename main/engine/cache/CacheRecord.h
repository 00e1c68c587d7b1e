// The per-photo record the progress cache stores: a positional list of JSON values,
// [key, width, height, date text, mtime, size]. Videos, live photos and photos with a preview
// carry more after these: [..., media flags, length in ms, codec, motion clip]; then, when the
// walk knew them, the file's status change time and inode: [..., ctime in ns, inode], with the
// media positions filled (0, 0, "", "") for a plain photo; then what the photo's metadata says of
// its camera, exposure and place, one text at position 12 (Details), with the stamp's positions
// null when the walk did not know it. Records without them (written before they were kept) stay
// valid: one without details has its metadata read again, its thumbnail kept. Values read from
// disk may have any type, so readers check the type at each position.
#pragma once

#include "engine/wall/WallSchema.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

/// A JSON value as the cache keeps it: an integer, a string, or anything else (kept as null).
using RecordValue = std::variant<std::monostate, std::int64_t, std::string>;
using CacheRecord = std::vector<RecordValue>;
/// Relative path (raw bytes) to record.
using CacheMap = std::unordered_map<std::string, CacheRecord>;

namespace Record {
enum Position : std::size_t {
    key = 0, width = 1, height = 2, date = 3, mtime = 4, size = 5, count = 6,
    media = 6,    ///< MediaFlags; absent for a plain photo
    duration = 7, ///< a video's or a live photo's motion length in milliseconds; 0 unknown
    codec = 8,    ///< the video's codec as FFmpeg names it ("h264", "hevc", "vp9")
    motion = 9,   ///< a live photo's clip: its path relative to the source, or with clipInWall to the wall
    ctime = 10,   ///< the file's status change time in nanoseconds, as the walk saw it
    inode = 11,   ///< the file's inode number, as the walk saw it
    details = 12, ///< Details as text; "" when the metadata said nothing of them
};

/// Bits of the media position, as the wall's entries carry them too (the wall's schema).
enum MediaFlags : std::int64_t {
    hasPreview = WallSchema::hasPreview, ///< previews/<xx>/<key>.jpg holds a large JPEG of a photo browsers cannot show
    isVideo = WallSchema::isVideo,       ///< the thumbnail is the video's poster
    isLive = WallSchema::isLive,         ///< a still with its motion clip beside it
    clipInWall = WallSchema::clipInWall, ///< with isLive: a motion photo, whose clip was copied out of it to motion/<xx>/<key>.mp4
    fullInWall = WallSchema::fullInWall, ///< with hasPreview: full/<xx>/<key>.jpg holds the photo at its full size, for zooming in
    copyInWall = WallSchema::copyInWall, ///< previews/<xx>/<key>.jpg holds a screen-size copy of a photo browsers show, for when its original cannot be found
    /// videos/<xx>/<key>.mp4 holds a copy that browsers play of the video, or of the live photo's clip
    playableCopy = WallSchema::playableCopy,
};

/// What a record holds beyond a plain photo's six values.
struct Media {
    std::int64_t flags = 0;
    std::int64_t durationMs = 0;
    std::string codec;
    std::string motion;
    friend bool operator==(const Media&, const Media&) = default;
};

/// What the file system says of a file beyond its size and modification time.
struct FileStamp {
    std::int64_t ctimeNs = 0;
    std::int64_t inode = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

/// The integer at position i, or nothing when the record is shorter or holds another type there.
inline const std::int64_t* intAt(const CacheRecord& r, std::size_t i)
{
    return i < r.size() ? std::get_if<std::int64_t>(&r[i]) : nullptr;
}
inline const std::string* textAt(const CacheRecord& r, std::size_t i)
{
    return i < r.size() ? std::get_if<std::string>(&r[i]) : nullptr;
}
inline std::int64_t intOrZero(const CacheRecord& r, std::size_t i)
{
    const auto* v = intAt(r, i);
    return v ? *v : 0;
}
inline std::string_view textOrEmpty(const CacheRecord& r, std::size_t i)
{
    const auto* v = textAt(r, i);
    return v ? std::string_view(*v) : std::string_view();
}
inline CacheRecord make(std::string key, std::int64_t width, std::int64_t height, std::string date,
                        std::int64_t mtime, std::int64_t size)
{
    return {std::move(key), width, height, std::move(date), mtime, size};
}

/// A record with only the positions its media needs.
inline CacheRecord make(std::string key, std::int64_t width, std::int64_t height, std::string date,
                        std::int64_t mtime, std::int64_t size, Media media)
{
    CacheRecord record = make(std::move(key), width, height, std::move(date), mtime, size);
    if (media.flags == 0)
        return record;
    record.emplace_back(media.flags);
    if (media.flags & (isVideo | isLive)) {
        record.emplace_back(media.durationMs);
        record.emplace_back(std::move(media.codec));
    }
    if (media.flags & isLive)
        record.emplace_back(std::move(media.motion));
    return record;
}

/// As above, and the file's stamp when it is known.
inline CacheRecord make(std::string key, std::int64_t width, std::int64_t height, std::string date,
                        std::int64_t mtime, std::int64_t size, Media withMedia, FileStamp stamp)
{
    CacheRecord record = make(std::move(key), width, height, std::move(date), mtime, size, std::move(withMedia));
    if (stamp == FileStamp{})
        return record;
    // The positions are fixed: a plain photo's media positions are filled with nothing.
    if (record.size() == Position::media)
        record.emplace_back(std::int64_t(0));
    if (record.size() == Position::duration)
        record.emplace_back(std::int64_t(0));
    if (record.size() == Position::codec)
        record.emplace_back(std::string());
    if (record.size() == Position::motion)
        record.emplace_back(std::string());
    record.emplace_back(stamp.ctimeNs);
    record.emplace_back(stamp.inode);
    return record;
}

/// The stamp a record holds; nothing when it was written without one.
inline std::optional<FileStamp> stampOf(const CacheRecord& r)
{
    const auto* ctimeNs = intAt(r, ctime);
    const auto* inodeNumber = intAt(r, inode);
    if (!ctimeNs || !inodeNumber)
        return std::nullopt;
    return FileStamp{*ctimeNs, *inodeNumber};
}

/// The media a record holds; all zero and empty for a plain photo or values of the wrong type.
inline Media mediaOf(const CacheRecord& r)
{
    return {intOrZero(r, media), intOrZero(r, duration), std::string(textOrEmpty(r, codec)),
            std::string(textOrEmpty(r, motion))};
}
} // namespace Record

namespace Record {

/// What a photo's metadata says of the camera, the exposure and where it was taken. Numbers are
/// 0 and names empty when unknown; a place is known only with both coordinates.
struct Details {
    std::string camera;     ///< as a person reads it: "Apple iPhone 12 Pro", "Canon EOS R5"
    std::string lens;
    double exposure = 0;    ///< seconds
    double fNumber = 0;
    std::int64_t iso = 0;
    double focal = 0;       ///< millimetres
    std::int64_t focal35 = 0; ///< the same field of view on 35 mm film, millimetres
    std::optional<std::pair<double, double>> geo; ///< latitude, longitude in degrees
    friend bool operator==(const Details&, const Details&) = default;
};

/// The details as position 12 keeps them: camera, lens, exposure, f-number, ISO, focal length,
/// its 35 mm equivalent, latitude and longitude, separated by tabs, each empty when unknown.
/// Nothing known is "": most photos without metadata cost three bytes.
std::string detailsText(const Details& d);
/// The details of such a text; a field that does not read as its kind is unknown.
Details detailsFromText(std::string_view text);

/// The details a record holds; nothing when it was written before they were read.
inline std::optional<Details> detailsOf(const CacheRecord& r)
{
    const std::string* text = textAt(r, details);
    if (!text)
        return std::nullopt;
    return detailsFromText(*text);
}

/// The record with these details, its other positions as they were: the positions before them
/// are filled as a record of a plain photo fills them (a missing stamp stays null).
inline CacheRecord withDetails(CacheRecord record, const Details& d)
{
    if (record.size() < Position::count)
        return record;
    const std::array<RecordValue, 6> fill{std::int64_t(0), std::int64_t(0), std::string(), std::string(),
                                          std::monostate{}, std::monostate{}};
    while (record.size() < Position::details)
        record.push_back(fill[record.size() - Position::media]);
    record.resize(Position::details);
    record.emplace_back(detailsText(d));
    return record;
}

/// The record with the details of `from`, when it has any.
inline CacheRecord keepingDetails(CacheRecord record, const CacheRecord& from)
{
    if (const auto kept = detailsOf(from))
        return withDetails(std::move(record), *kept);
    return record;
}

} // namespace Record
