// Date inference from capture-date texts and relative paths.
#include "dates/Dates.h"

#include "dates/Ascii.h"

#include "dates/Patterns.h"

#include <unicode/uchar.h>

namespace Dates {
namespace {

constexpr std::int64_t firstYear = 1990;
constexpr std::int64_t lastYear = 2035;

/// Every pattern needs an ASCII "19" or "20" (its year), and ASCII bytes pass unchanged into
/// UTF-16, so a piece without either can hold no date; this skips most file names cheaply.
bool mayHoldYear(std::string_view bytes)
{
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        if ((bytes[i] == '1' && bytes[i + 1] == '9') || (bytes[i] == '2' && bytes[i + 1] == '0'))
            return true;
    }
    return false;
}

std::optional<int> monthNumber(std::u16string_view word)
{
    for (const Month& month : months) {
        if (month.name.size() != word.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < word.size() && same; ++i) {
            // The pattern admits only ASCII letters here.
            char16_t c = word[i];
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c - u'A' + u'a');
            same = c == static_cast<char16_t>(month.name[i]);
        }
        if (same)
            return month.number;
    }
    return std::nullopt;
}

/// A year, month and day read from three groups in the given order, as a date at 12:00.
std::optional<std::int64_t> dateFrom(const Groups& groups, std::size_t year, std::size_t month, std::size_t day)
{
    const auto y = groups.number(year);
    const auto m = groups.number(month);
    const auto d = groups.number(day);
    if (!y || !m || !d)
        return std::nullopt;
    return epoch(*y, *m, *d);
}

/// segDate over the text already loaded into the thread's matcher.
std::optional<std::int64_t> loadedSegDate(ThreadMatcher& matcher)
{
    // Each pattern is asked for its first match only; a later match in the same piece never counts.
    if (const auto g = matcher.groups(Pattern::num)) {
        if (const auto date = dateFrom(*g, 0, 1, 2))
            return date;
    }
    if (const auto g = matcher.groups(Pattern::word)) {
        if (const auto month = monthNumber(g->text[0])) {
            const auto d = g->number(1);
            const auto y = g->number(2);
            if (d && y) {
                if (const auto date = epoch(*y, *month, *d))
                    return date;
            }
        }
    }
    if (const auto g = matcher.groups(Pattern::ymd))
        return dateFrom(*g, 0, 1, 2);
    return std::nullopt;
}

/// Calls find on each non-empty piece of a "/"-separated path, from the last to the first,
/// and returns the first date it gives.
template <typename Find>
std::optional<std::int64_t> fromLastPiece(std::string_view path, Find find)
{
    std::size_t end = path.size();
    while (end > 0) {
        const std::size_t slash = path.rfind('/', end - 1);
        const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
        if (start < end) {
            if (const auto date = find(path.substr(start, end - start)))
                return date;
        }
        if (slash == std::string_view::npos)
            break;
        end = slash;
    }
    return std::nullopt;
}

/// The first year-like number of a piece, as 15 June 12:00 of that year.
std::optional<std::int64_t> yearDate(std::string_view piece)
{
    if (!mayHoldYear(piece))
        return std::nullopt;
    ThreadMatcher& matcher = ThreadMatcher::forThisThread();
    if (!matcher.load(piece))
        return std::nullopt;
    // Only the first match counts: when it is out of range, a later year in the piece is not tried.
    const auto g = matcher.groups(Pattern::year);
    if (!g)
        return std::nullopt;
    const auto year = g->number(0);
    if (!year)
        return std::nullopt;
    return epoch(*year, 6, 15);
}

bool isTrimmed(char16_t c)
{
    // Spaces of every kind and tabs; line breaks stay and make the text fail to match.
    return c == u'\t' || u_charType(c) == U_SPACE_SEPARATOR;
}

} // namespace

std::optional<std::int64_t> epoch(std::int64_t y, std::int64_t m, std::int64_t d, std::int64_t h, std::int64_t mi,
                                  std::int64_t s)
{
    if (y < firstYear || y > lastYear || m < 1 || m > 12 || d < 1 || d > 31)
        return std::nullopt;
    // Days from civil: years start on 1 March so that the leap day falls at the end.
    const std::int64_t year = m <= 2 ? y - 1 : y;
    const std::int64_t shiftedMonth = m <= 2 ? m + 9 : m - 3;
    const std::int64_t era = year / 400;
    const std::int64_t yearOfEra = year - 400 * era;
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + d - 1;
    const std::int64_t dayOfEra = 365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t days = 146097 * era + dayOfEra - 719468;

    // The time of day is not bounded, so a caller's extreme value must not overflow.
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t total = days * 86400;
    if (__builtin_mul_overflow(h, std::int64_t{3600}, &hours) || __builtin_mul_overflow(mi, std::int64_t{60}, &minutes)
        || __builtin_add_overflow(total, hours, &total) || __builtin_add_overflow(total, minutes, &total)
        || __builtin_add_overflow(total, s, &total))
        return std::nullopt;
    return total;
}

std::optional<std::int64_t> segDate(std::string_view segment)
{
    if (!mayHoldYear(segment))
        return std::nullopt;
    ThreadMatcher& matcher = ThreadMatcher::forThisThread();
    if (!matcher.load(segment))
        return std::nullopt;
    return loadedSegDate(matcher);
}

std::optional<std::pair<std::int64_t, std::string>> fromPath(std::string_view path)
{
    // The file name first, then each folder from the deepest up.
    if (const auto date = fromLastPiece(path, segDate))
        return std::pair{*date, std::string("path")};

    if (const auto date = fromLastPiece(path, yearDate))
        return std::pair{*date, std::string("year")};
    return std::nullopt;
}

namespace {

bool asciiDigits(std::string_view s, std::size_t at, std::size_t count, std::int64_t& value)
{
    if (at + count > s.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

/// The capture-date pattern read by hand for ASCII texts, which is what cameras write: the same
/// result as the ICU pattern (there `\s` is Unicode white space, which in ASCII is tab to carriage
/// return and the space), at a fraction of the cost.
std::optional<std::int64_t> fromAsciiExif(std::string_view text)
{
    const auto trimmed = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && trimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && trimmed(text.back()))
        text.remove_suffix(1);
    if (text.empty() || text == "<nil>")
        return std::nullopt;
    std::int64_t year, month, day, hour, minute, second;
    if (!asciiDigits(text, 0, 4, year) || text.size() < 10 || text[4] != ':' || !asciiDigits(text, 5, 2, month)
        || text[7] != ':' || !asciiDigits(text, 8, 2, day))
        return std::nullopt;
    std::size_t at = 10;
    const auto space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    if (at >= text.size() || !space(text[at]))
        return std::nullopt;
    while (at < text.size() && space(text[at]))
        ++at;
    if (!asciiDigits(text, at, 2, hour) || at + 8 > text.size() || text[at + 2] != ':'
        || !asciiDigits(text, at + 3, 2, minute) || text[at + 5] != ':' || !asciiDigits(text, at + 6, 2, second))
        return std::nullopt;
    return epoch(year, month, day, hour, minute, second);
}

} // namespace

std::optional<std::int64_t> fromExif(std::string_view text)
{
    if (Ascii::isAscii(text))
        return fromAsciiExif(text);
    ThreadMatcher& matcher = ThreadMatcher::forThisThread();
    if (text.empty() || !matcher.load(text))
        return std::nullopt;

    icu::UnicodeString& trimmed = matcher.text();
    int32_t first = 0;
    int32_t last = trimmed.length();
    while (first < last && isTrimmed(trimmed.charAt(first)))
        ++first;
    while (last > first && isTrimmed(trimmed.charAt(last - 1)))
        --last;
    trimmed.retainBetween(first, last);
    constexpr std::u16string_view placeholder = u"<nil>";
    if (trimmed.isEmpty()
        || std::u16string_view(trimmed.getBuffer(), static_cast<std::size_t>(trimmed.length())) == placeholder)
        return std::nullopt;

    const auto g = matcher.groups(Pattern::exif);
    if (!g)
        return std::nullopt;
    const auto year = g->number(0);
    const auto month = g->number(1);
    const auto day = g->number(2);
    const auto hour = g->number(3);
    const auto minute = g->number(4);
    const auto second = g->number(5);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    return epoch(*year, *month, *day, *hour, *minute, *second);
}

} // namespace Dates
