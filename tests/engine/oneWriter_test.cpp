// One writer per wall: a run does not start on a wall another run is writing (or waits for it),
// and the temporary files of two writers can never be taken for each other's.
#include "engine/run/Indexer.h"
#include "engine/wall/WallGuard.h"
#include "engine/wall/WallLock.h"

#include "TempDir.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <latch>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct Fixture {
    TempDir dir;
    fs::path src = dir.mkdir("src");
    fs::path out = dir.mkdir("wall");
    Fixture() { copyPhoto(src / "a.jpg"); }
};

/// A process id that is certainly not running: a child that has ended and been reaped.
pid_t goneProcess()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

} // namespace

TEST(OneWriter, ARunOnAWallThatIsBeingWrittenDoesNotStartAndNamesTheWriter)
{
    Fixture w;
    Indexer job(w.src, w.out, "Wall", true, nullptr);
    WallLock other(job.wall.lockFile());
    ASSERT_TRUE(other.tryLock());
    try {
        job.run();
        FAIL() << "the run started";
    } catch (const WallInUse& e) {
        EXPECT_EQ(e.holder, getpid());
        EXPECT_EQ(e.wall, w.out);
    }
    EXPECT_FALSE(fs::exists(w.out / "manifest.js"));
    EXPECT_FALSE(fs::exists(w.out / ".cache.json"));
}

TEST(OneWriter, AWaitingRunStartsWhenTheOtherWriterIsDone)
{
    Fixture w;
    auto other = std::make_unique<WallLock>(w.out / ".lock");
    ASSERT_TRUE(other->tryLock());
    std::latch waiting(1);
    std::vector<JobUpdate> updates;
    JobSummary summary;
    std::thread runner([&] {
        Indexer job(w.src, w.out, "Wall", true, [&](const JobUpdate& u) {
            updates.push_back(u);
            if (std::holds_alternative<JobUpdates::Waiting>(u))
                waiting.count_down();
        });
        job.waitForWall = true;
        summary = job.run();
    });
    waiting.wait();
    EXPECT_FALSE(fs::exists(w.out / "manifest.js")) << "it wrote while the other held the wall";
    other.reset(); // the other writer ends
    runner.join();
    EXPECT_EQ(summary.photos, 1);
    ASSERT_FALSE(updates.empty());
    EXPECT_EQ(updates.front(), JobUpdate(JobUpdates::Waiting{getpid()}));
}

TEST(OneWriter, TheLockIsFreeAgainWhenTheRunEndsAndWhenItsProcessDies)
{
    Fixture w;
    Indexer(w.src, w.out, "Wall", true, nullptr).run();
    {
        WallLock after(w.out / ".lock");
        EXPECT_TRUE(after.tryLock()) << "a finished run kept the wall";
    }

    const pid_t child = fork();
    if (child == 0) {
        WallLock held(w.out / ".lock");
        _exit(held.tryLock() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    WallLock again(w.out / ".lock");
    EXPECT_TRUE(again.tryLock()) << "a dead writer kept the wall";
}

TEST(OneWriter, ThumbnailTemporariesAreTheWritersOwnAndOnlyDeadWritersAreSweptAway)
{
    Fixture w;
    const fs::path thumb = w.out / "thumbs/ab/abcdef0123456789.jpg";
    fs::path mine = WallGuard::thumbnailTemporary(thumb);
    fs::path theirs;
    std::thread([&] { theirs = WallGuard::thumbnailTemporary(thumb); }).join();
    EXPECT_NE(mine, theirs) << "two threads would write the same temporary file";
    EXPECT_EQ(mine.parent_path(), thumb.parent_path());
    EXPECT_EQ(mine.filename().string().rfind(".abcdef0123456789." + std::to_string(getpid()) + ".", 0), 0u) << mine;

    const std::string dead = ".abcdef0123456789." + std::to_string(goneProcess()) + ".7.tmp";
    // Previews and motion photos' clips are written the same way.
    for (const std::string folder : {"thumbs", "previews", "motion"}) {
        for (const std::string& name : {mine.filename().string(), dead, std::string(".abcdef0123456789.tmp"),
                                        std::string("abcdef0123456789.jpg"), std::string(".notours.1.2.tmp")})
            w.dir.write("wall/" + folder + "/ab/" + name);
    }
    WallGuard::removeStaleTemporaries(w.out, /*thumbnailsToo=*/false);
    EXPECT_TRUE(fs::exists(w.out / "thumbs/ab" / dead)) << "the thumbnail folders were swept without a reason";
    WallGuard::removeStaleTemporaries(w.out, /*thumbnailsToo=*/true);
    for (const std::string folder : {"thumbs", "previews", "motion"}) {
        SCOPED_TRACE(folder);
        const fs::path ab = w.out / folder / "ab";
        EXPECT_TRUE(fs::exists(ab / mine.filename())) << "a live writer's temporary file was removed";
        EXPECT_FALSE(fs::exists(ab / dead));
        EXPECT_FALSE(fs::exists(ab / ".abcdef0123456789.tmp"));
        EXPECT_TRUE(fs::exists(ab / "abcdef0123456789.jpg"));
        EXPECT_TRUE(fs::exists(ab / ".notours.1.2.tmp"));
    }
}

// Something other than a plain file in the lock file's place would lock nothing (a folder, a
// pipe), or another place (a link), or have the holder's pid written over another file (a
// second name): the run refuses it, naming it, before it writes anything.
TEST(OneWriter, ALockFileThatIsNoPlainFileIsRefusedAndNothingIsWritten)
{
    const struct {
        const char* what;
        void (*plant)(const fs::path& lock, const fs::path& elsewhere);
    } cases[] = {
        {"a folder", [](const fs::path& lock, const fs::path&) { fs::create_directory(lock); }},
        {"a link to a file", [](const fs::path& lock, const fs::path& elsewhere) { fs::create_symlink(elsewhere, lock); }},
        {"a link to nothing", [](const fs::path& lock, const fs::path& elsewhere) { fs::create_symlink(elsewhere / "gone", lock); }},
        {"a pipe", [](const fs::path& lock, const fs::path&) { ASSERT_EQ(mkfifo(lock.c_str(), 0644), 0); }},
        {"a second name", [](const fs::path& lock, const fs::path& elsewhere) { fs::create_hard_link(elsewhere, lock); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture w;
        const fs::path elsewhere = w.dir.write("notes.txt", "mine");
        const fs::path lock = w.out / ".lock";
        c.plant(lock, elsewhere);
        Indexer job(w.src, w.out, "Wall", true, nullptr);
        try {
            job.run();
            ADD_FAILURE() << "the run started";
        } catch (const WallInUse&) {
            ADD_FAILURE() << "taken for another writer";
        } catch (const JobError& e) {
            EXPECT_STREQ(e.pattern(), JobErrorTexts::lockRefused);
            EXPECT_EQ(e.arguments(), std::vector<std::string>{lock.string()});
        }
        EXPECT_FALSE(fs::exists(w.out / "manifest.js"));
        EXPECT_FALSE(fs::exists(w.out / ".cache.json"));
        EXPECT_TRUE(fs::is_empty(w.out / "thumbs"));
        EXPECT_EQ(readFile(elsewhere), "mine");
        std::error_code ec;
        EXPECT_TRUE(fs::exists(fs::symlink_status(lock, ec))) << "the planted thing was removed";
    }
}
