// A video's recording time as a civil time: the container's local date, the file name's, or
// the UTC time in the machine's zone.
#include "dates/RecordingDates.h"

#include "dates/Dates.h"

#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <regex>

namespace Dates {
namespace {

constexpr std::int64_t minute = 60;
constexpr std::int64_t hour = 3600;
/// Every zone's offset lies within these bounds (Baker Island, -12 h, to the Line Islands, +14 h).
constexpr std::int64_t westmostOffset = -12 * hour;
constexpr std::int64_t eastmostOffset = 14 * hour;
/// A name this close to the UTC time was written in UTC: a phone names the file when recording
/// starts, the header may hold a moment later.
constexpr std::int64_t sameTime = 2 * minute;

bool digitsAt(std::string_view text, std::initializer_list<std::size_t> places)
{
    for (const std::size_t i : places) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

int number(std::string_view text, std::size_t at, std::size_t length)
{
    int value = 0;
    for (std::size_t i = at; i < at + length; ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

/// The offset of a trailing "Z", "+HH:MM", "+HHMM" or "+HH" after the time at `at`; 0 for none,
/// nothing for anything else.
std::optional<std::int64_t> zoneOffset(std::string_view text, std::size_t at)
{
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
    }
    const std::string_view zone = text.substr(std::min(at, text.size()));
    if (zone.empty() || zone == "Z")
        return 0;
    if (zone[0] != '+' && zone[0] != '-')
        return std::nullopt;
    const int sign = zone[0] == '-' ? -1 : 1;
    std::int64_t minutes = 0;
    if (zone.size() == 3 && digitsAt(zone, {1, 2}))
        minutes = number(zone, 1, 2) * 60;
    else if (zone.size() == 5 && digitsAt(zone, {1, 2, 3, 4}))
        minutes = number(zone, 1, 2) * 60 + number(zone, 3, 2);
    else if (zone.size() == 6 && zone[3] == ':' && digitsAt(zone, {1, 2, 4, 5}))
        minutes = number(zone, 1, 2) * 60 + number(zone, 4, 2);
    else
        return std::nullopt;
    return sign * minutes * minute;
}

} // namespace

std::optional<std::int64_t> fromIsoDigits(std::string_view text)
{
    if (!digitsAt(text, {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}) || text[4] != '-' || text[7] != '-'
        || (text[10] != 'T' && text[10] != ' ') || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    return epoch(number(text, 0, 4), number(text, 5, 2), number(text, 8, 2), number(text, 11, 2), number(text, 14, 2),
                 number(text, 17, 2));
}

std::optional<std::int64_t> fromIsoInstant(std::string_view text)
{
    const auto digits = fromIsoDigits(text);
    const auto offset = digits ? zoneOffset(text, 19) : std::nullopt;
    if (!offset)
        return std::nullopt;
    return *digits - *offset;
}

std::optional<std::int64_t> fromFileNameTime(std::string_view name)
{
    // Phones and cameras: VID_20190716_183000, 20190716_183000, PXL_20190716_183000123,
    // video-2019-07-16-18-30-00, "2019-07-16 18.30.00", "2019-07-16 at 18.30.00".
    static const std::regex pattern(
        R"((?:^|[^0-9])((?:19|20)\d{2})[-_.]?(\d{2})[-_.]?(\d{2})(?:[ _T-]|_?at_?| at )?(\d{2})[-_.:h]?(\d{2})[-_.:m]?(\d{2}))");
    std::match_results<std::string_view::const_iterator> match;
    if (!std::regex_search(name.begin(), name.end(), match, pattern))
        return std::nullopt;
    const auto group = [&](int i) { return std::stoi(match[i].str()); };
    const int h = group(4), mi = group(5), s = group(6);
    if (h > 23 || mi > 59 || s > 59 || group(2) < 1 || group(2) > 12 || group(3) < 1 || group(3) > 31)
        return std::nullopt;
    return epoch(group(1), group(2), group(3), h, mi, s);
}

std::int64_t civilIn(std::int64_t utcSeconds, std::string_view zoneId)
{
    const std::unique_ptr<icu::TimeZone> zone(
        zoneId.empty() ? icu::TimeZone::createDefault()
                       : icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(
                             icu::StringPiece(zoneId.data(), static_cast<std::int32_t>(zoneId.size())))));
    if (!zone)
        return utcSeconds;
    UErrorCode status = U_ZERO_ERROR;
    std::int32_t raw = 0, daylight = 0;
    zone->getOffset(static_cast<UDate>(utcSeconds) * 1000.0, false, raw, daylight, status);
    if (U_FAILURE(status))
        return utcSeconds;
    return utcSeconds + (std::int64_t(raw) + daylight) / 1000;
}

std::optional<std::int64_t> recordingTime(const RecordingClues& clues, std::string_view zoneId)
{
    // The digits of Apple's local date are the recording's clock; its zone only says where.
    if (const auto local = fromIsoDigits(clues.localWithZone))
        return local;
    const auto utc = fromIsoInstant(clues.utc);
    if (!utc)
        return std::nullopt;
    // A name the phone wrote in its local time lies no further from the header's UTC than a
    // zone's offset (an hour more where the header holds a long recording's end). A name the
    // same as the UTC time (Pixel phones name in UTC) says nothing of the zone.
    if (const auto named = fromFileNameTime(clues.fileName)) {
        const std::int64_t apart = *named - *utc;
        if (std::llabs(apart) > sameTime && apart >= westmostOffset - hour && apart <= eastmostOffset + hour)
            return named;
    }
    return civilIn(*utc, zoneId);
}

std::string exifText(std::int64_t civilSeconds)
{
    using namespace std::chrono;
    const sys_seconds at{seconds(civilSeconds)};
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss time{at - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02u:%02u %02ld:%02ld:%02ld", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()), long(time.hours().count()), long(time.minutes().count()),
                  long(time.seconds().count()));
    return text;
}

} // namespace Dates
