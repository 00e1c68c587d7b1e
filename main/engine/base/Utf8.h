// UTF-8 sequences, for text that may hold bytes that are not UTF-8 (file names).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Utf8 {

/// Length of the valid UTF-8 sequence at s[i] and its code point; 0 when no valid sequence
/// starts there (a stray byte, an overlong form, an encoded UTF-16 surrogate, a cut sequence).
inline std::size_t decodeOne(std::string_view s, std::size_t i, char32_t& code)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const auto cont = [&](std::size_t k, unsigned char lo = 0x80, unsigned char hi = 0xBF) {
        return k < s.size() && byte(k) >= lo && byte(k) <= hi;
    };
    const unsigned char c = byte(i);
    if (c < 0x80) {
        code = c;
        return 1;
    }
    std::size_t n = 0;
    if (c >= 0xC2 && c <= 0xDF)
        n = cont(i + 1) ? 2 : 0;
    else if (c == 0xE0)
        n = cont(i + 1, 0xA0) && cont(i + 2) ? 3 : 0;
    else if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF)
        n = cont(i + 1) && cont(i + 2) ? 3 : 0;
    else if (c == 0xED)
        n = cont(i + 1, 0x80, 0x9F) && cont(i + 2) ? 3 : 0;
    else if (c == 0xF0)
        n = cont(i + 1, 0x90) && cont(i + 2) && cont(i + 3) ? 4 : 0;
    else if (c >= 0xF1 && c <= 0xF3)
        n = cont(i + 1) && cont(i + 2) && cont(i + 3) ? 4 : 0;
    else if (c == 0xF4)
        n = cont(i + 1, 0x80, 0x8F) && cont(i + 2) && cont(i + 3) ? 4 : 0;
    if (n == 2)
        code = ((c & 0x1F) << 6) | (byte(i + 1) & 0x3F);
    else if (n == 3)
        code = ((c & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
    else if (n == 4)
        code = ((c & 0x07) << 18) | ((byte(i + 1) & 0x3F) << 12) | ((byte(i + 2) & 0x3F) << 6)
            | (byte(i + 3) & 0x3F);
    return n;
}

inline void append(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace Utf8
