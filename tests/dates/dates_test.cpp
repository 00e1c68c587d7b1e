// Date inference: exact seconds for capture-date texts, path segments and relative paths.
#include "dates/Dates.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using std::nullopt;
using Seconds = std::optional<std::int64_t>;

// Seconds of a few civil dates read as UTC, worked out independently of the code under test.
constexpr std::int64_t jul15_2019_183005 = 1563215405; // 2019-07-15 18:30:05
constexpr std::int64_t jul15_2019_noon = 1563192000;   // 2019-07-15 12:00
constexpr std::int64_t jul16_2019_noon = 1563278400;   // 2019-07-16 12:00
constexpr std::int64_t jul16_2019_midnight = 1563235200;
constexpr std::int64_t jul05_2019_noon = 1562328000;
constexpr std::int64_t jul04_2019_noon = 1562241600;
constexpr std::int64_t jun15_2019_noon = 1560600000;
constexpr std::int64_t jun15_2018_noon = 1529064000;
constexpr std::int64_t jun15_1990_noon = 645451200;
constexpr std::int64_t jun15_2035_noon = 2065521600;
constexpr std::int64_t jan01_2020_noon = 1577880000;
constexpr std::int64_t jan02_2020_noon = 1577966400;
constexpr std::int64_t jan01_1990_noon = 631195200;
constexpr std::int64_t jan01_1990_midnight = 631152000;
constexpr std::int64_t dec31_2035_noon = 2082715200;
constexpr std::int64_t dec31_2035_235959 = 2082758399;
constexpr std::int64_t mar03_2021_noon = 1614772800;
constexpr std::int64_t may01_2021_noon = 1619870400;
constexpr std::int64_t mar02_2019_1000 = 1551520800;
constexpr std::int64_t feb29_2000_noon = 951825600;
constexpr std::int64_t mar01_2000_noon = 951912000;
constexpr std::int64_t feb29_2024_noon = 1709208000;

std::string bytes(std::initializer_list<char> chars) { return std::string(chars); }

// ---------------------------------------------------------------------------------------------
struct EpochRow {
    std::int64_t y, m, d, h, mi, s;
    Seconds expected;
};

TEST(Epoch, CivilDatesAndBounds)
{
    constexpr auto big = std::numeric_limits<std::int64_t>::max();
    const std::vector<EpochRow> rows{
        {2019, 7, 15, 18, 30, 5, jul15_2019_183005},
        {1990, 1, 1, 0, 0, 0, jan01_1990_midnight},
        {2035, 12, 31, 23, 59, 59, dec31_2035_235959},
        {1989, 12, 31, 23, 59, 59, nullopt},
        {2036, 1, 1, 0, 0, 0, nullopt},
        {1970, 1, 1, 0, 0, 0, nullopt},
        {2019, 0, 1, 12, 0, 0, nullopt},
        {2019, 13, 1, 12, 0, 0, nullopt},
        {2019, 1, 0, 12, 0, 0, nullopt},
        {2019, 1, 32, 12, 0, 0, nullopt},
        // Leap years, and days past the month's end counting on into the next month.
        {2000, 2, 29, 12, 0, 0, feb29_2000_noon},
        {2000, 2, 30, 12, 0, 0, mar01_2000_noon},
        {2024, 2, 29, 12, 0, 0, feb29_2024_noon},
        {2021, 2, 31, 12, 0, 0, mar03_2021_noon},
        {2021, 4, 31, 12, 0, 0, may01_2021_noon},
        // The time of day is simply added, whatever its size or sign.
        {2019, 7, 15, 24, 0, 0, jul16_2019_midnight},
        {2019, 7, 15, 99, 99, 99, 1563511239},
        {2019, 7, 15, -12, 0, 0, 1563105600},
        {2019, 7, 15, big, 0, 0, nullopt},
        {2019, 7, 15, 0, big, 0, nullopt},
        {2019, 7, 15, 0, 0, big, nullopt},
        {big, 7, 15, 0, 0, 0, nullopt},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Dates::epoch(r.y, r.m, r.d, r.h, r.mi, r.s), r.expected)
            << r.y << "-" << r.m << "-" << r.d << " " << r.h << ":" << r.mi << ":" << r.s;
    }
}

TEST(Epoch, DefaultsToNoon)
{
    EXPECT_EQ(Dates::epoch(1990, 1, 1), jan01_1990_noon);
    EXPECT_EQ(Dates::epoch(2035, 12, 31), dec31_2035_noon);
}

// ---------------------------------------------------------------------------------------------
struct TextRow {
    std::string text;
    Seconds expected;
};

TEST(SegDate, PatternsInOrderFirstMatchOnly)
{
    const std::vector<TextRow> rows{
        // Separated numeric dates, anywhere in the segment.
        {"2019-07-15", jul15_2019_noon},
        {"2019.7.5", jul05_2019_noon},
        {"2019_07_15", jul15_2019_noon},
        {"2019-07_15", jul15_2019_noon},
        {"12019-07-15", jul15_2019_noon},
        {"2019-07-150", jul15_2019_noon},
        {"2019-07-15 Rome", jul15_2019_noon},
        {"2019/07/15", nullopt},
        // Compact dates.
        {"20190715", jul15_2019_noon},
        {"IMG_20190715_123456", jul15_2019_noon},
        {"20191315", nullopt},
        {"19900101", jan01_1990_noon},
        {"19891231", nullopt},
        // A month word, its day and its year.
        {"July 4, 2019 fireworks", jul04_2019_noon},
        {"JULY 4,2019", jul04_2019_noon},
        {"july  4,   2019", jul04_2019_noon},
        {"Jul 4, 2019", nullopt},
        {"xJuly 4, 2019", nullopt},
        {"Juli 4, 2019", nullopt},
        {"July 0, 2019", nullopt},
        {"July 4 2019", nullopt},
        {"February 31, 2021", mar03_2021_noon},
        // Year bounds.
        {"1989-12-31", nullopt},
        {"1990-01-01", jan01_1990_noon},
        {"2035-12-31", dec31_2035_noon},
        {"2036-01-01", nullopt},
        {"December 31, 1989", nullopt},
        // Impossible days count on into the next month.
        {"2021-02-31", mar03_2021_noon},
        {"2021-04-31", may01_2021_noon},
        {"2021-04-32", nullopt},
        // Order: numeric, then word, then compact; a failed step goes on to the next.
        {"20200101 July 4, 2019", jul04_2019_noon},
        {"July 4, 2019 2020-01-02", jan02_2020_noon},
        {"2019-13-01 July 4, 2019", jul04_2019_noon},
        {"2019-13-01_20200101", jan01_2020_noon},
        {"xJuly 4, 2019 20200101", jan01_2020_noon},
        // Only each pattern's first match is read.
        {"2019-13-45 and 2020-01-02", nullopt},
        {"Jul 4, 2019 and July 5, 2019", nullopt},
        {"20191315 20200101", nullopt},
        // No date at all.
        {"", nullopt},
        {"IMG_0001.JPG", nullopt},
        {"2019", nullopt},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Dates::segDate(r.text), r.expected) << r.text;
}

TEST(SegDate, OtherDigitsAndBytes)
{
    const std::vector<TextRow> rows{
        // \d admits full-width digits, but a group must read as an ASCII number.
        {"２０１９-07-15", nullopt},
        {"2019-０7-15", nullopt},
        {"2019-０7-15 20190716", jul16_2019_noon},
        {"July ４, 2019", nullopt},
        {"July ４, 2019 2019-07-05", jul05_2019_noon},
        {"20１90715", nullopt},
        // Invalid UTF-8 reads as U+FFFD and never swallows the ASCII that follows.
        {bytes({'\xff'}) + "2019-07-15" + bytes({'\xfe'}), jul15_2019_noon},
        {bytes({'\xc3'}) + "2019-07-15", jul15_2019_noon},
        {bytes({'\xe2', '\x80'}) + "20190715", jul15_2019_noon},
        {bytes({'\xed', '\xa0', '\x80'}) + "2019-07-15", jul15_2019_noon},
        {"July" + bytes({'\xa0'}) + "4, 2019", nullopt},
        {std::string("2019\0-07-15", 11), nullopt},
        {std::string("\0" "2019-07-15", 11), jul15_2019_noon},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Dates::segDate(r.text), r.expected) << r.text;
}

// ---------------------------------------------------------------------------------------------
struct PathRow {
    std::string path;
    std::optional<std::pair<std::int64_t, std::string>> expected;
};

TEST(FromPath, FileNameFirstThenDeeperFoldersThenYears)
{
    using P = std::pair<std::int64_t, std::string>;
    const std::vector<PathRow> rows{
        {"Trips/2019-07-15 Rome/IMG_0001.JPG", P{jul15_2019_noon, "path"}},
        {"2018/2019-07-15/IMG_20200101_120000.jpg", P{jan01_2020_noon, "path"}},
        {"2018-05-05/2019-07-15/IMG_0001.JPG", P{jul15_2019_noon, "path"}},
        {"July 4, 2019/IMG_0001.JPG", P{jul04_2019_noon, "path"}},
        {"IMG_1234/20190715", P{jul15_2019_noon, "path"}},
        // A full date anywhere beats a year, however deep the year lies.
        {"2019-07-15 Rome/Summer 2018/IMG_2018.JPG", P{jul15_2019_noon, "path"}},
        {"Holidays/Summer 2019/IMG_0001.JPG", P{jun15_2019_noon, "year"}},
        {"2018/Summer 2019/IMG_0001.JPG", P{jun15_2019_noon, "year"}},
        {"Trips 2018/IMG_2019.JPG", P{jun15_2019_noon, "year"}},
        {"Jul 4, 2019/IMG_0001.JPG", P{jun15_2019_noon, "year"}},
        {"Family/IMG_0001.JPG", nullopt},
        // The year must not touch other digits, and only a piece's first year-like number counts.
        {"1920x1080 2019/IMG_0001.JPG", nullopt},
        {"Photos 2018/1920x1080 2019/IMG_0001.JPG", P{jun15_2018_noon, "year"}},
        {"Album 2018/DSC12019.JPG", P{jun15_2018_noon, "year"}},
        {"Album 2018/20191315.jpg", P{jun15_2018_noon, "year"}},
        {"Album 2018/IMG_1234.JPG", P{jun15_2018_noon, "year"}},
        {"2019", P{jun15_2019_noon, "year"}},
        // Year bounds.
        {"Summer 1989/IMG_0001.JPG", nullopt},
        {"Summer 1990/IMG_0001.JPG", P{jun15_1990_noon, "year"}},
        {"Summer 2035/IMG_0001.JPG", P{jun15_2035_noon, "year"}},
        {"Summer 2036/IMG_0001.JPG", nullopt},
        {"2019/Summer 2036/IMG_0001.JPG", P{jun15_2019_noon, "year"}},
        {"1989-12-31/IMG_0001.JPG", nullopt},
        // Empty pieces are dropped.
        {"//2019-07-15//", P{jul15_2019_noon, "path"}},
        {"/Summer 2019/", P{jun15_2019_noon, "year"}},
        {"", nullopt},
        {"/", nullopt},
        {"///", nullopt},
        // Full-width digits and invalid bytes.
        {"Summer ２０１９/IMG_0001.JPG", nullopt},
        {"2018/Summer 20１9/IMG_0001.JPG", P{jun15_2018_noon, "year"}},
        {"Summer 2019１/IMG_0001.JPG", P{jun15_2019_noon, "year"}},
        {bytes({'\xff', '\xfe'}) + "/Summer 2019" + bytes({'\xff'}) + "/IMG.jpg", P{jun15_2019_noon, "year"}},
        {bytes({'\xff'}) + "2019-07-15" + bytes({'\xc0'}) + "/" + bytes({'\x80'}), P{jul15_2019_noon, "path"}},
    };
    for (const auto& r : rows) {
        const auto found = Dates::fromPath(r.path);
        EXPECT_EQ(found, r.expected) << r.path;
        if (found)
            EXPECT_EQ(found->first % 86400, 43200) << r.path << " is not at 12:00";
    }
}

// ---------------------------------------------------------------------------------------------
TEST(FromExif, CaptureDateTexts)
{
    const std::vector<TextRow> rows{
        {"2019:07:15 18:30:05", jul15_2019_183005},
        // Trimmed of spaces and tabs; anything after the seconds is ignored.
        {"   2019:07:15 18:30:05+02:00", jul15_2019_183005},
        {"\t 2019:07:15 18:30:05 \t", jul15_2019_183005},
        {"2019:07:15 18:30:05.123", jul15_2019_183005},
        {"2019:07:15 18:30:05\n", jul15_2019_183005},
        {"\xc2\xa0" "2019:07:15 18:30:05", jul15_2019_183005},
        {"\xe3\x80\x80" "2019:07:15 18:30:05", jul15_2019_183005},
        // Line breaks are not trimmed, and the date must open the text.
        {"\n2019:07:15 18:30:05", nullopt},
        {"\r\n2019:07:15 18:30:05", nullopt},
        {"x2019:07:15 18:30:05", nullopt},
        // Any white space between date and time.
        {"2019:07:15\t18:30:05", jul15_2019_183005},
        {"2019:07:15  18:30:05", jul15_2019_183005},
        {"2019:07:1518:30:05", nullopt},
        // Other forms.
        {"2019-07-15 18:30:05", nullopt},
        {"2019:7:15 18:30:05", nullopt},
        {"2019:07:15", nullopt},
        // Bounds.
        {"1989:12:31 23:59:59", nullopt},
        {"1990:01:01 00:00:00", jan01_1990_midnight},
        {"2035:12:31 23:59:59", dec31_2035_235959},
        {"2036:01:01 00:00:00", nullopt},
        {"0000:00:00 00:00:00", nullopt},
        {"2019:00:15 12:00:00", nullopt},
        {"2019:13:15 12:00:00", nullopt},
        {"2019:07:00 12:00:00", nullopt},
        {"2019:07:32 12:00:00", nullopt},
        // Impossible days and times count on.
        {"2019:02:30 10:00:00", mar02_2019_1000},
        {"2019:07:15 24:00:00", jul16_2019_midnight},
        {"2019:07:15 99:99:99", 1563511239},
        // Empty and placeholder texts.
        {"", nullopt},
        {"   \t ", nullopt},
        {"<nil>", nullopt},
        {"  <nil>\t", nullopt},
        // Full-width digits match the pattern but are no number.
        {"２０１９:07:15 18:30:05", nullopt},
        {"2019:07:15 18:30:０５", nullopt},
        // Invalid UTF-8.
        {"2019:07:15 18:30:05" + bytes({'\xff'}), jul15_2019_183005},
        {bytes({'\xff'}) + "2019:07:15 18:30:05", nullopt},
        {bytes({'\xc3'}), nullopt},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Dates::fromExif(r.text), r.expected) << r.text;
}

// ---------------------------------------------------------------------------------------------
TEST(Robustness, ArbitraryBytesGiveNothingOrADateInRange)
{
    // Pieces that make the patterns nearly match, mixed with full-width digits, line breaks and
    // broken UTF-8; a fixed seed keeps any failure reproducible.
    const std::vector<std::string> parts{
        "19", "20", "2019", "0", "1", "9", "31", "-", ".", "_", ":", "/", " ", "\t", "\n", ",", "July", "may",
        "x", "07", "15", "2019-", "18:30:05", "99:99:99", "２", "\xef\xbc\x90", "\xff", "\xc3", "\xe2\x80",
        "\xed\xa0\x80", std::string(1, '\0'), "<nil>"};
    // Latest reachable: 31 December 2035, plus at most 99:99:99 of capture time.
    const std::int64_t earliest = jan01_1990_midnight;
    const std::int64_t latest = dec31_2035_noon + 99 * 3600 + 99 * 60 + 99;
    // Capture-date texts open with a date most of the time, so that their times get exercised.
    const std::vector<std::string> exifOpenings{"", "2019:07:15 ", "2035:12:31\t", " 1990:01:01 "};
    std::mt19937 random(20190715);
    int exifDated = 0;
    int segmentsDated = 0;
    int pathsDated = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const auto length = random() % 12;
        for (unsigned j = 0; j < length; ++j)
            text += parts[random() % parts.size()];
        const std::string exif = exifOpenings[static_cast<std::size_t>(i) % exifOpenings.size()] + text;
        if (const auto date = Dates::fromExif(exif)) {
            ++exifDated;
            EXPECT_GE(*date, earliest) << exif;
            EXPECT_LE(*date, latest) << exif;
        }
        if (const auto date = Dates::segDate(text)) {
            ++segmentsDated;
            EXPECT_GE(*date, earliest) << text;
            EXPECT_LE(*date, dec31_2035_noon) << text;
        }
        if (const auto date = Dates::fromPath(text)) {
            ++pathsDated;
            EXPECT_EQ(date->first % 86400, 43200) << text;
            EXPECT_LE(date->first, dec31_2035_noon) << text;
        }
    }
    // The mix must reach the dated branches, or this test would prove nothing.
    EXPECT_GT(exifDated, 100);
    EXPECT_GT(segmentsDated, 20);
    EXPECT_GT(pathsDated, 1000);
}

// ---------------------------------------------------------------------------------------------
TEST(Threads, ConcurrentCallsAgree)
{
    // The first calls of all threads race on the one-time pattern compilation.
    constexpr int threadCount = 4;
    std::vector<int> wrong(threadCount, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&wrong, t] {
            for (int i = 0; i < 2000; ++i) {
                if (Dates::fromExif("2019:07:15 18:30:05") != jul15_2019_183005)
                    ++wrong[t];
                const auto path = Dates::fromPath("Holidays/Summer 2019/IMG_0001.JPG");
                if (!path || path->first != jun15_2019_noon)
                    ++wrong[t];
                if (Dates::segDate("IMG_20190715_123456") != jul15_2019_noon)
                    ++wrong[t];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < threadCount; ++t)
        EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

} // namespace

TEST(FromExif, AsciiTextsReadTheSameAsThroughThePattern)
{
    // Camera texts are ASCII and are read by hand; any text with another character goes through
    // the ICU pattern. A trailing no-break space is trimmed by both, so it routes the same text
    // through the pattern and the two answers must agree.
    const char* pieces[] = {"2019", ":", "07", "15", "0", "9", " ", "\t", "\n", "\r", "\f", "\v", "24", "60",
                            "<nil>", "+02:00", ".5", "1989", "2036", "a", "12", "00", "-", "", "  "};
    std::mt19937 random(20191507);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    int dated = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        if (i % 3 == 0)
            text = " 2019:07:15";
        const int count = 1 + static_cast<int>(random() % 12);
        for (int k = 0; k < count; ++k)
            text += pieces[pick(random)];
        if (i % 5 == 0)
            text = "2019:07:15" + text.substr(0, 3) + "18:30:05" + text.substr(std::min<std::size_t>(3, text.size()));
        const auto ascii = Dates::fromExif(text);
        const auto pattern = Dates::fromExif(text + "\xC2\xA0");
        ASSERT_EQ(ascii, pattern) << "text [" << text << "]";
        dated += ascii.has_value();
    }
    EXPECT_GT(dated, 100); // enough texts that read as dates for the comparison to mean something
}
