// Conversions between raw byte strings and ICU text, for the engine's own .cpp files.
#pragma once

#include <unicode/unistr.h>

#include <string>
#include <string_view>

namespace IcuText {

/// UTF-8 bytes to ICU text; each invalid sequence reads as U+FFFD.
inline icu::UnicodeString fromBytes(std::string_view bytes)
{
    return icu::UnicodeString::fromUTF8(icu::StringPiece(bytes.data(), static_cast<int32_t>(bytes.size())));
}

inline std::string toBytes(const icu::UnicodeString& text)
{
    std::string out;
    text.toUTF8String(out);
    return out;
}

} // namespace IcuText
