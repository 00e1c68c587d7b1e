// The stored form of the recent walls: one JSON array of objects.
#pragma once

#include "model/Recent.h"

#include <QList>

#include <optional>
#include <string>
#include <string_view>

/// Each entry is {"root","gallery","title","photos","updated"}, `updated` in seconds since
/// 2001-01-01 00:00:00 UTC; "videos" after "photos" when the wall has videos, and "toDo" when it
/// is unfinished (both optional, 0 when missing). Texts are written byte for byte, each byte of a
/// path that is not UTF-8 as "\udc80".."\udcff" (model/PathText.h), so such a path comes back as
/// the same path.
namespace RecentsJson {

/// Compact JSON text, keys in the order above.
std::string encode(const QList<Recent>& recents);
/// The list, or nothing when the text is not UTF-8 JSON holding an array of complete entries
/// (a missing key or a value of the wrong type spoils the whole list). Unknown keys are ignored.
std::optional<QList<Recent>> decode(std::string_view text);

/// Seconds since 2001-01-01 00:00:00 UTC, to the millisecond.
double referenceSeconds(const QDateTime& when);
QDateTime fromReferenceSeconds(double seconds);

} // namespace RecentsJson
