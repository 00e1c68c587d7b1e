// A video's recording time on the clock of the place it was recorded, the kind of time a
// camera writes into a photo: containers store UTC, and that must become the local time of
// the recording before it is sorted among photos. Pure functions, any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Dates {

/// What a video's container and name say about when it was recorded.
struct RecordingClues {
    /// The local date and time with its zone, as Apple's devices store it
    /// ("2019-07-16T18:30:00+0200"); empty when the container holds none.
    std::string_view localWithZone;
    /// The creation time in UTC ("2019-07-16T16:30:00.000000Z"), as the movie header holds it.
    std::string_view utc;
    /// The file's name, which phones write in their own local time ("VID_20190716_183000.mp4").
    std::string_view fileName;
};

/// Seconds of the civil recording time read as UTC, like fromExif's: the container's local
/// date where present; else the date-and-time in the file name when it lies within a zone's
/// offset of the UTC time (and is not the UTC time itself); else the UTC time in `zoneId` (an
/// IANA name; empty: the machine's own zone). Nothing without a date in the container.
std::optional<std::int64_t> recordingTime(const RecordingClues& clues, std::string_view zoneId = {});

/// "YYYY-MM-DD[T ]HH:MM:SS" at the start of the text, its digits as they are (any fraction or
/// zone after them ignored): seconds of that civil time.
std::optional<std::int64_t> fromIsoDigits(std::string_view text);

/// The instant of an ISO time "YYYY-MM-DD[T ]HH:MM:SS[.fraction][Z|±HH[:]MM]" (no zone: UTC),
/// in seconds since 1970.
std::optional<std::int64_t> fromIsoInstant(std::string_view text);

/// A date and time of day in a file name ("20190716_183000", "2019-07-16 18.30.00"), read as
/// the civil time it names.
std::optional<std::int64_t> fromFileNameTime(std::string_view name);

/// The civil time in `zoneId` (empty: the machine's zone) at the given instant, as seconds read
/// as UTC.
std::int64_t civilIn(std::int64_t utcSeconds, std::string_view zoneId = {});

/// Seconds of a civil time as the capture-date text of image metadata, "YYYY:MM:DD HH:MM:SS".
std::string exifText(std::int64_t civilSeconds);

} // namespace Dates
