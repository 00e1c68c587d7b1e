// Date inference: exact seconds for capture-date texts, path segments and relative paths.
#include "dates/Dates.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <fstream>
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
constexpr std::int64_t jul16_2019_midnight = 1563235200;
constexpr std::int64_t jun15_2019_noon = 1560600000;
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

// The cases the wall page is held to as well, one a line: see the file's head.
struct SharedCase {
    int line;
    std::string function, text, date, kind;
};

std::vector<SharedCase> sharedCases()
{
    std::ifstream in(KESTOVA_PATH_DATE_CASES);
    std::vector<SharedCase> cases;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line.front() == '#')
            continue;
        std::vector<std::string> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        fields.resize(4);
        cases.push_back({number, fields[0], fields[1], fields[2], fields[3]});
    }
    return cases;
}

// Noon of "YYYY-MM-DD" in UTC by the C library, independently of the code under test; "-" is none.
Seconds noonOf(const std::string& date)
{
    if (date == "-")
        return nullopt;
    std::tm tm{};
    tm.tm_year = std::stoi(date.substr(0, 4)) - 1900;
    tm.tm_mon = std::stoi(date.substr(5, 2)) - 1;
    tm.tm_mday = std::stoi(date.substr(8, 2));
    tm.tm_hour = 12;
    return static_cast<std::int64_t>(timegm(&tm));
}

TEST(PathDates, SharedCases)
{
    const auto cases = sharedCases();
    ASSERT_GE(cases.size(), 70u) << KESTOVA_PATH_DATE_CASES;
    for (const auto& c : cases) {
        const Seconds expected = noonOf(c.date);
        if (c.function == "segDate") {
            EXPECT_EQ(Dates::segDate(c.text), expected) << "line " << c.line << ": " << c.text;
        } else {
            ASSERT_EQ(c.function, "fromPath") << "line " << c.line;
            const auto found = Dates::fromPath(c.text);
            EXPECT_EQ(found ? Seconds(found->first) : nullopt, expected) << "line " << c.line << ": " << c.text;
            if (found && expected)
                EXPECT_EQ(found->second, c.kind) << "line " << c.line << ": " << c.text;
        }
    }
}

TEST(SegDate, Bytes)
{
    const std::vector<TextRow> rows{
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

TEST(FromPath, Bytes)
{
    using P = std::pair<std::int64_t, std::string>;
    const std::vector<PathRow> rows{
        // Invalid UTF-8 reads as U+FFFD.
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
