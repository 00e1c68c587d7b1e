// Raw files that the wall's page shows with the JPEG of the same name instead of on their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct WallEntry;

namespace RawPairs {

/// How many raw files the page folds into a JPEG: a raw file and a JPEG whose paths agree up to
/// the extension, ignoring case (IMG_1.CR2 beside IMG_1.JPG), are one photo taken twice. The
/// page decides this (resources/page/table.js, pairRaws); this counts what it will show, so
/// that every count of a wall is the one its page says.
std::int64_t count(const std::vector<WallEntry>& entries);

/// A path in the page's lower case (JavaScript's toLowerCase: the locale-independent full
/// mapping); bytes that are not UTF-8 are kept, with only A-Z lowered.
std::string lowerPath(std::string_view rel);

} // namespace RawPairs
