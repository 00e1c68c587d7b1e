// Counts, times left, relative dates and progress texts in US English.
#include "model/Model.h"
#include "model/ProgressText.h"
#include "model/Recent.h"
#include "model/ResultText.h"
#include "model/TextFormat.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct DurationCase {
    double seconds;
    const char* expected;
};

TEST(Duration, ThresholdsAndUnits)
{
    const DurationCase cases[] = {
        {0, "under a minute"},
        {59.9, "under a minute"},
        {60, "about 1 minute"},
        {119.9, "about 1 minute"},
        {120, "about 2 minutes"},
        {300, "about 5 minutes"},
        {3599, "about 59 minutes"},
        {3600, "about 1 hour"},
        {3660, "about 1 hour, 1 minute"},
        {5000, "about 1 hour, 23 minutes"},
        {7200, "about 2 hours"},
        {90061, "about 25 hours, 1 minute"},
        {std::numeric_limits<double>::infinity(), "about "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Model::duration(c.seconds).toStdString(), c.expected) << c.seconds;
}

struct PluralCase {
    qint64 n;
    const char* expected;
};

TEST(Plural, CountAndWord)
{
    const PluralCase cases[] = {
        {-1, "-1 photos"}, {0, "0 photos"}, {1, "1 photo"}, {2, "2 photos"},
        {1500, "1,500 photos"}, {12345678, "12,345,678 photos"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plural(c.n, QStringLiteral("photo"), QStringLiteral("photos")).toStdString(), c.expected) << c.n;
    EXPECT_EQ(plural(1, QStringLiteral("photo has"), QStringLiteral("photos have")).toStdString(), "1 photo has");
}

struct RelativeCase {
    qint64 secondsBefore;
    const char* expected;
};

TEST(RelativeDate, NamedDaysAndWideUnits)
{
    // Noon, so that whole days never cross a change of clocks.
    const QDateTime now(QDate(2024, 3, 13), QTime(12, 0), QTimeZone::systemTimeZone());
    const RelativeCase cases[] = {
        {0, "now"},
        {30, "30 seconds ago"},
        {60, "1 minute ago"},
        {45 * 60, "45 minutes ago"},
        {2 * 3600, "2 hours ago"},
        {23 * 3600, "23 hours ago"},
        {86400, "yesterday"},
        {2 * 86400, "2 days ago"},
        {6 * 86400, "6 days ago"},
        {7 * 86400, "last week"},
        {21 * 86400, "3 weeks ago"},
        {45 * 86400, "last month"},
        {100 * 86400, "3 months ago"},
        {400 * 86400, "last year"},
        {800 * 86400, "2 years ago"},
        {-86400, "tomorrow"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextFormat::relativeDate(now.addSecs(-c.secondsBefore), now).toStdString(), c.expected)
            << c.secondsBefore;
    }
}

struct ProgressCase {
    JobUpdate update;
    const char* status;
    const char* detail;
    std::optional<double> fraction;
};

TEST(ProgressText, EachReport)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const ProgressCase cases[] = {
        {JobUpdates::Scanning{0}, "Looking for photos…", "0 found so far", std::nullopt},
        {JobUpdates::Scanning{12345}, "Looking for photos…", "12,345 found so far", std::nullopt},
        {JobUpdates::Thumbnails{1204, 3000, 300.0}, "Making thumbnails", "1,204 of 3,000 · about 5 minutes left",
         1204.0 / 3000.0},
        {JobUpdates::Thumbnails{2990, 3000, 59.9}, "Making thumbnails", "2,990 of 3,000 · under a minute left",
         2990.0 / 3000.0},
        {JobUpdates::Thumbnails{21, 100, 60.0}, "Making thumbnails", "21 of 100 · about 1 minute left", 0.21},
        {JobUpdates::Thumbnails{21, 100, 5000.0}, "Making thumbnails", "21 of 100 · about 1 hour, 23 minutes left",
         0.21},
        {JobUpdates::Thumbnails{3000, 3000, 0.0}, "Making thumbnails", "3,000 of 3,000", 1.0},
        {JobUpdates::Thumbnails{5, 10, std::nullopt}, "Making thumbnails", "5 of 10", 0.5},
        {JobUpdates::Thumbnails{50, 100, inf}, "Making thumbnails", "50 of 100", 0.5},
        {JobUpdates::Thumbnails{50, 100, nan}, "Making thumbnails", "50 of 100", 0.5},
        {JobUpdates::Thumbnails{0, 0, std::nullopt}, "Making thumbnails", "0 of 0", std::nullopt},
        {JobUpdates::Writing{}, "Building your wall…", "", std::nullopt},
        {JobUpdates::Waiting{4242}, "Waiting for the other Kestova…", "Process 4242 is writing this wall.", std::nullopt},
        {JobUpdates::Waiting{0}, "Waiting for the other Kestova…", "Another Kestova is writing this wall.", std::nullopt},
    };
    for (const auto& c : cases) {
        const RunProgress text = ProgressText::forUpdate(c.update);
        EXPECT_EQ(text.status.toStdString(), c.status);
        EXPECT_EQ(text.detail.toStdString(), c.detail);
        EXPECT_EQ(text.fraction, c.fraction) << c.detail;
    }
}

struct RemarkCase {
    const char* name;
    JobSummary summary;
    std::vector<std::string> details;
};

TEST(ResultText, RemarksOnFoldersThatCouldNotBeOpenedPassedOverAndChangedPhotos)
{
    JobSummary base;
    base.photos = 12;
    const auto with = [&](auto change) {
        JobSummary s = base;
        change(s);
        return s;
    };
    const RemarkCase cases[] = {
        {"one folder", with([](JobSummary& s) { s.unreadableFolders = {"2019/Trip"}; }),
         {"The folder \u201C2019/Trip\u201D couldn't be opened; its photos from earlier runs stay on the wall"}},
        {"five folders", with([](JobSummary& s) { s.unreadableFolders = {"a", "b", "c", "d", "e"}; }),
         {"The folders \u201Ca\u201D, \u201Cb\u201D, \u201Cc\u201D and 2 more couldn't be opened; their photos from "
          "earlier runs stay on the wall"}},
        {"one passed over", with([](JobSummary& s) {
             s.unreadable = 1;
             s.passedOver = {"bad.jpg"};
         }),
         {"1 file couldn't be read and was skipped",
          "Passed over because the decoder crashed on it before: \u201Cbad.jpg\u201D. Kestova tries again when it or its "
          "image libraries are updated"}},
        {"changed", with([](JobSummary& s) { s.changed = 2; }), {"2 photos changed while being read and are left for the next update"}},
        // Counted as the page counts them, and named where they are counted.
        {"one raw pair", with([](JobSummary& s) { s.rawPairs = 1; }), {"1 raw and JPEG pair shown once"}},
        {"raw pairs", with([](JobSummary& s) { s.rawPairs = 1203; }), {"1,203 raw and JPEG pairs shown once"}},
        // A stop that came after the last photo was done leaves nothing to do.
        {"stopped with nothing left", with([](JobSummary& s) { s.partial = true; }), {}},
        {"one too slow", with([](JobSummary& s) { s.tookTooLong = {"huge.png"}; }),
         {"Left for the next update because it took too long to read: \u201Chuge.png\u201D"}},
        {"two too slow", with([](JobSummary& s) { s.tookTooLong = {"a.png", "b.png"}; }),
         {"Left for the next update because they took too long to read: \u201Ca.png\u201D, \u201Cb.png\u201D"}},
    };
    for (const auto& c : cases) {
        const ResultText text = ResultText::of(c.summary, QStringLiteral("Card"));
        std::vector<std::string> details;
        for (const QString& line : text.details)
            details.push_back(line.toStdString());
        EXPECT_EQ(details, c.details) << c.name;
    }
}

TEST(ResultText, OneIsSingularInEveryHeadline)
{
    JobSummary s;
    s.photos = 1;
    EXPECT_EQ(ResultText::of(s, QStringLiteral("Card")).headline.toStdString(), "1 photo ready");
    s.videos = 2;
    EXPECT_EQ(ResultText::of(s, QStringLiteral("Card")).headline.toStdString(), "1 photo and 2 videos ready");
    s.videos = 0;
    s.partial = true;
    EXPECT_EQ(ResultText::of(s, QStringLiteral("Card")).headline.toStdString(), "Stopped early: 1 photo so far");
}

TEST(ResultText, AnUnfinishedWallSaysHowToFinishItWhereItIsRead)
{
    JobSummary s;
    s.photos = 2289;
    s.partial = true;
    s.toDo = 520;
    const ResultText window = ResultText::of(s, QStringLiteral("Card"));
    EXPECT_TRUE(window.offersUpdate);
    EXPECT_EQ(window.details, QStringList{QStringLiteral(
                                  "520 photos are still to do. The work so far is saved: choose Update to finish the wall.")});
    const ResultText terminal = ResultText::of(s, QStringLiteral("Card"), ResultText::Finish::buildAgain);
    EXPECT_FALSE(terminal.offersUpdate);
    EXPECT_EQ(terminal.details, QStringList{QStringLiteral("520 photos are still to do. The work so far is saved: run the "
                                                           "same build again to finish the wall.")});
    s.toDo = 1;
    EXPECT_EQ(ResultText::of(s, QStringLiteral("Card")).details.front().toStdString(),
              "1 photo is still to do. The work so far is saved: choose Update to finish the wall.");
}

TEST(RecentText, TheMarkOfAnUnfinishedWall)
{
    Recent r{QStringLiteral("/a"), QStringLiteral("/a/i.html"), QStringLiteral("a"), 2289, QDateTime::currentDateTimeUtc()};
    EXPECT_EQ(RecentText::unfinished(r), QString());
    r.toDo = 1;
    EXPECT_EQ(RecentText::unfinished(r).toStdString(), "Unfinished: 1 photo still to do");
    r.toDo = 1520;
    EXPECT_EQ(RecentText::unfinished(r).toStdString(), "Unfinished: 1,520 photos still to do");
}

TEST(ResultText, EachUnreadableFileIsListedWithWhy)
{
    JobSummary s;
    s.photos = 3;
    s.unreadable = 6;
    s.unreadableFiles = {{"a.jpg", WhyUnreadable::damaged},   {"big.jpg", WhyUnreadable::tooLarge},
                         {"clip.mp4", WhyUnreadable::notVideo}, {"full.heic", WhyUnreadable::notSaved},
                         {"x.heic", WhyUnreadable::crashed},   {"y.heic", WhyUnreadable::passedOver}};
    const QStringList lines = ResultText::unreadableList(s);
    std::vector<std::string> text;
    for (const QString& line : lines)
        text.push_back(line.toStdString());
    EXPECT_EQ(text, (std::vector<std::string>{"These files couldn't be read:",
                                              "  a.jpg (damaged, or not a kind of photo Kestova reads)",
                                              "  big.jpg (too large)",
                                              "  clip.mp4 (not a video)",
                                              "  full.heic (its thumbnail couldn't be saved in the wall)",
                                              "  x.heic (the decoder crashed on it)",
                                              "  y.heic (passed over: the decoder crashed on it before)"}));
}

TEST(ResultText, VideosAreCountedBesideThePhotosAndAmongTheUndated)
{
    JobSummary s;
    s.photos = 1204;
    s.videos = 37;
    EXPECT_EQ(ResultText::of(s, QStringLiteral("Phone")).headline.toStdString(), "1,204 photos and 37 videos ready");
    EXPECT_TRUE(ResultText::of(s, QStringLiteral("Phone")).details.isEmpty());
    struct Case {
        std::int64_t photos, videos;
        const char* sentence;
    };
    const Case cases[] = {
        {3, 2, "3 photos and 2 videos have no date and are grouped at the end"},
        {1, 1, "1 photo and 1 video have no date and are grouped at the end"},
        {0, 1, "1 video has no date and is grouped at the end"},
        {0, 5, "5 videos have no date and are grouped at the end"},
        {2, 0, "2 photos have no date and are grouped at the end"},
    };
    for (const Case& c : cases) {
        s.undated = c.photos;
        s.undatedVideos = c.videos;
        const QStringList details = ResultText::of(s, QStringLiteral("Phone")).details;
        ASSERT_EQ(details.size(), 1) << c.sentence;
        EXPECT_EQ(details[0].toStdString(), c.sentence);
    }
}

TEST(ResultText, FailureSentences)
{
    EXPECT_EQ(ResultText::wallInUse(4242, QStringLiteral("/media/Card/_Photo Gallery")).toStdString(),
              "Another Kestova (process 4242) is writing the wall in /media/Card/_Photo Gallery right now. Try again "
              "when it has finished.");
    EXPECT_EQ(ResultText::sourceMissing(QStringLiteral("/media/Card"), 12480).toStdString(),
              "/media/Card held 12,480 photos last time, but Kestova can't find any there now. Is the drive connected? "
              "The wall was left as it was.");
    EXPECT_EQ(ResultText::sourceMissing(QStringLiteral("/media/Card"), 1).toStdString(),
              "/media/Card held 1 photo last time, but Kestova can't find any there now. Is the drive connected? "
              "The wall was left as it was.");
}

} // namespace
