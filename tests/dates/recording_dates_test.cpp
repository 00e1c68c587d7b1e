// A video's recording time as the civil time of the place it was recorded: exact results for
// the container's clues and the file name, in named zones.
#include "dates/RecordingDates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    Dates::RecordingClues clues;
    const char* zone;
    const char* expected; ///< "" for no date
};

std::string shown(const std::optional<std::int64_t>& seconds)
{
    return seconds ? Dates::exifText(*seconds) : std::string();
}

} // namespace

TEST(RecordingDates, TheRecordingsOwnClockWhereverTheMachineIs)
{
    const std::vector<Case> cases = {
        // Apple's local date: its digits, whatever the machine's zone.
        {"apple local date", {"2019-07-16T18:30:00+0200", "2019-07-16T16:30:00.000000Z", "IMG_0001.MOV"}, "America/New_York", "2019:07:16 18:30:00"},
        {"apple date west of utc", {"2019-07-16T18:30:00-0700", "2019-07-17T01:30:00.000000Z", "IMG_0002.MOV"}, "Europe/Berlin", "2019:07:16 18:30:00"},
        // A phone's name in its local time: the name, wherever the machine is.
        {"android name", {"", "2019-07-16T16:30:00.000000Z", "VID_20190716_183000.mp4"}, "America/New_York", "2019:07:16 18:30:00"},
        {"samsung name", {"", "2019-07-16T16:30:04.000000Z", "20190716_183000.mp4"}, "Etc/UTC", "2019:07:16 18:30:00"},
        {"separated name", {"", "2019-07-16T16:30:00Z", "2019-07-16 18.30.00.mp4"}, "Etc/UTC", "2019:07:16 18:30:00"},
        {"name past midnight", {"", "2019-07-16T22:30:00Z", "VID_20190717_003000.mp4"}, "Etc/UTC", "2019:07:17 00:30:00"},
        {"name west of utc", {"", "2019-07-17T01:30:00Z", "VID_20190716_183000.mp4"}, "Europe/Berlin", "2019:07:16 18:30:00"},
        // A name in UTC, or a date that is no recording time: the machine's zone.
        {"pixel name in utc", {"", "2019-07-16T16:30:00.000000Z", "PXL_20190716_163000123.mp4"}, "Europe/Berlin", "2019:07:16 18:30:00"},
        {"name a month off", {"", "2019-07-16T16:30:00Z", "export_20190816_120000.mp4"}, "Europe/Berlin", "2019:07:16 18:30:00"},
        {"name with an impossible time", {"", "2019-07-16T16:30:00Z", "VID_20190716_256100.mp4"}, "Europe/Berlin", "2019:07:16 18:30:00"},
        // No clue but the UTC time.
        {"summer time", {"", "2019-07-16T16:30:00.000000Z", "clip.mp4"}, "Europe/Berlin", "2019:07:16 18:30:00"},
        {"winter time", {"", "2019-01-15T12:00:00Z", "clip.mp4"}, "Europe/Berlin", "2019:01:15 13:00:00"},
        {"zone crossing midnight forward", {"", "2019-07-16T22:30:00Z", "clip.mp4"}, "Europe/Berlin", "2019:07:17 00:30:00"},
        {"zone crossing midnight back", {"", "2019-07-17T03:00:00Z", "clip.mp4"}, "America/Los_Angeles", "2019:07:16 20:00:00"},
        {"zone crossing the year", {"", "2019-12-31T20:00:00Z", "clip.mp4"}, "Asia/Tokyo", "2020:01:01 05:00:00"},
        {"half-hour zone", {"", "2019-07-16T16:30:00Z", "clip.mp4"}, "Asia/Kolkata", "2019:07:16 22:00:00"},
        {"utc given with an offset", {"", "2019-07-16T18:30:00+02:00", "clip.mp4"}, "Etc/UTC", "2019:07:16 16:30:00"},
        // Headers never filled in, and none at all.
        {"quicktime epoch", {"", "1904-01-01T00:00:00.000000Z", "VID_20190716_183000.mp4"}, "Etc/UTC", ""},
        {"unix epoch", {"", "1970-01-01T00:00:00Z", "clip.mp4"}, "Etc/UTC", ""},
        {"no date", {"", "", "VID_20190716_183000.mp4"}, "Etc/UTC", ""},
        {"garbage", {"yesterday", "around noon", "clip.mp4"}, "Etc/UTC", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shown(Dates::recordingTime(c.clues, c.zone)), c.expected) << c.name;
}

TEST(RecordingDates, FileNameTimes)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"VID_20190716_183000.mp4", "2019:07:16 18:30:00"},
        {"PXL_20190716_183000123.mp4", "2019:07:16 18:30:00"},
        {"video-2019-07-16-18-30-00.mp4", "2019:07:16 18:30:00"},
        {"Screen Recording 2019-07-16 at 18.30.00.mov", "2019:07:16 18:30:00"},
        {"IMG_1234.MOV", ""},
        {"20190716.mp4", ""},
        {"120190716_183000.mp4", ""},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(shown(Dates::fromFileNameTime(name)), expected) << name;
}
