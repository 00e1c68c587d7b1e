// Formatting with ICU in the user's locale.
#include "model/TextFormat.h"

#include <QCoreApplication>
#include <QLocale>

#include <unicode/locid.h>
#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>
#include <unicode/numfmt.h>
#include <unicode/reldatefmt.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace TextFormat {
namespace {

QString toQString(const icu::UnicodeString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

/// The language of the program's texts (Translations::install sets it as Qt's default locale),
/// so that the numbers and words ICU makes agree with the sentence around them. The C locale
/// (no language set at all) reads as US English rather than as a locale without digit grouping.
icu::Locale userLocale()
{
    const QLocale locale;
    if (locale.language() == QLocale::C)
        return icu::Locale::getUS();
    return icu::Locale(locale.name().toLatin1().constData());
}

} // namespace

QString count(qint64 n)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::NumberFormat> format(icu::NumberFormat::createInstance(userLocale(), status));
    if (U_FAILURE(status) || !format)
        return QString::number(n);
    format->setGroupingUsed(true);
    icu::UnicodeString text;
    format->format(static_cast<int64_t>(n), text);
    return toQString(text);
}

int numerus(qint64 n)
{
    constexpr qint64 billion = 1000000000;
    if (n >= -billion && n <= billion)
        return static_cast<int>(n);
    return static_cast<int>(billion + std::llabs(n % billion));
}

QString duration(double seconds)
{
    if (seconds < 60)
        return QCoreApplication::translate("TextFormat", "under a minute");
    const QString about = QCoreApplication::translate("TextFormat", "about %1", "a time left, such as 5 minutes");
    if (!std::isfinite(seconds))
        return about.arg(QString());
    UErrorCode status = U_ZERO_ERROR;
    icu::MeasureFormat format(userLocale(), UMEASFMT_WIDTH_WIDE, status);
    if (U_FAILURE(status))
        return about.arg(QString());
    // Whole minutes, counted down: an estimate is shown as "about", never as more than it is.
    const double total = std::floor(seconds / 60);
    icu::UnicodeString text;
    icu::FieldPosition position(icu::FieldPosition::DONT_CARE);
    if (seconds >= 3600) {
        const double hours = std::floor(total / 60);
        const double minutes = total - hours * 60;
        icu::Measure measures[2] = {
            icu::Measure(hours, icu::MeasureUnit::createHour(status), status),
            icu::Measure(minutes, icu::MeasureUnit::createMinute(status), status),
        };
        // A whole number of hours reads "1 hour", not "1 hour, 0 minutes".
        format.formatMeasures(measures, minutes > 0 ? 2 : 1, text, position, status);
    } else {
        icu::Measure measure(total, icu::MeasureUnit::createMinute(status), status);
        format.formatMeasures(&measure, 1, text, position, status);
    }
    if (U_FAILURE(status))
        text.remove();
    return about.arg(toQString(text));
}

QString relativeDate(const QDateTime& when, const QDateTime& now)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::RelativeDateTimeFormatter format(userLocale(), nullptr, UDAT_STYLE_LONG,
                                          UDISPCTX_CAPITALIZATION_NONE, status);
    if (U_FAILURE(status))
        return {};
    // Negative offsets lie in the past. The largest unit that is at least one whole step is
    // used. From a day on, days are counted between calendar dates, so a wall updated late on
    // Monday reads "yesterday" all through Tuesday.
    const qint64 seconds = now.secsTo(when);
    const qint64 magnitude = std::llabs(seconds);
    const qint64 days = now.toLocalTime().date().daysTo(when.toLocalTime().date());
    double offset = 0;
    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
    if (magnitude < 60) {
        offset = static_cast<double>(seconds);
    } else if (magnitude < 3600) {
        offset = static_cast<double>(seconds / 60);
        unit = UDAT_REL_UNIT_MINUTE;
    } else if (magnitude < 86400 || days == 0) {
        offset = static_cast<double>(seconds / 3600);
        unit = UDAT_REL_UNIT_HOUR;
    } else if (std::llabs(days) < 7) {
        offset = static_cast<double>(days);
        unit = UDAT_REL_UNIT_DAY;
    } else if (std::llabs(days) < 30) {
        offset = static_cast<double>(days / 7);
        unit = UDAT_REL_UNIT_WEEK;
    } else if (std::llabs(days) < 365) {
        offset = static_cast<double>(days / 30);
        unit = UDAT_REL_UNIT_MONTH;
    } else {
        offset = static_cast<double>(days / 365);
        unit = UDAT_REL_UNIT_YEAR;
    }
    icu::UnicodeString text;
    format.format(offset, unit, text, status);
    if (U_FAILURE(status))
        return {};
    return toQString(text);
}

} // namespace TextFormat
