// Writing and reading the stored list of recent walls, with Qt's JSON.
#include "model/RecentsJson.h"

#include "model/PathText.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>

namespace RecentsJson {
namespace {

/// Milliseconds from 1970 to 2001-01-01 00:00:00 UTC.
constexpr qint64 referenceEpochMs = 978307200000;

/// The text as the list has always stored it: path text, whose bytes that are not UTF-8 are
/// lone surrogates U+DC80..U+DCFF (Qt writes and reads them as "\udc80".."\udcff"); any other
/// lone surrogate names no byte and becomes U+FFFD.
QString stored(const QString& text)
{
    return PathText::fromBytes(PathText::toBytes(text));
}

/// One value as compact JSON text, written by Qt. A QJsonObject sorts its keys, so the objects
/// are put together here to keep the keys in the documented order.
QByteArray valueText(const QJsonValue& value)
{
    const QByteArray list = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return list.sliced(1, list.size() - 2);
}

std::optional<QString> text(const QJsonObject& entry, QLatin1StringView key)
{
    const QJsonValue value = entry.value(key);
    if (!value.isString())
        return std::nullopt;
    return stored(value.toString());
}

/// An integer-valued number that fits 64 bits ("12", "12.0" and "1.2e1" alike).
std::optional<qint64> integer(const QJsonValue& value)
{
    // Qt gives the default back for a number that is no whole 64-bit integer; two different
    // defaults tell that apart from a stored value equal to one of them.
    const qint64 n = value.toInteger(0);
    if (!value.isDouble() || n != value.toInteger(1))
        return std::nullopt;
    return n;
}

/// An optional count: 0 when missing, nothing when present but not a count.
std::optional<qint64> count(const QJsonObject& entry, QLatin1StringView key)
{
    const QJsonValue value = entry.value(key);
    if (value.isUndefined())
        return 0;
    return integer(value);
}

std::optional<Recent> readEntry(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject entry = value.toObject();
    const auto root = text(entry, QLatin1StringView("root"));
    const auto gallery = text(entry, QLatin1StringView("gallery"));
    const auto title = text(entry, QLatin1StringView("title"));
    const auto photos = integer(entry.value(QLatin1StringView("photos")));
    const auto videos = count(entry, QLatin1StringView("videos"));
    const auto toDo = count(entry, QLatin1StringView("toDo"));
    const QJsonValue updated = entry.value(QLatin1StringView("updated"));
    if (!root || !gallery || !title || !photos || !videos || !toDo || !updated.isDouble())
        return std::nullopt;
    return Recent{*root, *gallery, *title, *photos, fromReferenceSeconds(updated.toDouble()), *videos, *toDo};
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
    QByteArray out = "[";
    for (const Recent& recent : recents) {
        if (out.size() > 1)
            out += ',';
        out += "{\"root\":" + valueText(stored(recent.root));
        out += ",\"gallery\":" + valueText(stored(recent.gallery));
        out += ",\"title\":" + valueText(stored(recent.title));
        out += ",\"photos\":" + valueText(recent.photos);
        // Only walls with videos say so: the list of a photo-only user reads as it always did.
        if (recent.videos > 0)
            out += ",\"videos\":" + valueText(recent.videos);
        // Likewise only an unfinished wall carries its mark; lists stored before it read as finished.
        if (recent.toDo > 0)
            out += ",\"toDo\":" + valueText(recent.toDo);
        // Qt writes the shortest text that reads back as the same number.
        out += ",\"updated\":" + valueText(referenceSeconds(recent.updated)) + '}';
    }
    out += ']';
    return out.toStdString();
}

std::optional<QList<Recent>> decode(std::string_view text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<Recent> recents;
    for (const QJsonValue& value : document.array()) {
        auto entry = readEntry(value);
        if (!entry)
            return std::nullopt;
        recents.append(std::move(*entry));
    }
    return recents;
}

} // namespace RecentsJson
