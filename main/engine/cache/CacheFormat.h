// The progress cache's file format: a JSON object from relative path to record array,
// [key, width, height, date text, mtime, size]. Videos, live photos and photos with a preview
// carry more after these: [..., media flags, length in ms, codec, motion clip]; then, when the
// walk knew them, the file's status change time and inode: [..., ctime in ns, inode], with the
// media positions filled (0, 0, "", "") for a plain photo; then what the photo's metadata says of
// its camera, exposure and place, one text at position 12 (Record::detailsText), with the
// stamp's positions null when the walk did not know it. Records without them (written before
// they were kept) stay valid: one without details has its metadata read again, its thumbnail
// kept. Values read from disk may have any type: the reader checks each position's.
#pragma once

#include "engine/cache/CacheRecord.h"

#include <optional>
#include <string>
#include <string_view>

namespace CacheFormat {

/// The map a cache file holds, or nothing when the text is not JSON or not an object whose
/// every member is an array. A member whose first six positions are not of their kinds is
/// left out (its photo is made again); beyond them, a value of another kind reads as unknown.
/// With `inOrder`, also the map's records in the byte order of their paths when the file holds
/// them in that order, as it writes them; else nothing there.
std::optional<CacheMap> parse(std::string_view text, CacheInOrder* inOrder = nullptr);

/// Compact JSON text of the map.
std::string serialize(const CacheMap& map);

/// One record's array, as the map's text holds it; and back, nothing when it is not one.
std::string recordText(const CacheRecord& record);
std::optional<CacheRecord> parseRecord(std::string_view text);

} // namespace CacheFormat
