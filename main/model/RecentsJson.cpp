// Writing and reading the stored list of recent walls.
#include "model/RecentsJson.h"

#include "engine/base/Json.h"
#include "model/PathText.h"


#include <charconv>
#include <cmath>
#include <limits>

namespace RecentsJson {
namespace {

/// Milliseconds from 1970 to 2001-01-01 00:00:00 UTC.
constexpr qint64 referenceEpochMs = 978307200000;

/// A reader for the few JSON forms the list uses; any other value can only be skipped.
class Reader {
public:
    explicit Reader(std::string_view text) : text(text) {}

    bool atEnd()
    {
        skipSpace();
        return pos == text.size();
    }

    bool take(char c)
    {
        skipSpace();
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }

    bool peek(char c)
    {
        skipSpace();
        return pos < text.size() && text[pos] == c;
    }

    bool string(std::string& out)
    {
        skipSpace();
        return Json::readString(text, pos, out);
    }

    /// A JSON number: its text, checked against the grammar, and its value.
    bool number(std::string_view& numberText, double& value)
    {
        skipSpace();
        const std::size_t start = pos;
        if (pos < text.size() && text[pos] == '-')
            ++pos;
        if (pos < text.size() && text[pos] == '0') {
            ++pos;
        } else if (!digits()) {
            return false;
        }
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            if (!digits())
                return false;
        }
        if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
            ++pos;
            if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
                ++pos;
            if (!digits())
                return false;
        }
        numberText = text.substr(start, pos - start);
        const auto result = std::from_chars(numberText.data(), numberText.data() + numberText.size(), value);
        return result.ec == std::errc() || result.ec == std::errc::result_out_of_range;
    }

    /// Skips one value of any kind; false when it is malformed.
    bool skipValue(int depth = 0)
    {
        if (depth > 64)
            return false;
        skipSpace();
        if (pos >= text.size())
            return false;
        const char c = text[pos];
        if (c == '"') {
            std::string ignored;
            return string(ignored);
        }
        if (c == '[' || c == '{') {
            const bool object = c == '{';
            ++pos;
            if (take(object ? '}' : ']'))
                return true;
            do {
                if (object) {
                    std::string key;
                    if (!string(key) || !take(':'))
                        return false;
                }
                if (!skipValue(depth + 1))
                    return false;
            } while (take(','));
            return take(object ? '}' : ']');
        }
        for (std::string_view word : {"true", "false", "null"}) {
            if (text.substr(pos, word.size()) == word) {
                pos += word.size();
                return true;
            }
        }
        std::string_view numberText;
        double value = 0;
        return number(numberText, value);
    }

private:
    void skipSpace()
    {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n' || text[pos] == '\r'))
            ++pos;
    }

    bool digits()
    {
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            ++pos;
        return pos > start;
    }

    std::string_view text;
    std::size_t pos = 0;
};

/// An integer-valued JSON number that fits 64 bits ("12", "12.0" and "1.2e1" alike).
std::optional<qint64> integerValue(std::string_view numberText, double value)
{
    qint64 exact = 0;
    const auto result = std::from_chars(numberText.data(), numberText.data() + numberText.size(), exact);
    if (result.ec == std::errc() && result.ptr == numberText.data() + numberText.size())
        return exact;
    if (!std::isfinite(value) || value != std::floor(value) || std::fabs(value) >= 9.2e18)
        return std::nullopt;
    return static_cast<qint64>(value);
}

std::optional<Recent> readEntry(Reader& reader)
{
    if (!reader.take('{'))
        return std::nullopt;
    std::optional<QString> root, gallery, title;
    std::optional<qint64> photos;
    std::optional<qint64> videos;
    std::optional<qint64> toDo;
    std::optional<double> updated;
    if (!reader.take('}')) {
        do {
            std::string key;
            if (!reader.string(key) || !reader.take(':'))
                return std::nullopt;
            if (key == "root" || key == "gallery" || key == "title") {
                std::string value;
                if (!reader.string(value))
                    return std::nullopt;
                (key == "root" ? root : key == "gallery" ? gallery : title) = PathText::fromBytes(value);
            } else if (key == "photos" || key == "videos" || key == "toDo" || key == "updated") {
                std::string_view numberText;
                double value = 0;
                if (!reader.number(numberText, value))
                    return std::nullopt;
                if (key == "updated") {
                    if (!std::isfinite(value))
                        return std::nullopt;
                    updated = value;
                } else {
                    auto& field = key == "photos" ? photos : key == "videos" ? videos : toDo;
                    field = integerValue(numberText, value);
                    if (!field)
                        return std::nullopt;
                }
            } else if (!reader.skipValue()) {
                return std::nullopt;
            }
        } while (reader.take(','));
        if (!reader.take('}'))
            return std::nullopt;
    }
    if (!root || !gallery || !title || !photos || !updated)
        return std::nullopt;
    return Recent{*root, *gallery, *title, *photos, fromReferenceSeconds(*updated), videos.value_or(0), toDo.value_or(0)};
}

} // namespace

double referenceSeconds(const QDateTime& when)
{
    return static_cast<double>(when.toMSecsSinceEpoch() - referenceEpochMs) / 1000.0;
}

QDateTime fromReferenceSeconds(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000.0) + referenceEpochMs, Qt::UTC);
}

std::string encode(const QList<Recent>& recents)
{
    std::string out = "[";
    for (const Recent& recent : recents) {
        if (out.size() > 1)
            out += ',';
        out += "{\"root\":";
        Json::appendString(out, PathText::toBytes(recent.root));
        out += ",\"gallery\":";
        Json::appendString(out, PathText::toBytes(recent.gallery));
        out += ",\"title\":";
        Json::appendString(out, PathText::toBytes(recent.title));
        out += ",\"photos\":";
        Json::appendInt(out, recent.photos);
        // Only walls with videos say so: the list of a photo-only user reads as it always did.
        if (recent.videos > 0) {
            out += ",\"videos\":";
            Json::appendInt(out, recent.videos);
        }
        // Likewise only an unfinished wall carries its mark; lists stored before it read as finished.
        if (recent.toDo > 0) {
            out += ",\"toDo\":";
            Json::appendInt(out, recent.toDo);
        }
        out += ",\"updated\":";
        // The shortest text that reads back as the same number.
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, referenceSeconds(recent.updated));
        out.append(buffer, result.ptr);
        out += '}';
    }
    out += ']';
    return out;
}

std::optional<QList<Recent>> decode(std::string_view text)
{
    Reader reader(text);
    if (!reader.take('['))
        return std::nullopt;
    QList<Recent> recents;
    if (!reader.take(']')) {
        do {
            auto entry = readEntry(reader);
            if (!entry)
                return std::nullopt;
            recents.append(std::move(*entry));
        } while (reader.take(','));
        if (!reader.take(']'))
            return std::nullopt;
    }
    if (!reader.atEnd())
        return std::nullopt;
    return recents;
}

} // namespace RecentsJson
