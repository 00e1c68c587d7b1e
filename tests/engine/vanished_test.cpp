// A source that vanishes or cannot be read never empties the wall: an empty mount point, a
// moved folder, a folder that cannot be opened; and photos that change under a run end either
// processed from a consistent file or left for the next run.
#include "engine/run/Indexer.h"
#include "engine/cache/CacheFormat.h"

#include "PrivateMounts.h"
#include "TempDir.h"

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace fs = std::filesystem;

namespace {

const fs::path photos = KESTOVA_SHARED_PHOTOS;

struct Source {
    TempDir dir;
    fs::path src = dir.mkdir("Card");
    fs::path out = dir / "wall";

    void add(const std::string& rel, const char* camera = "cameras/Canon_40D.jpg") const
    {
        copyPhoto(src / rel, camera);
    }

    JobSummary run(std::function<void(const JobUpdate&)> watch = nullptr) const
    {
        Indexer job(src, out, "Card", true, [&](const JobUpdate& u) {
            if (watch)
                watch(u);
        });
        return job.run();
    }

    /// The wall's own files, byte for byte.
    std::string wallFiles() const { return readFile(out / "manifest.js") + readFile(out / ".cache.json"); }
};

} // namespace

TEST(VanishedSource, AMovedFolderLeavesTheWallAndItsRecordsAsTheyWere)
{
    Source s;
    for (const char* name : {"a.jpg", "b.jpg", "trip/c.jpg"})
        s.add(name);
    ASSERT_EQ(s.run().photos, 3);
    const std::string before = s.wallFiles();
    fs::rename(s.src, s.dir / "Card moved");
    fs::create_directories(s.src); // the folder is there, the photos are not
    try {
        s.run();
        FAIL() << "an empty source emptied the wall";
    } catch (const SourceMissing& e) {
        EXPECT_EQ(e.photosLastTime, 3);
        EXPECT_EQ(e.root, s.src);
        EXPECT_NE(std::string(e.what()).find("held 3 photos last time"), std::string::npos) << e.what();
    }
    EXPECT_EQ(s.wallFiles(), before);
    // Back in place, the update goes on as if nothing had happened.
    fs::remove(s.src);
    fs::rename(s.dir / "Card moved", s.src);
    EXPECT_EQ(s.run().photos, 3);
}

TEST(VanishedSource, AnEmptyMountPointLeavesTheWallAsItWas)
{
    Source s;
    for (const char* name : {"a.jpg", "b.jpg"})
        s.add(name);
    ASSERT_EQ(s.run().photos, 2);
    const std::string before = s.wallFiles();
    const fs::path empty = s.dir.mkdir("unplugged");
    const int status = inPrivateMounts([&] {
        // The drive is not plugged in: its mount point is an empty folder.
        if (mount(empty.c_str(), s.src.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return 77;
        try {
            s.run();
            return 10;
        } catch (const SourceMissing& e) {
            return e.photosLastTime == 2 ? 0 : 11;
        } catch (...) {
            return 12;
        }
    });
    if (status == 77)
        GTEST_SKIP() << "no private mounts here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(s.wallFiles(), before);
}

TEST(VanishedSource, AFirstRunOnAnEmptyFolderStillMakesAnEmptyWall)
{
    Source s;
    const JobSummary summary = s.run();
    EXPECT_EQ(summary.photos, 0);
    EXPECT_TRUE(fs::exists(s.out / "index.html"));
}

TEST(VanishedSource, AFolderThatCannotBeOpenedKeepsItsPhotosOnTheWall)
{
    Source s;
    for (const char* name : {"open/a.jpg", "open/b.jpg", "closed/c.jpg", "closed/deeper/d.jpg"})
        s.add(name);
    // Root opens any folder whatever its permission bits: the runs are made as an ordinary user.
    chmod(s.dir.path().c_str(), 0755);
    for (const auto& e : fs::recursive_directory_iterator(s.dir.path()))
        lchown(e.path().c_str(), 65534, 65534);
    lchown(s.dir.path().c_str(), 65534, 65534);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(100);
        setenv("KESTOVA_TEST_CHILD_SRC", s.src.c_str(), 1);
        setenv("KESTOVA_TEST_CHILD_OUT", s.out.c_str(), 1);
        execl("/proc/self/exe", "vanished_test", "--gtest_filter=VanishedSourceChild.*", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    if (WEXITSTATUS(status) == 100)
        GTEST_SKIP() << "cannot switch to an unprivileged user here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's check failed";
    const CacheMap cache = CacheFormat::parse(readFile(s.out / ".cache.json")).value_or(CacheMap{});
    EXPECT_EQ(cache.size(), 4u);
    EXPECT_TRUE(cache.contains("closed/c.jpg") && cache.contains("closed/deeper/d.jpg"));
}

TEST(VanishedSourceChild, UpdatesWithAFolderClosed)
{
    const char* src = std::getenv("KESTOVA_TEST_CHILD_SRC");
    const char* out = std::getenv("KESTOVA_TEST_CHILD_OUT");
    if (!src || !out)
        GTEST_SKIP() << "only run as the child of the unreadable-folder test";
    Indexer first(src, out, "Card", true, nullptr);
    ASSERT_EQ(first.run().photos, 4);
    ASSERT_EQ(chmod((fs::path(src) / "closed").c_str(), 0), 0);
    Indexer second(src, out, "Card", true, nullptr);
    const JobSummary summary = second.run();
    chmod((fs::path(src) / "closed").c_str(), 0755);
    EXPECT_EQ(summary.found, 2);
    EXPECT_EQ(summary.photos, 4) << "the closed folder's photos left the wall";
    EXPECT_EQ(summary.unreadableFolders, std::vector<std::string>{"closed"});
    if (::testing::Test::HasFailure())
        _exit(1);
}

TEST(ChangingPhotos, APhotoDeletedOrReplacedAfterTheWalkEndsConsistent)
{
    Source s;
    for (const char* name : {"kept.jpg", "deleted.jpg", "replaced.jpg"})
        s.add(name);
    s.add("replaced.jpg");
    Indexer first(s.src, s.out, "Card", true, nullptr);
    first.run();
    // Change both after the next walk has listed them (and the records no longer match).
    setMtime(s.src / "deleted.jpg", 1600000000);
    setMtime(s.src / "replaced.jpg", 1600000000);
    bool changed = false;
    const JobSummary summary = s.run([&](const JobUpdate& u) {
        const auto* scanning = std::get_if<JobUpdates::Scanning>(&u);
        if (!changed && scanning && scanning->found == 3) {
            fs::remove(s.src / "deleted.jpg");
            s.add("replaced.jpg", "cameras/Nikon_D70.jpg");
            changed = true;
        }
    });
    EXPECT_EQ(summary.unreadable, 0) << "a deleted photo is no unreadable one";
    EXPECT_EQ(summary.changed, 1);
    const CacheMap cache = CacheFormat::parse(readFile(s.out / ".cache.json")).value_or(CacheMap{});
    // The replaced photo was read whole; its record keeps the size the walk saw, so the next
    // run, which sees the new size, makes it again.
    ASSERT_TRUE(cache.contains("replaced.jpg"));
    EXPECT_EQ(cache.at("replaced.jpg").size,
              static_cast<std::int64_t>(fs::file_size(photos / "cameras/Canon_40D.jpg")));
    // The deleted one keeps its record until the next walk no longer finds it.
    EXPECT_TRUE(cache.contains("deleted.jpg"));
    const JobSummary next = s.run();
    EXPECT_EQ(next.photos, 2);
    EXPECT_EQ(next.changed, 0);
    const CacheMap after = CacheFormat::parse(readFile(s.out / ".cache.json")).value_or(CacheMap{});
    EXPECT_EQ(after.at("replaced.jpg").size,
              static_cast<std::int64_t>(fs::file_size(photos / "cameras/Nikon_D70.jpg")));
    EXPECT_FALSE(after.contains("deleted.jpg"));
}
