// JSON strings for arbitrary bytes.
#include "engine/base/Json.h"

#include "engine/base/Utf8.h"

#include <charconv>
#include <cmath>

namespace Json {
namespace {

const char hexDigits[] = "0123456789abcdef";

void appendEscape(std::string& out, unsigned code)
{
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += hexDigits[(code >> shift) & 0xF];
}

bool readHex4(std::string_view text, std::size_t pos, unsigned& code)
{
    if (pos + 4 > text.size())
        return false;
    code = 0;
    for (std::size_t k = pos; k < pos + 4; ++k) {
        const char c = text[k];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        code = code * 16 + digit;
    }
    return true;
}

} // namespace

void appendString(std::string& out, std::string_view s)
{
    out += '"';
    std::size_t i = 0;
    while (i < s.size()) {
        // Copy the run of printable ASCII that needs no escape in one go: most names are just that.
        std::size_t plain = i;
        while (plain < s.size()) {
            const unsigned char b = static_cast<unsigned char>(s[plain]);
            if (b < 0x20 || b >= 0x7F || b == '"' || b == '\\')
                break;
            ++plain;
        }
        if (plain > i) {
            out.append(s.data() + i, plain - i);
            i = plain;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t code;
        const std::size_t n = Utf8::decodeOne(s, i, code);
        if (n == 0) {
            appendEscape(out, 0xDC00 + c);
            ++i;
            continue;
        }
        if (n == 1) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (c < 0x20 || c == 0x7F)
                    appendEscape(out, c);
                else
                    out += static_cast<char>(c);
            }
        } else if (n == 3 && c == 0xE2 && static_cast<unsigned char>(s[i + 1]) == 0x80
                   && (static_cast<unsigned char>(s[i + 2]) == 0xA8 || static_cast<unsigned char>(s[i + 2]) == 0xA9)) {
            // Line and paragraph separators end a line in older JavaScript engines.
            appendEscape(out, 0x2000 + (static_cast<unsigned char>(s[i + 2]) - 0x80));
        } else {
            out.append(s.substr(i, n));
        }
        i += n;
    }
    out += '"';
}

std::string quoted(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + 2);
    appendString(out, s);
    return out;
}

void appendInt(std::string& out, std::int64_t value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void appendNumber(std::string& out, double value)
{
    if (!std::isfinite(value)) {
        out += '0';
        return;
    }
    char buffer[32];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

bool readString(std::string_view text, std::size_t& pos, std::string& out)
{
    if (pos >= text.size() || text[pos] != '"')
        return false;
    out.clear();
    std::size_t i = pos + 1;
    while (true) {
        // Copy the plain run up to the next quote or backslash in one go.
        const std::size_t stop = text.find_first_of("\"\\", i);
        if (stop == std::string_view::npos)
            return false;
        for (std::size_t k = i; k < stop; ++k) {
            if (static_cast<unsigned char>(text[k]) < 0x20)
                return false;
        }
        out.append(text.substr(i, stop - i));
        i = stop;
        if (text[i] == '"') {
            pos = i + 1;
            return true;
        }
        if (++i >= text.size())
            return false;
        switch (text[i]) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
            unsigned code;
            if (!readHex4(text, i + 1, code))
                return false;
            i += 4;
            if (code >= 0xD800 && code <= 0xDBFF) {
                unsigned low;
                if (i + 2 < text.size() && text[i + 1] == '\\' && text[i + 2] == 'u'
                    && readHex4(text, i + 3, low) && low >= 0xDC00 && low <= 0xDFFF) {
                    Utf8::append(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                    i += 6;
                } else {
                    Utf8::append(out, 0xFFFD);
                }
            } else if (code >= 0xDC80 && code <= 0xDCFF) {
                out += static_cast<char>(code - 0xDC00); // a raw byte of a non-UTF-8 name
            } else if (code >= 0xDC00 && code <= 0xDFFF) {
                Utf8::append(out, 0xFFFD);
            } else {
                Utf8::append(out, code);
            }
            break;
        }
        default:
            return false;
        }
        ++i;
    }
}

} // namespace Json
