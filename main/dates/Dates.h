// Date inference: turns a capture-date text or a relative path into seconds since 1970 of the
// civil date and time read as UTC (no time zone applied). Pure functions, any thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace Dates {

struct Month {
    std::string_view name;
    int number;
};
/// Lower-case English month names, full names only.
inline constexpr std::array<Month, 12> months{{
    {"january", 1}, {"february", 2}, {"march", 3}, {"april", 4}, {"may", 5}, {"june", 6},
    {"july", 7}, {"august", 8}, {"september", 9}, {"october", 10}, {"november", 11}, {"december", 12},
}};

/// The five patterns (ICU syntax), compiled once on first use.
inline constexpr std::string_view reNum = R"(((?:19|20)\d{2})[.\-_](\d{1,2})[.\-_](\d{1,2}))";
inline constexpr std::string_view reYMD = R"(((?:19|20)\d{2})(\d{2})(\d{2}))";
inline constexpr std::string_view reWord = R"(([A-Za-z]+)\s+(\d{1,2}),\s*((?:19|20)\d{2}))";
inline constexpr std::string_view reYear = R"((?:^|[^0-9])((?:19|20)\d{2})(?:[^0-9]|$))";
inline constexpr std::string_view reExif = R"(^(\d{4}):(\d{2}):(\d{2})\s+(\d{2}):(\d{2}):(\d{2}))";

/// Seconds of the civil date and time; nothing unless 1990 <= y <= 2035, 1 <= m <= 12, 1 <= d <= 31.
/// The day is not checked against the month's length: 31 February counts on into March.
std::optional<std::int64_t> epoch(std::int64_t y, std::int64_t m, std::int64_t d, std::int64_t h = 12,
                                  std::int64_t mi = 0, std::int64_t s = 0);

/// A full date in one path segment (UTF-8; invalid bytes read as U+FFFD), at 12:00.
std::optional<std::int64_t> segDate(std::string_view segment);

/// The date evidence in a relative path: seconds and "path" (a full date) or "year" (15 June).
std::optional<std::pair<std::int64_t, std::string>> fromPath(std::string_view path);

/// The capture date-time of an image-metadata date text such as "2019:07:15 18:30:05".
std::optional<std::int64_t> fromExif(std::string_view text);

} // namespace Dates
