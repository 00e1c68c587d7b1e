// The whole job on real photos: reports, resume, stop, duplicates, failures, and the source untouched.
#include "engine/run/Indexer.h"
#include "engine/cache/CacheFormat.h"
#include "engine/run/TimeEstimate.h"

#include "TempDir.h"
#include "WallData.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <signal.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <tuple>
#include <thread>

namespace fs = std::filesystem;
using namespace JobUpdates;
using WallData::dataFiles;
using WallData::generationOf;
using WallData::namedPieces;

namespace {

/// A source folder of real camera photos and the wall's output folder beside it.
struct Fixture {
    TempDir dir;
    fs::path src = dir.mkdir("src");
    fs::path out = dir / "src/_Photo Gallery";

    void add(const std::string& rel, const std::string& camera = "cameras/Canon_40D.jpg") const
    {
        copyPhoto(src / rel, camera);
    }

    struct Result {
        JobSummary summary;
        std::vector<JobUpdate> updates;
    };

    /// Runs one job; `onUpdate` may stop it.
    Result run(bool dedupe = true, std::function<void(Indexer&, const JobUpdate&)> watch = nullptr) const
    {
        Result result;
        Indexer* self = nullptr;
        Indexer job(src, out, "Test wall", dedupe, [&](const JobUpdate& u) {
            result.updates.push_back(u);
            if (watch)
                watch(*self, u);
        });
        self = &job;
        result.summary = job.run();
        return result;
    }

    CacheMap cache() const { return CacheFormat::parse(readFile(out / ".cache.json")).value_or(CacheMap{}); }
    /// The records without the file stamps, which differ between two copies of one photo.
    CacheMap cacheOfContent() const
    {
        CacheMap map = cache();
        for (auto& [rel, record] : map) {
            record.stamp.reset();
            record.details.reset();
        }
        return map;
    }
};

template <class T>
int countOf(const std::vector<JobUpdate>& updates)
{
    return static_cast<int>(std::count_if(updates.begin(), updates.end(), [](auto& u) { return std::holds_alternative<T>(u); }));
}

std::vector<Thumbnails> thumbnailReports(const std::vector<JobUpdate>& updates)
{
    std::vector<Thumbnails> out;
    for (const auto& u : updates) {
        if (const auto* t = std::get_if<Thumbnails>(&u))
            out.push_back(*t);
    }
    return out;
}

} // namespace

TEST(RunReports, AnEmptySourceReportsScanningTwiceThenWritingAndWritesAnEmptyWall)
{
    Fixture f;
    const auto r = f.run();
    ASSERT_EQ(r.updates.size(), 3u);
    EXPECT_EQ(r.updates[0], JobUpdate(Scanning{0}));
    EXPECT_EQ(r.updates[1], JobUpdate(Scanning{0}));
    EXPECT_EQ(r.updates[2], JobUpdate(Writing{}));
    EXPECT_EQ(r.summary, (JobSummary{0, 0, 0, 0, 0, f.out / "index.html", false}));
    EXPECT_THAT(readFile(f.out / "manifest.js"), ::testing::EndsWith("\nwindow.PHOTOS=[];"));
    EXPECT_TRUE(fs::exists(f.out / "index.html"));
    EXPECT_TRUE(fs::is_directory(f.out / "thumbs"));
    EXPECT_EQ(readFile(f.out / ".cache.json"), "{}");
}

TEST(RunReports, ANormalRunThenAnUnchangedSecondRunThatProcessesNothing)
{
    Fixture f;
    f.add("2008/Canon.jpg");
    f.add("Nikon.jpg", "cameras/Nikon_D70.jpg");
    f.add("Family/Sony.jpg", "cameras/Sony_HDR-HC3.jpg");
    f.add("Family/nodate.jpg", "orientation/Landscape_1.jpg");
    const auto before = snapshot(f.src);

    const auto first = f.run();
    EXPECT_EQ(first.updates.front(), JobUpdate(Scanning{0}));
    EXPECT_EQ(first.updates.back(), JobUpdate(Writing{}));
    const auto reports = thumbnailReports(first.updates);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().done, 4);
    EXPECT_EQ(reports.back().total, 4);
    EXPECT_EQ(first.summary.photos, 4);
    EXPECT_EQ(first.summary.found, 4);
    EXPECT_EQ(first.summary.unreadable, 0);
    EXPECT_EQ(first.summary.undated, 1) << "nodate.jpg in Family/ has no date";
    EXPECT_FALSE(first.summary.partial);
    for (const auto& [rel, record] : f.cache())
        EXPECT_TRUE(fs::exists(f.out / "thumbs" / record.key.substr(0, 2) /
                               (record.key + ".jpg"))) << rel;

    const auto second = f.run();
    EXPECT_EQ(countOf<Thumbnails>(second.updates), 0);
    EXPECT_EQ(second.summary, first.summary);

    // Nothing outside the wall's folder changed: not a byte, not a modification time.
    EXPECT_EQ(snapshot(f.src, f.out), before);
}

TEST(RunReports, NoEstimateWhileTooFewPhotosAreDone)
{
    Fixture f;
    for (int i = 0; i < 24; ++i)
        f.add("p" + std::to_string(i) + ".jpg");
    const auto reports = thumbnailReports(f.run().updates);
    ASSERT_FALSE(reports.empty());
    for (const auto& t : reports) {
        EXPECT_EQ(t.total, 24);
        if (t.done < TimeEstimate::shownAfterPhotos)
            EXPECT_FALSE(t.eta.has_value()) << "done " << t.done;
    }
}

TEST(RunDuplicates, CopiesAreShownOnceOnlyWhenDedupeIsOn)
{
    Fixture f;
    f.add("img_1.jpg");
    f.add("Backup/IMG_1.JPG");
    f.add("Backup/2008/img_1.jpg");
    f.add("other.jpg", "cameras/Nikon_D70.jpg");
    const auto on = f.run(true).summary;
    EXPECT_EQ(on.found, 4);
    EXPECT_EQ(on.duplicates, 2);
    EXPECT_EQ(on.photos, 2);
    EXPECT_EQ(f.cache().size(), 2u) << "collapsed copies leave the cache";

    const auto off = f.run(false).summary;
    EXPECT_EQ(off.found, 4);
    EXPECT_EQ(off.duplicates, 0);
    EXPECT_EQ(off.photos, 4);
}

TEST(RunStop, AStopDuringTheWalkThrowsAndLeavesTheWallAsItWas)
{
    Fixture f;
    f.add("a.jpg");
    f.run();
    f.add("b.jpg", "cameras/Nikon_D70.jpg");
    const auto before = snapshot(f.out);
    EXPECT_THROW(f.run(true, [](Indexer& job, const JobUpdate& u) {
        if (std::holds_alternative<Scanning>(u))
            job.cancel();
    }), JobCancelled);
    EXPECT_EQ(snapshot(f.out), before);
}

TEST(RunStop, AStopDuringProcessingGivesAPartialWallAndTheNextRunDoesTheRest)
{
    Fixture f;
    constexpr int count = 40;
    for (int i = 0; i < count; ++i)
        f.add("big" + std::to_string(i) + ".jpg", "cameras/iphone_hdr_NO.jpg");
    const auto stopped = f.run(true, [](Indexer& job, const JobUpdate& u) {
        if (std::holds_alternative<Thumbnails>(u))
            job.cancel();
    });
    EXPECT_TRUE(stopped.summary.partial);
    EXPECT_LT(stopped.summary.photos, count);
    EXPECT_EQ(stopped.summary.photos, static_cast<std::int64_t>(f.cache().size()));
    EXPECT_EQ(stopped.updates.back(), JobUpdate(Writing{}));

    const auto rest = f.run();
    EXPECT_FALSE(rest.summary.partial);
    EXPECT_EQ(rest.summary.photos, count);
    const auto reports = thumbnailReports(rest.updates);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().total, count - stopped.summary.photos);
}

TEST(RunStop, AStopDuringWritingIsNotLookedAt)
{
    Fixture f;
    f.add("a.jpg");
    const auto r = f.run(true, [](Indexer& job, const JobUpdate& u) {
        if (std::holds_alternative<Writing>(u))
            job.cancel();
    });
    EXPECT_FALSE(r.summary.partial);
    EXPECT_EQ(r.summary.photos, 1);
}

TEST(RunFailures, ADamagedPhotoIsUnreadableButKeepsItsEarlierRecord)
{
    Fixture f;
    f.add("a.jpg");
    f.add("b.jpg", "cameras/Nikon_D70.jpg");
    f.run();
    // The file changes (new size) and is now damaged; its old thumbnail is gone.
    const std::string oldKey = f.cache().at("a.jpg").key;
    fs::remove(f.out / "thumbs" / oldKey.substr(0, 2) / (oldKey + ".jpg"));
    f.dir.write("src/a.jpg", "this is not a photo any more");
    const auto r = f.run();
    EXPECT_EQ(r.summary.unreadable, 1);
    // With what libvips says of a file that is no image.
    const std::string said = "VipsForeignLoad: source is not in a known format";
    EXPECT_EQ(r.summary.unreadableFiles, (std::vector<UnreadablePhoto>{{"a.jpg", WhyUnreadable::damaged, said}}));
    EXPECT_EQ(r.summary.photos, 2);
    EXPECT_TRUE(f.cache().contains("a.jpg"));
    // A photo that never worked is tried again on every run, and named again, in name order
    // whichever worker finished first.
    f.dir.write("src/never.jpg", "no");
    f.dir.write("src/0-first.jpg", "no");
    for (int run = 0; run < 2; ++run) {
        const JobSummary s = f.run().summary;
        EXPECT_EQ(s.unreadable, 3);
        EXPECT_EQ(s.unreadableFiles, (std::vector<UnreadablePhoto>{{"0-first.jpg", WhyUnreadable::damaged, said},
                                                                    {"a.jpg", WhyUnreadable::damaged, said},
                                                                    {"never.jpg", WhyUnreadable::damaged, said}}));
    }
}

TEST(RunFailures, AnOutputFolderThatCannotBeCreatedFailsBeforeAnyReport)
{
    Fixture f;
    f.add("a.jpg");
    f.dir.write("blocker", "a file where a folder should be");
    std::vector<JobUpdate> updates;
    Indexer job(f.src, f.dir / "blocker/wall", "T", true, [&](const JobUpdate& u) { updates.push_back(u); });
    try {
        job.run();
        FAIL() << "no error";
    } catch (const JobError& e) {
        EXPECT_THAT(e.what(), ::testing::HasSubstr("blocker/wall/thumbs"));
    }
    EXPECT_TRUE(updates.empty());
}

TEST(RunFailures, AMissingTemplateFailsButTheCacheKeepsTheWork)
{
    Fixture f;
    f.add("a.jpg");
    Indexer job(f.src, f.out, "T", true, nullptr);
    job.templateFile = f.dir / "no/template.html";
    EXPECT_THROW(job.run(), JobError);
    EXPECT_EQ(f.cache().size(), 1u);
    const auto again = f.run();
    EXPECT_EQ(countOf<Thumbnails>(again.updates), 0);
    EXPECT_EQ(again.summary.photos, 1);
}

TEST(RunKill, AJobKilledAnywhereLeavesAValidCacheAndTheNextRunFinishesTheSameWall)
{
    Fixture clean;
    Fixture f;
    for (int i = 0; i < 12; ++i) {
        const std::string rel = "d" + std::to_string(i % 3) + "/p" + std::to_string(i) + ".jpg";
        // One time for both copies: on a busy machine the two may be made seconds apart.
        for (const Fixture* fixture : {&clean, &f}) {
            fixture->add(rel, "cameras/iphone_hdr_NO.jpg");
            setMtime(fixture->src / rel, 1500000000);
        }
    }
    clean.run();
    for (const int delayMs : {0, 40, 150, 400, 700}) {
        // A fresh process, as a real run is: this one's image library may hold threads that a
        // forked child would not have.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setenv("KESTOVA_TEST_CHILD_SRC", f.src.c_str(), 1);
            setenv("KESTOVA_TEST_CHILD_OUT", f.out.c_str(), 1);
            execl("/proc/self/exe", "run_test", "--gtest_filter=RunKillChild.*", static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        if (fs::exists(f.out / ".cache.json"))
            EXPECT_TRUE(CacheFormat::parse(readFile(f.out / ".cache.json"))) << "after " << delayMs << " ms";
    }
    f.run();
    // The same wall as one uninterrupted run (only the source path in the second line differs).
    const auto photosLine = [](const fs::path& out) {
        const std::string text = readFile(out / "manifest.js");
        return text.substr(text.find("window.PHOTOS="));
    };
    EXPECT_EQ(photosLine(f.out), photosLine(clean.out));
    EXPECT_EQ(f.cacheOfContent(), clean.cacheOfContent());
    // No temporary file is left under thumbs except beside a thumbnail that was being moved.
    for (const auto& e : fs::recursive_directory_iterator(f.out / "thumbs")) {
        if (e.is_regular_file())
            EXPECT_EQ(e.path().extension(), ".jpg") << e.path();
    }
}

TEST(RunKillChild, BuildsTheWallTheKillTestNames)
{
    const char* src = std::getenv("KESTOVA_TEST_CHILD_SRC");
    const char* out = std::getenv("KESTOVA_TEST_CHILD_OUT");
    if (!src || !out)
        GTEST_SKIP() << "only run as the child of the kill test";
    Indexer job(src, out, "Test wall", true, nullptr);
    job.run();
}

TEST(RunOutsideTheWall, LinksPlantedForTheWallOrItsFoldersAreRefused)
{
    Fixture f;
    f.add("a.jpg");
    f.dir.mkdir("elsewhere");
    fs::create_directory_symlink(f.dir / "elsewhere", f.out);
    EXPECT_THROW(f.run(), JobError);
    fs::remove(f.out);
    // A link in place of one of the wall's folders, or a file where its data folder goes:
    // refused before anything is written.
    const struct Case {
        const char* name;
        bool link;
        const char* says;
    } cases[] = {
        {"thumbs", true, "is a link to another place"},
        {"data", true, "is a link to another place"},
        {"data", false, "a file is in the way"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.link ? " as a link" : " as a file"));
        fs::remove_all(f.out);
        fs::create_directories(f.out);
        if (c.link)
            fs::create_directory_symlink(f.dir / "elsewhere", f.out / c.name);
        else
            f.dir.write("src/_Photo Gallery/" + std::string(c.name), "mine");
        try {
            f.run();
            FAIL() << "no error";
        } catch (const JobError& e) {
            EXPECT_THAT(e.what(), ::testing::HasSubstr(c.says));
            EXPECT_THAT(e.what(), ::testing::HasSubstr((f.out / c.name).string()));
        }
        EXPECT_TRUE(fs::is_empty(f.dir / "elsewhere"));
        EXPECT_EQ(std::distance(fs::directory_iterator(f.out), fs::directory_iterator()), 1) << "something was written";
        if (!c.link)
            EXPECT_EQ(readFile(f.out / c.name), "mine");
    }
}

TEST(RunOutsideTheWall, LinksPlantedForTheWallsFilesAreReplacedNotFollowed)
{
    Fixture f;
    f.add("a.jpg");
    f.dir.write("victim.txt", "keep me");
    fs::create_directories(f.out);
    for (const char* name : {"index.html", "manifest.js", ".cache.json"})
        fs::create_symlink(f.dir / "victim.txt", f.out / name);
    f.run();
    EXPECT_EQ(readFile(f.dir / "victim.txt"), "keep me");
    for (const char* name : {"index.html", "manifest.js", ".cache.json"})
        EXPECT_FALSE(fs::is_symlink(f.out / name)) << name;
}

TEST(RunUpdate, AnUpdateThatChangesNoRecordWritesNoFileOfTheWallAndAnyDifferenceWritesIt)
{
    Fixture f;
    f.add("2008/Canon.jpg");
    f.add("Nikon.jpg", "cameras/Nikon_D70.jpg");
    const fs::path page = f.dir.write("template.html", "<html>");
    std::string title = "T";
    const auto run = [&] {
        Indexer job(f.src, f.out, title, true, nullptr);
        job.templateFile = page;
        return job.run();
    };
    // Which file each of the wall's is: a file written anew is another file, or has another
    // change time.
    const auto identities = [&f] {
        std::map<std::string, std::tuple<ino_t, std::int64_t, std::int64_t>> files;
        for (const auto& file : fs::recursive_directory_iterator(f.out)) {
            const std::string rel = file.path().lexically_relative(f.out).string();
            struct stat st{};
            if (rel.starts_with("thumbs") || rel == ".lock" || ::stat(file.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            files[rel] = {st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
                          st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
        }
        return files;
    };
    JobSummary last = run();
    const struct {
        const char* what;
        std::function<void()> change; ///< what differs before the update
        bool rewritten;
        std::int64_t photos;
    } cases[] = {
        {"nothing changed", [] {}, false, 2},
        {"a photo that stays unreadable", [&] { f.dir.write("src/broken.jpg", "no"); }, false, 2},
        {"the manifest is gone", [&] { fs::remove(f.out / "manifest.js"); }, true, 2},
        {"the page was written over", [&] { std::ofstream(f.out / "index.html") << "<html>"; }, true, 2},
        {"a piece is gone", [&] { fs::remove(f.out / "data" / (generationOf(f.out) + "-0.js")); }, true, 2},
        {"the template changed", [&] { std::ofstream(page) << "<html lang=en>"; }, true, 2},
        {"the title changed", [&] { title = "U"; }, true, 2},
        {"the stamp is damaged", [&] { std::ofstream(f.out / ".stamp") << "kestova wall stamp 1\ninputs"; }, true, 2},
        {"a photo was added", [&] { f.add("Family/Sony.jpg", "cameras/Sony_HDR-HC3.jpg"); }, true, 3},
        {"a photo was removed", [&] { fs::remove(f.src / "Nikon.jpg"); }, true, 2},
        {"nothing changed again", [] {}, false, 2},
    };
    for (const auto& c : cases) {
        c.change();
        const auto before = identities();
        const JobSummary summary = run();
        const auto after = identities();
        EXPECT_EQ(after != before, c.rewritten) << c.what;
        EXPECT_EQ(summary.photos, c.photos) << c.what;
        if (!c.rewritten)
            EXPECT_EQ(summary.undated, last.undated) << c.what;
        // Whatever was or was not written, the wall on disk is the whole wall of its records.
        EXPECT_EQ(readFile(f.out / "index.html"), readFile(page)) << c.what;
        EXPECT_THAT(readFile(f.out / "manifest.js"), ::testing::StartsWith("window.GALLERY_TITLE=\"" + title + "\";")) << c.what;
        EXPECT_EQ(dataFiles(f.out), namedPieces(f.out)) << c.what;
        last = summary;
    }
}
