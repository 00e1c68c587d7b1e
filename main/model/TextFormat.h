// Counts, times left and relative dates in the user's language.
#pragma once

#include <QDateTime>
#include <QString>

namespace TextFormat {

/// The integer with the locale's digit grouping: 12,345 in English.
QString count(qint64 n);
/// A count as the number that picks a translated sentence's plural form (tr()'s `n`, an int):
/// counts beyond its range keep their last nine digits, which is all a language's plural rules
/// look at for numbers that large.
int numerus(qint64 n);
/// The time left: "under a minute" below 60 s, else "about " + at most two spelled-out units,
/// hours and minutes from 3600 s, minutes only below. Leftover seconds are dropped.
QString duration(double seconds);
/// When something happened, told relative to now with named days where the language has
/// them: "yesterday", "3 weeks ago".
QString relativeDate(const QDateTime& when, const QDateTime& now);

} // namespace TextFormat
