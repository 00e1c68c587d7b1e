// JSON text for strings that may hold any bytes.
//
// File names on Linux are bytes, not always UTF-8. Each byte that is not part of a valid UTF-8
// sequence is written as a lone low surrogate, "\udc80".."\udcff" (the byte plus 0xDC00), which
// every JavaScript engine reads as a string and our reader turns back into the same byte. A name
// therefore survives a round trip through the cache exactly, and the page can rebuild the
// original bytes of a file: URL from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Json {

/// Appends s as a quoted JSON string. "/" is not escaped; control characters, U+2028 and
/// U+2029 are, so the text is also a valid JavaScript literal.
void appendString(std::string& out, std::string_view s);
std::string quoted(std::string_view s);
void appendInt(std::string& out, std::int64_t value);
/// Appends the shortest text that reads back as the same double; "0" for infinity and NaN,
/// which JSON cannot write.
void appendNumber(std::string& out, double value);

/// Appends a JSON array of items, each written by appendItem(out, item).
template <class Items, class AppendItem>
void appendArray(std::string& out, const Items& items, AppendItem appendItem)
{
    out += '[';
    bool first = true;
    for (const auto& item : items) {
        if (!first)
            out += ',';
        first = false;
        appendItem(out, item);
    }
    out += ']';
}

/// Reads a JSON string starting at text[pos] == '"'. On success stores the bytes in out and
/// moves pos past the closing quote; "\udcXX" not preceded by a high surrogate gives back byte XX.
bool readString(std::string_view text, std::size_t& pos, std::string& out);

} // namespace Json
