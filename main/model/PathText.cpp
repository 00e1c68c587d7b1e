// Path text: UTF-8 with the stray bytes kept as lone surrogates.
#include "model/PathText.h"

namespace PathText {
namespace {

/// Length of the valid UTF-8 sequence at s[i] and its code point; 0 when none starts there.
std::size_t decodeOne(std::string_view s, std::size_t i, char32_t& code)
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
    else if (c == 0xED) // the UTF-16 surrogates themselves are not valid UTF-8
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

void appendUtf8(std::string& out, char32_t code)
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

} // namespace

QString fromBytes(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t code = 0;
        const std::size_t n = decodeOne(bytes, i, code);
        if (n == 0) {
            text += QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i])));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            const char32_t c = code - 0x10000;
            text += QChar(static_cast<char16_t>(0xD800 + (c >> 10)));
            text += QChar(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            text += QChar(static_cast<char16_t>(code));
        }
        i += n;
    }
    return text;
}

QString fromPath(const std::filesystem::path& path)
{
    return fromBytes(path.native());
}

std::string toBytes(const QString& text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, text.at(i + 1).unicode()));
            ++i;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            out += static_cast<char>(unit - 0xDC00); // a byte that was not UTF-8
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(out, 0xFFFD); // no byte of a file name decodes to this
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::filesystem::path toPath(const QString& text)
{
    return std::filesystem::path(toBytes(text));
}

} // namespace PathText
