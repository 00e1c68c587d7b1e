// Whatever is planted in a wall's folder, a run writes nothing outside it and changes nothing in
// the source; what killed runs left behind is cleared.
#include "engine/run/Indexer.h"

#include "TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const fs::path photos = KESTOVA_SHARED_PHOTOS;

struct Fixture {
    TempDir dir;
    fs::path src = dir.mkdir("src");
    fs::path out = dir / "src/_Photo Gallery";
    fs::path elsewhere = dir.mkdir("elsewhere");

    Fixture()
    {
        copyPhoto(src / "a.jpg");
        fs::create_directories(out / "thumbs");
        dir.write("elsewhere/victim.txt", "keep me");
    }

    JobSummary run() const
    {
        Indexer job(src, out, "Links", true, nullptr);
        return job.run();
    }

    std::string key() const { return WallPaths::key("a.jpg"); }
    fs::path thumbFolder() const { return out / "thumbs" / key().substr(0, 2); }
};

} // namespace

TEST(HostileLinks, AThumbnailFolderPlantedAsALinkIsRefusedAndNothingIsWrittenThroughIt)
{
    Fixture f;
    fs::create_directory_symlink(f.elsewhere, f.thumbFolder());
    const auto before = snapshot(f.dir.path());
    try {
        f.run();
        FAIL() << "no error";
    } catch (const JobError& e) {
        EXPECT_THAT(e.what(), ::testing::HasSubstr("is a link to another place"));
        EXPECT_THAT(e.what(), ::testing::HasSubstr(f.thumbFolder().string()));
    }
    EXPECT_EQ(snapshot(f.dir.path()), before);
}

TEST(HostileLinks, ALinkPlantedUnderAThumbnailsTemporaryNameIsReplacedNotFollowed)
{
    Fixture f;
    fs::create_directories(f.thumbFolder());
    fs::create_symlink(f.elsewhere / "victim.txt", f.thumbFolder() / ("." + f.key() + ".tmp"));
    fs::create_symlink(f.elsewhere / "new.jpg", f.thumbFolder() / ("." + f.key() + ".tmp2"));
    const JobSummary summary = f.run();
    EXPECT_EQ(summary.photos, 1);
    EXPECT_EQ(readFile(f.elsewhere / "victim.txt"), "keep me");
    EXPECT_EQ(fs::directory_iterator(f.elsewhere)->path().filename(), "victim.txt");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(f.thumbFolder() / (f.key() + ".jpg"))));
}

TEST(HostileLinks, APipePlantedAsTheCacheDoesNotHoldTheRun)
{
    Fixture f;
    ASSERT_EQ(mkfifo((f.out / ".cache.json").c_str(), 0644), 0);
    auto done = std::async(std::launch::async, [&] { return f.run(); });
    if (done.wait_for(60s) != std::future_status::ready) {
        // Let the stuck reader go, so that the test fails instead of hanging.
        const int fd = open((f.out / ".cache.json").c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            close(fd);
        FAIL() << "the run waits on the pipe";
    }
    EXPECT_EQ(done.get().photos, 1);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(f.out / ".cache.json")));
}

TEST(HostileLinks, TemporaryFilesOfKilledWritersAreRemovedAndOthersKept)
{
    Fixture f;
    // A process id that is certainly gone: a child that has been waited for.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone);
    const std::string alive = std::to_string(getpid());
    const std::vector<std::pair<std::string, bool>> files = {
        {"..cache.json." + dead + ".a1B2c3", false},
        {".manifest.js." + dead + ".zzzzzz", false},
        {".index.html." + dead + ".Q9q9Q9", false},
        {"..inflight." + dead + ".abcdef", false},
        {".wall.js." + dead + ".a1B2c3", false},
        {"data/.0187a3c2d4e5b6a7-0.js." + dead + ".a1B2c3", false}, // a piece of the wall's data
        {"..cache.json." + alive + ".a1B2c3", true}, // a writer still at work
        {"data/.0187a3c2d4e5b6a7-1.js." + alive + ".a1B2c3", true},
        {".notes.txt." + dead + ".abcdef", true},    // not a file of ours
        {".manifest.js." + dead + ".abc", true},     // not the temporary names' shape
        {"manifest.js." + dead + ".abcdef", true},
    };
    for (const auto& [name, kept] : files)
        f.dir.write("src/_Photo Gallery/" + name, "temporary");
    f.run();
    for (const auto& [name, kept] : files)
        EXPECT_EQ(fs::exists(f.out / name), kept) << name;
}

TEST(HostileLinks, TheSourceIsUnchangedByARunOverAHostileTree)
{
    Fixture f;
    // Links to photos and folders (never followed), a pipe and a socket-like device name, a
    // photo that is no photo, an unreadable folder, and links planted in the wall.
    fs::create_symlink(f.src / "a.jpg", f.src / "link.jpg");
    fs::create_directory_symlink(f.elsewhere, f.src / "linked folder");
    fs::create_directory_symlink(f.src, f.src / "loop");
    ASSERT_EQ(mkfifo((f.src / "pipe.jpg").c_str(), 0644), 0);
    f.dir.write("src/fake.jpg", "not a photo at all");
    f.dir.write("src/locked/b.jpg", readFile(photos / "cameras/Nikon_D70.jpg"));
    chmod((f.src / "locked").c_str(), 0);
    fs::create_symlink(f.elsewhere / "victim.txt", f.out / "manifest.js");
    fs::create_symlink(f.elsewhere / "victim.txt", f.out / ".inflight");
    const auto before = snapshot(f.dir.path(), f.out);
    const JobSummary first = f.run();
    const JobSummary second = f.run();
    chmod((f.src / "locked").c_str(), 0755);
    EXPECT_EQ(snapshot(f.dir.path(), f.out), before);
    // Permissions do not keep the superuser out of the locked folder.
    const int photosFound = geteuid() == 0 ? 2 : 1;
    EXPECT_EQ(first.photos, photosFound);
    EXPECT_EQ(first.unreadable, 1); // fake.jpg
    EXPECT_EQ(second.photos, photosFound);
}
