// A photo that crashes or hangs a decoder must not keep a wall from being finished: the photos
// in flight are journalled, suspects are retried alone, a photo the decoder crashed on three
// times is passed over (until the program or its libraries change, or a retry is asked for),
// a run killed from outside counts nothing against its photos, and a run that stops making
// progress leaves its stuck photos behind. Processes and threads are ordered by pipes and
// latches, never by sleeps.
#include "engine/run/Indexer.h"
#include "engine/decode/BuildFingerprint.h"
#include "engine/cache/CacheFormat.h"
#include "engine/cache/PhotoJournal.h"
#include "engine/run/ProcessingPhase.h"

#include "CliProcess.h"
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
    const char* fingerprint = "";
    bool retry = false;
};

} // namespace

TEST(HostileJournal, ReadsWhatEarlierRunsLeft)
{
    const std::vector<JournalCase> cases = {
        {"no file", nullptr, {entry("a.jpg")}, {}, {}},
        {"ended cleanly", "S 10 20 \"a.jpg\"\nE \"a.jpg\"\n", {entry("a.jpg")}, {}, {}},
        {"killed in flight", "S 10 20 \"a.jpg\"\nS 10 20 \"b.jpg\"\nE \"b.jpg\"\n", {entry("a.jpg"), entry("b.jpg")}, {"a.jpg"}, {}},
        {"killed in flight thrice", "D 0 10 20 \"a.jpg\"\nS 10 20 \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {}},
        {"crashed once", "S 10 20 \"a.jpg\"\nC \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {}},
        {"killed after two crashes", "D 2 10 20 \"a.jpg\"\nS 10 20 \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {}},
        {"third crash", "D 2 10 20 \"a.jpg\"\nS 10 20 \"a.jpg\"\nC \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {"a.jpg"}},
        {"carried, not retried yet", "D 3 10 20 \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {"a.jpg"}},
        {"another build", "F \"old build\"\nD 3 10 20 \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {}, "new build"},
        {"the same build", "F \"this build\"\nD 3 10 20 \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {"a.jpg"}, "this build"},
        {"a retry asked for", "F \"this build\"\nD 3 10 20 \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {}, "this build", true},
        {"suspect that came through", "D 2 10 20 \"a.jpg\"\nS 10 20 \"a.jpg\"\nE \"a.jpg\"\n", {entry("a.jpg")}, {}, {}},
        {"left behind after a stall", "S 10 20 \"a.jpg\"\nH \"a.jpg\"\n", {entry("a.jpg")}, {}, {}},
        {"left behind keeps earlier crashes", "D 1 10 20 \"a.jpg\"\nS 10 20 \"a.jpg\"\nH \"a.jpg\"\n", {entry("a.jpg")}, {"a.jpg"}, {}},
        {"photo changed since", "D 3 10 20 \"a.jpg\"\n", {entry("a.jpg", 10, 21)}, {}, {}},
        {"photo gone from the source", "D 3 10 20 \"a.jpg\"\n", {entry("b.jpg")}, {}, {}},
        {"torn last line", "S 10 20 \"a.jpg\"\nE \"a.j", {entry("a.jpg")}, {"a.jpg"}, {}},
        {"lines not ours", "X 1 \"a.jpg\"\nS ten 20 \"a.jpg\"\nS 10 20 a.jpg\nC a.jpg\n\n", {entry("a.jpg")}, {}, {}},
        {"any bytes in names", "S 10 20 \"\\n\\udcff</script>\"\n", {entry("\n\xff</script>")}, {"\n\xff</script>"}, {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        if (c.text)
            dir.write(".inflight", c.text);
        PhotoJournal journal(dir / ".inflight", c.entries, c.fingerprint, c.retry);
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
    // The other photo is provably waiting for its turn, not merely slow to start.
    while (journal.waiting() != 1)
        std::this_thread::yield();
    EXPECT_FALSE(started) << "a photo started beside a suspect";
    suspect.reset();
    other.join();
    EXPECT_TRUE(started);
    journal.close();
    EXPECT_FALSE(fs::exists(dir / ".inflight")) << "nothing left to carry, so no file";
}

TEST(HostileJournal, GivingUpLetsWaitingPhotosGoUnprocessedAndCountsNothing)
{
    TempDir dir;
    PhotoJournal journal(dir / ".inflight", {entry("a.jpg"), entry("b.jpg")});
    journal.open();
    auto stuck = std::make_optional(journal.begin(entry("a.jpg")));
    EXPECT_EQ(journal.giveUp(), std::vector<std::string>{"a.jpg"});
    EXPECT_FALSE(journal.begin(entry("b.jpg")));
    stuck.reset(); // it came back after all
    journal.close();
    PhotoJournal next(dir / ".inflight", {entry("a.jpg"), entry("b.jpg")});
    EXPECT_FALSE(next.passesOver(entry("a.jpg")));
    EXPECT_FALSE(next.isSuspect(entry("b.jpg")));
}

namespace {

/// A source of four real photos, one of which ("hang.jpg") is the one that troubles a decoder.
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

    /// A job that swaps hang.jpg for a pipe when the walk has finished: opening it would block
    /// for ever, as a read from a hung drive does.
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

    JobSummary run(bool retry = false) const
    {
        Indexer job(src, out, "Hang", true, nullptr);
        job.retryPassedOver = retry;
        return job.run();
    }

    std::string journal() const { return fs::exists(out / ".inflight") ? readFile(out / ".inflight") : ""; }
    static std::string hangSize() { return std::to_string(fs::file_size(photos / "cameras/Nikon_D70.jpg")); }
};

/// Runs the child test of this file in a fresh process: "crash" makes the decoder fault on
/// hang.jpg, "hang" makes it block there after telling the parent through `tell`.
pid_t startChild(const HangFixture& f, const char* mode, int tell = -1)
{
    const pid_t child = fork();
    if (child == 0) {
        setenv("KESTOVA_TEST_CHILD_SRC", f.src.c_str(), 1);
        setenv("KESTOVA_TEST_CHILD_OUT", f.out.c_str(), 1);
        setenv("KESTOVA_TEST_CHILD_MODE", mode, 1);
        setenv("KESTOVA_TEST_CHILD_TELL", std::to_string(tell).c_str(), 1);
        execl("/proc/self/exe", "hostile_journal_test", "--gtest_filter=HostileCrashChild.*", static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

} // namespace

TEST(HostileHang, APipeSwappedInForAPhotoAfterTheWalkIsLeftForTheNextRunNotWaitedFor)
{
    HangFixture f;
    const auto before = std::chrono::steady_clock::now();
    const JobSummary summary = HangFixture::runSwapping(f.src, f.out, 1h);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 60s);
    EXPECT_FALSE(summary.partial);
    EXPECT_EQ(summary.photos, 3);
    EXPECT_EQ(summary.unreadable, 0);
    EXPECT_EQ(summary.changed, 1);
    EXPECT_TRUE(summary.unreadableFiles.empty());
    EXPECT_EQ(f.journal(), "");

    // Next run: the photo, a readable photo again, is simply processed.
    f.restore();
    const JobSummary second = f.run();
    EXPECT_EQ(second.photos, 4);
    EXPECT_EQ(second.changed, 0);
    EXPECT_TRUE(second.passedOver.empty());
}

TEST(HostileCrash, APhotoTheDecoderCrashedOnThriceIsPassedOverUntilARetryOrAnotherBuild)
{
    HangFixture f;
    for (int crash = 1; crash <= PhotoJournal::deathsToPassOver; ++crash) {
        const pid_t child = startChild(f, "crash");
        ASSERT_GT(child, 0);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << "crash " << crash << ": status " << status;
        EXPECT_NE(f.journal().find("C \"hang.jpg\"\n"), std::string::npos) << "crash " << crash;
    }
    const JobSummary passed = f.run();
    EXPECT_EQ(passed.photos, 3);
    EXPECT_EQ(passed.unreadable, 1);
    EXPECT_EQ(passed.passedOver, std::vector<std::string>{"hang.jpg"});
    // Passed over, still named, with why.
    EXPECT_EQ(passed.unreadableFiles, (std::vector<UnreadablePhoto>{{"hang.jpg", WhyUnreadable::passedOver}}));
    EXPECT_FALSE(passed.partial);
    const CacheMap cache = CacheFormat::parse(readFile(f.out / ".cache.json")).value_or(CacheMap{});
    EXPECT_TRUE(cache.contains("a.jpg") && cache.contains("b.jpg") && cache.contains("c.jpg"));
    EXPECT_FALSE(cache.contains("hang.jpg"));
    EXPECT_EQ(f.journal(), "F \"" + BuildFingerprint::current() + "\"\nD 3 " + HangFixture::hangSize() + " "
                              + std::to_string(fixedTime) + " \"hang.jpg\"\n");

    // Asked for, the photo is tried again; here the decoder no longer crashes on it.
    const JobSummary retried = f.run(/*retry=*/true);
    EXPECT_EQ(retried.photos, 4);
    EXPECT_TRUE(retried.passedOver.empty());
    EXPECT_EQ(f.journal(), "");

    // An update with nothing to do keeps what a journal left still counts, under this build's
    // fingerprint and never under none.
    const std::string count = " " + HangFixture::hangSize() + " " + std::to_string(fixedTime) + " \"hang.jpg\"\n";
    f.dir.write("src/_Photo Gallery/.inflight", "F \"an older build\"\nD 1" + count);
    EXPECT_EQ(f.run().photos, 4);
    EXPECT_EQ(f.journal(), "F \"" + BuildFingerprint::current() + "\"\nD 1" + count);

    // Counts written by another build of the program are tried again too.
    f.dir.write("src/_Photo Gallery/.inflight", "F \"an older build\"\nD 3 " + HangFixture::hangSize() + " "
                                                    + std::to_string(fixedTime) + " \"hang.jpg\"\n");
    fs::remove(f.out / ".cache.json");
    const JobSummary rebuilt = f.run();
    EXPECT_EQ(rebuilt.photos, 4);
    EXPECT_TRUE(rebuilt.passedOver.empty());
}

TEST(HostileCrash, EveryProgramOfOneBuildKeepsThePassedOverRecord)
{
    // The counts are written here by this test program and read by kestova-cli, as they are
    // when the window and the command line take turns on one wall: each keeps the other's.
    HangFixture f;
    fs::create_directories(f.out);
    const std::string passedOver = "F \"" + BuildFingerprint::current() + "\"\nD 3 " + HangFixture::hangSize() + " "
                                   + std::to_string(fixedTime) + " \"hang.jpg\"\n";
    f.dir.write("src/_Photo Gallery/.inflight", passedOver);
    const fs::path home = f.dir.mkdir("home");
    for (int run = 1; run <= 2; ++run) {
        const CliRun cli = runCli({"build", f.src.string(), "--json"}, home);
        ASSERT_EQ(cli.status, 0) << cli.err;
        EXPECT_NE(cli.out.find("\"passedOver\":[\"hang.jpg\"]"), std::string::npos) << "run " << run << ": " << cli.out;
        EXPECT_EQ(f.journal(), passedOver) << "run " << run;
    }
    // And this program, the engine in another executable, still passes it over.
    const JobSummary engine = f.run();
    EXPECT_EQ(engine.passedOver, std::vector<std::string>{"hang.jpg"});
}

TEST(HostileCrash, RunsKilledFromOutsideCountNothingAgainstThePhotosInFlight)
{
    HangFixture f;
    for (int death = 1; death <= PhotoJournal::deathsToPassOver + 1; ++death) {
        int tell[2];
        ASSERT_EQ(pipe(tell), 0);
        const pid_t child = startChild(f, "hang", tell[1]);
        ASSERT_GT(child, 0);
        close(tell[1]);
        char byte = 0;
        ASSERT_EQ(read(tell[0], &byte, 1), 1) << "the child never reached the photo";
        close(tell[0]);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }
    const JobSummary next = f.run();
    EXPECT_EQ(next.photos, 4);
    EXPECT_EQ(next.unreadable, 0);
    EXPECT_TRUE(next.passedOver.empty());
}

TEST(HostileCrashChild, RunsThePhaseTheCrashTestsName)
{
    const char* src = std::getenv("KESTOVA_TEST_CHILD_SRC");
    const char* out = std::getenv("KESTOVA_TEST_CHILD_OUT");
    const char* mode = std::getenv("KESTOVA_TEST_CHILD_MODE");
    const char* tellText = std::getenv("KESTOVA_TEST_CHILD_TELL");
    if (!src || !out || !mode || !tellText)
        GTEST_SKIP() << "only run as the child of the crash tests";
    const int tell = std::atoi(tellText);
    const std::string crash = mode;
    // The real job's processing phase, journal and decoders, with one photo made fatal.
    const auto job = std::make_shared<const Indexer>(src, out, "Hang", true, nullptr);
    fs::create_directories(job->wall.thumbDir());
    std::vector<FileEntry> entries = scan(job->walkSettings());
    std::stable_partition(entries.begin(), entries.end(), [](const FileEntry& e) { return e.rel == "hang.jpg"; });
    auto journal = std::make_shared<PhotoJournal>(job->wall.journalFile(), entries, BuildFingerprint::current());
    journal->open();
    ProcessingPhase::Settings settings;
    settings.jobs = 2;
    ProcessingPhase::run({}, entries, journal,
                         [job, crash, tell](const FileEntry& e) {
                             if (e.rel == "hang.jpg") {
                                 if (crash == "crash")
                                     *reinterpret_cast<volatile int*>(std::uintptr_t{16}) = 1; // a real fault
                                 const char byte = 1;
                                 [[maybe_unused]] const auto told = write(tell, &byte, 1);
                                 pause();
                             }
                             return processPhoto(job->photoWork(), e);
                         },
                         settings);
    FAIL() << "the phase ended although its photo crashed or hung";
}
