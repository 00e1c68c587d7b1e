// The per-photo record the progress cache stores: a positional list of JSON values,
// [key, width, height, date text, mtime, size]. Values read from disk may have any type,
// so readers check the type at each position.
#pragma once

#include <cstdint>
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
enum Position : std::size_t { key = 0, width = 1, height = 2, date = 3, mtime = 4, size = 5, count = 6 };

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
} // namespace Record
