// Path text: UTF-8 with the stray bytes kept as lone surrogates.
#include "model/PathText.h"

#include "engine/base/Utf8.h"

namespace PathText {

QString fromBytes(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t code = 0;
        const std::size_t n = Utf8::decodeOne(bytes, i, code);
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
            Utf8::append(out, QChar::surrogateToUcs4(unit, text.at(i + 1).unicode()));
            ++i;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            out += static_cast<char>(unit - 0xDC00); // a byte that was not UTF-8
        } else if (QChar::isSurrogate(unit)) {
            Utf8::append(out, 0xFFFD); // no byte of a file name decodes to this
        } else {
            Utf8::append(out, unit);
        }
    }
    return out;
}

std::filesystem::path toPath(const QString& text)
{
    return std::filesystem::path(toBytes(text));
}

QUrl fileUrl(const QString& path)
{
    // Percent-encoding the raw bytes keeps a name that is not UTF-8 intact on its way to the
    // application that opens it.
    const std::string bytes = toBytes(path);
    const QByteArray encoded = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toPercentEncoding("/");
    return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
}

std::optional<QString> pathOf(const QUrl& url)
{
    if (!url.isLocalFile())
        return std::nullopt;
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (bytes.isEmpty())
        return std::nullopt;
    return fromBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

} // namespace PathText
