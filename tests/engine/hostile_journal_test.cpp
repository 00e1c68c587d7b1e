// A photo that kills or hangs the process while it is decoded must not keep a wall from being
// finished: the photos in flight are journalled, suspects are retried alone, a photo in flight at
// three deaths is passed over, and a run that stops making progress gives up on its stuck photos.
#include "engine/CacheFormat.h"
#include "engine/Indexer.h"
#include "engine/PhotoJournal.h"

#include "TempDir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const fs::path photos = KESTOVA_SHARED_PHOTOS;
constexpr time_t fixedTime = 1500000000;

FileEntry entry(const std::string& rel, std::int64_t size = 10, std::int64_t mtime = 20)
{
    return FileEntry{rel, size, mtime};
}

struct JournalCase {
    const char* name;
    const char* text;
    std::vector<FileEntry> entries;
    std::vector<std::string> suspects;   ///< processed alone
    std::vector<std::string> passedOver; ///< not processed at all
};

} // namespace

TEST(HostileJournal, ReadsWhatEarlierRunsLeft)
{
    const std::vector<JournalCase> cases = {
        {"no file", nullptr, {entry("a.jpg")}, {}, {}},
        {"ended cleanly", "S 10 20 \"a.jpg\"\nE \"a.jpg\"\n", {entry("a.jpg")}, {}, {}},
        {"died in flight once", "S 10 20 \"a.jpg\"\nS 10 20 \"b.jpg\"\nE \"b.jpg\"\n", {entry("a.jpg"), entry("b.jpg")}, {"a.jpg"}, {}},
        {"second death", "D 1 10 20 \"a.jpg\"\nS 10 20 \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {}},
        {"third death", "D 2 10 20 \"a.jpg\"\nS 10 20 \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {"a.jpg"}},
        {"carried, not retried yet", "D 3 10 20 \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {"a.jpg"}},
        {"suspect that came through", "D 2 10 20 \"a.jpg\"\nS 10 20 \"a.jpg\"\nE \"a.jpg\"\n", {entry("a.jpg")}, {}, {}},
        {"given up after a stall", "S 10 20 \"a.jpg\"\nH \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {"a.jpg"}},
        {"photo changed since", "D 3 10 20 \"a.jpg\"\n", {entry("a.jpg", 10, 21)}, {}, {}},
        {"photo gone from the source", "D 3 10 20 \"a.jpg\"\n", {entry("b.jpg")}, {}, {}},
        {"torn last line", "S 10 20 \"a.jpg\"\nE \"a.j", {entry("a.jpg")}, {"a.jpg"}, {}},
        {"lines not ours", "X 1 \"a.jpg\"\nS ten 20 \"a.jpg\"\nS 10 20 a.jpg\n\n", {entry("a.jpg")}, {}, {}},
        {"any bytes in names", "S 10 20 \"\\n\\udcff</script>\"\n", {entry("\n\xff</script>")}, {"\n\xff</script>"}, {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.text)
            dir.write(".inflight", c.text);
        PhotoJournal journal(dir / ".inflight", c.entries);
        std::vector<std::string> suspects, passedOver;
        for (const auto& e : c.entries) {
            if (journal.isSuspect(e))
                suspects.push_back(e.rel);
            if (journal.passesOver(e))
                passedOver.push_back(e.rel);
        }
        EXPECT_EQ(suspects, c.suspects) << c.name;
        EXPECT_EQ(passedOver, c.passedOver) << c.name;
    }
}

TEST(HostileJournal, ASuspectRunsAloneAndOthersWaitForIt)
{
    TempDir dir;
    dir.write(".inflight", "S 10 20 \"s.jpg\"\n");
    PhotoJournal journal(dir / ".inflight", {entry("s.jpg"), entry("a.jpg")});
    journal.open();
    auto suspect = std::make_optional(journal.begin(entry("s.jpg")));
    ASSERT_TRUE(*suspect);
    std::atomic<bool> started{false};
    std::thread other([&] {
        const auto flight = journal.begin(entry("a.jpg"));
        started = true;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(started) << "a photo started beside a suspect";
    suspect.reset();
    other.join();
    EXPECT_TRUE(started);
    journal.close();
    EXPECT_FALSE(fs::exists(dir / ".inflight")) << "nothing left to carry, so no file";
}

TEST(HostileJournal, GivingUpLetsWaitingPhotosGoUnprocessedAndIsRemembered)
{
    TempDir dir;
    PhotoJournal journal(dir / ".inflight", {entry("a.jpg"), entry("b.jpg")});
    journal.open();
    auto stuck = std::make_optional(journal.begin(entry("a.jpg")));
    EXPECT_EQ(journal.giveUp().size(), 1u);
    EXPECT_FALSE(journal.begin(entry("b.jpg")));
    stuck.reset(); // it came back after all: still given up
    journal.close();
    PhotoJournal next(dir / ".inflight", {entry("a.jpg"), entry("b.jpg")});
    EXPECT_TRUE(next.passesOver(entry("a.jpg")));
    EXPECT_FALSE(next.isSuspect(entry("b.jpg")));
}

namespace {

/// A source of four real photos, one of which ("hang.jpg") turns into a pipe once the walk has
/// listed it: opening it then blocks for ever, as a decoder stuck on a bad file would.
struct HangFixture {
    TempDir dir;
    fs::path src = dir.mkdir("src");
    fs::path out = dir / "src/_Photo Gallery";

    HangFixture()
    {
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            fs::copy_file(photos / "cameras/Canon_40D.jpg", src / name);
        restore();
    }

    /// hang.jpg as the regular photo the walk lists, always with the same size and time.
    void restore() const
    {
        fs::remove(src / "hang.jpg");
        fs::copy_file(photos / "cameras/Nikon_D70.jpg", src / "hang.jpg");
        setMtime(src / "hang.jpg", fixedTime);
    }

    /// A job that swaps hang.jpg for a pipe when the walk has finished.
    static JobSummary runSwapping(const fs::path& src, const fs::path& out, std::chrono::milliseconds stallLimit)
    {
        bool swapped = false;
        Indexer job(src, out, "Hang", true, [&](const JobUpdate& u) {
            const auto* scanning = std::get_if<JobUpdates::Scanning>(&u);
            if (!swapped && scanning && scanning->found == 4) {
                fs::remove(src / "hang.jpg");
                mkfifo((src / "hang.jpg").c_str(), 0644);
                swapped = true;
            }
        });
        job.stallLimit = stallLimit;
        return job.run();
    }

    std::string journal() const { return fs::exists(out / ".inflight") ? readFile(out / ".inflight") : ""; }
};

/// Lets a reader blocked in opening the pipe go on (it reads an empty file).
void releasePipe(const fs::path& pipe)
{
    const int fd = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        close(fd);
}

} // namespace

TEST(HostileHang, ARunThatStopsMakingProgressGivesUpOnTheStuckPhotoAndFinishesTheWall)
{
    HangFixture f;
    const auto before = std::chrono::steady_clock::now();
    const JobSummary summary = HangFixture::runSwapping(f.src, f.out, 1s);
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_LT(took, 30s);
    EXPECT_TRUE(summary.partial);
    EXPECT_EQ(summary.photos, 3);
    EXPECT_EQ(summary.unreadable, 1);
    EXPECT_EQ(summary.unreadableFiles, std::vector<std::string>{"hang.jpg"}); // named though never finished
    EXPECT_EQ(f.journal(), "D 3 " + std::to_string(fs::file_size(photos / "cameras/Nikon_D70.jpg")) + " "
                              + std::to_string(fixedTime) + " \"hang.jpg\"\n");
    // The stuck worker comes back to a run that is over; it must find nothing to touch.
    releasePipe(f.src / "hang.jpg");
    std::this_thread::sleep_for(300ms);

    // Next run: the photo (a readable photo again, unchanged in size and time) is passed over.
    f.restore();
    Indexer again(f.src, f.out, "Hang", true, nullptr);
    const JobSummary second = again.run();
    EXPECT_FALSE(second.partial);
    EXPECT_EQ(second.photos, 3);
    EXPECT_EQ(second.unreadable, 1);
    EXPECT_EQ(second.unreadableFiles, std::vector<std::string>{"hang.jpg"}); // passed over, still named

    // Once the file changes it is tried again.
    setMtime(f.src / "hang.jpg", fixedTime + 1);
    Indexer changed(f.src, f.out, "Hang", true, nullptr);
    const JobSummary third = changed.run();
    EXPECT_EQ(third.photos, 4);
    EXPECT_EQ(third.unreadable, 0);
    EXPECT_TRUE(third.unreadableFiles.empty());
    EXPECT_FALSE(fs::exists(f.out / ".inflight"));
}

TEST(HostileHang, APhotoInFlightAtThreeDeathsIsPassedOverAndTheOthersAreFinished)
{
    HangFixture f;
    ino_t lastInode = 0;
    for (int death = 1; death <= PhotoJournal::deathsToPassOver; ++death) {
        f.restore();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setenv("KESTOVA_TEST_CHILD_SRC", f.src.c_str(), 1);
            setenv("KESTOVA_TEST_CHILD_OUT", f.out.c_str(), 1);
            execl("/proc/self/exe", "hostile_journal_test", "--gtest_filter=HostileHangChild.*", static_cast<char*>(nullptr));
            _exit(127);
        }
        // Killed once it is stuck on the pipe, as a crash in the decoder would end it. The child
        // replaces the journal when its processing starts, so wait for a new file with the start.
        const std::string started = "S " + std::to_string(fs::file_size(photos / "cameras/Nikon_D70.jpg")) + " "
                                    + std::to_string(fixedTime) + " \"hang.jpg\"\n";
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (std::chrono::steady_clock::now() < deadline) {
            struct stat st{};
            if (stat((f.out / ".inflight").c_str(), &st) == 0 && st.st_ino != lastInode
                && f.journal().find(started) != std::string::npos)
                break;
            std::this_thread::sleep_for(20ms);
        }
        std::this_thread::sleep_for(200ms);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child finished by itself at death " << death;
        struct stat st{};
        lastInode = stat((f.out / ".inflight").c_str(), &st) == 0 ? st.st_ino : 0;
        releasePipe(f.src / "hang.jpg");
    }
    f.restore();
    Indexer job(f.src, f.out, "Hang", true, nullptr);
    const JobSummary summary = job.run();
    EXPECT_EQ(summary.photos, 3);
    EXPECT_EQ(summary.unreadable, 1);
    EXPECT_EQ(summary.unreadableFiles, std::vector<std::string>{"hang.jpg"});
    EXPECT_FALSE(summary.partial);
    const CacheMap cache = CacheFormat::parse(readFile(f.out / ".cache.json")).value_or(CacheMap{});
    EXPECT_TRUE(cache.contains("a.jpg") && cache.contains("b.jpg") && cache.contains("c.jpg"));
    EXPECT_FALSE(cache.contains("hang.jpg"));
}

TEST(HostileHangChild, RunsTheJobTheDeathTestNames)
{
    const char* src = std::getenv("KESTOVA_TEST_CHILD_SRC");
    const char* out = std::getenv("KESTOVA_TEST_CHILD_OUT");
    if (!src || !out)
        GTEST_SKIP() << "only run as the child of the death test";
    HangFixture::runSwapping(src, out, std::chrono::hours(1));
}
