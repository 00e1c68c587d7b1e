// What the progress cache knows of one photo: its thumbnail's key, its size as shown, its date
// text, the file it was made from, its media (a video's or a live photo's length and codec, a
// preview in the wall) and what its metadata says of camera, exposure and place. The cache file
// keeps it as a list of values by position (CacheFormat); in memory it is this record.
#pragma once

#include "engine/wall/WallSchema.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Record {

/// Bits of the media flags, as the wall's entries carry them too (the wall's schema).
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

/// What a record holds beyond a plain photo's values.
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

/// The details as the cache file keeps them: camera, lens, exposure, f-number, ISO, focal
/// length, its 35 mm equivalent, latitude and longitude, separated by tabs, each empty when
/// unknown. Nothing known is "": most photos without metadata cost three bytes.
std::string detailsText(const Details& d);
/// The details of such a text; a field that does not read as its kind is unknown.
Details detailsFromText(std::string_view text);

} // namespace Record

/// One photo's record.
struct CacheRecord {
    std::string key;        ///< the name of its files in the wall (WallPaths::key of its rel)
    std::int64_t width = 0; ///< as shown, its orientation applied
    std::int64_t height = 0;
    std::string date;       ///< the capture date's text as the metadata gives it; "" when none
    std::int64_t mtime = 0; ///< the file's modification time, whole seconds, as the walk saw it
    std::int64_t size = 0;  ///< the file's bytes, as the walk saw it
    /// A plain photo's is all zero and empty; duration and codec belong to videos and live
    /// photos, the clip to live photos.
    Record::Media media;
    std::optional<Record::FileStamp> stamp;  ///< nothing when the walk did not know it
    std::optional<Record::Details> details;  ///< nothing when made before details were read

    friend bool operator==(const CacheRecord&, const CacheRecord&) = default;
};

/// Relative path (raw bytes) to record.
using CacheMap = std::unordered_map<std::string, CacheRecord>;
/// A map's records in the byte order of their paths, while the map keeps every one of them.
using CacheInOrder = std::vector<CacheMap::value_type*>;

namespace Record {

/// A record of a plain photo, or with `media` (only the values its flags use are kept) and the
/// file's stamp when it is known (FileStamp{} is not).
inline CacheRecord make(std::string key, std::int64_t width, std::int64_t height, std::string date,
                        std::int64_t mtime, std::int64_t size, Media media = {}, FileStamp stamp = {})
{
    if (!(media.flags & (isVideo | isLive))) {
        media.durationMs = 0;
        media.codec.clear();
    }
    if (!(media.flags & isLive))
        media.motion.clear();
    return {std::move(key), width, height, std::move(date), mtime, size, std::move(media),
            stamp == FileStamp{} ? std::nullopt : std::optional(stamp), std::nullopt};
}

/// The record with these details.
inline CacheRecord withDetails(CacheRecord record, const Details& d)
{
    record.details = d;
    return record;
}

} // namespace Record
