// The progress cache's file format: a JSON object from relative path to record array.
#pragma once

#include "engine/cache/CacheRecord.h"

#include <optional>
#include <string>
#include <string_view>

namespace CacheFormat {

/// The map a cache file holds, or nothing when the text is not JSON or not an object whose
/// every member is an array. Values other than integers and strings read as null.
std::optional<CacheMap> parse(std::string_view text);

/// Compact JSON text of the map.
std::string serialize(const CacheMap& map);

} // namespace CacheFormat
