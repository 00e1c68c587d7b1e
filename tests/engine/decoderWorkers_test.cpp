// A decoder that crashes, aborts or hangs does so in a worker process: the run loses that one
// photo, says why, and goes on; three crashes pass the photo over, as a crash of the run does.
#include "engine/run/Indexer.h"
#include "engine/run/WorkerProtocol.h"

#include "CliProcess.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const fs::path photos = KESTOVA_SHARED_PHOTOS;

/// Three camera photos and one the worker is told to fail on, as a broken decoder would.
struct Library {
    TempDir dir;
    fs::path src = dir.mkdir("src");
    fs::path out = dir / "wall";

    Library()
    {
        for (const char* name : {"Canon_40D.jpg", "Nikon_D70.jpg", "Sony_HDR-HC3.jpg"})
            fs::copy_file(photos / "cameras" / name, src / name);
        fs::copy_file(photos / "cameras/Canon_40D.jpg", dir.mkdir("src/trip") / "cursed photo.jpg");
    }

    JobSummary run(const std::string& fault, std::chrono::milliseconds stallLimit = 5min) const
    {
        setenv("KESTOVA_WORKER_FAULT", fault.c_str(), 1);
        Indexer job(src, out, "Trip", true, nullptr);
        job.stallLimit = stallLimit;
        JobSummary summary = job.run();
        unsetenv("KESTOVA_WORKER_FAULT");
        return summary;
    }
};

/// The worker processes of this process still alive, or dead and not yet buried.
int workersAlive()
{
    int count = 0;
    for (const auto& item : fs::directory_iterator("/proc")) {
        std::ifstream stat(item.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.find("(kestova-worker)") == std::string::npos)
            continue;
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        char state;
        pid_t parent;
        if (fields >> state >> parent && parent == getpid()) {
            ++count;
            std::cerr << "worker alive: " << line << "\n";
        }
    }
    return count;
}

} // namespace

TEST(DecoderWorkers, ADecoderThatCrashesOrAbortsCostsThatPhotoAndNeverTheRun)
{
    for (const std::string kind : {"segv", "abort"}) {
        SCOPED_TRACE(kind);
        Library library;
        const JobSummary summary = library.run(kind + ":cursed photo.jpg");
        EXPECT_EQ(summary.photos, 3);
        EXPECT_FALSE(summary.partial);
        EXPECT_THAT(summary.unreadableFiles, ElementsAre(UnreadablePhoto{"trip/cursed photo.jpg", WhyUnreadable::crashed}));
        EXPECT_TRUE(fs::exists(library.out / "index.html"));
        EXPECT_EQ(workersAlive(), 0);
    }
}

TEST(DecoderWorkers, APhotoThatCrashedTheDecoderInThreeRunsIsPassedOverUntilItChanges)
{
    Library library;
    for (int run = 1; run <= 3; ++run)
        EXPECT_EQ(library.run("segv:cursed photo.jpg").unreadableFiles.at(0).why, WhyUnreadable::crashed) << run;
    const JobSummary fourth = library.run("segv:cursed photo.jpg");
    EXPECT_THAT(fourth.passedOver, ElementsAre("trip/cursed photo.jpg"));
    EXPECT_EQ(fourth.photos, 3);

    // A new copy of the file is tried again, and this one decodes.
    fs::copy_file(photos / "cameras/Nikon_D70.jpg", library.src / "trip/cursed photo.jpg",
                  fs::copy_options::overwrite_existing);
    const JobSummary mended = library.run("");
    EXPECT_EQ(mended.photos, 4);
    EXPECT_TRUE(mended.unreadableFiles.empty());
}

TEST(DecoderWorkers, AHungDecoderIsLeftBehindAndItsWorkerEndsWithTheRun)
{
    Library library;
    const JobSummary summary = library.run("hang:cursed photo.jpg", 4s);
    EXPECT_EQ(summary.photos, 3);
    EXPECT_THAT(summary.tookTooLong, ElementsAre("trip/cursed photo.jpg"));
    EXPECT_TRUE(summary.unreadableFiles.empty());
    EXPECT_EQ(workersAlive(), 0) << "a hung worker outlived its run";
}

TEST(DecoderWorkers, TheCliGoesOnPastACrashAndNamesIt)
{
    Library library;
    setenv("KESTOVA_WORKER_FAULT", "segv:cursed photo.jpg", 1);
    const CliRun result = runCli({"build", library.src.string(), "--out", library.out.string()}, library.dir.mkdir("home"));
    unsetenv("KESTOVA_WORKER_FAULT");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("3 photos ready"));
    EXPECT_THAT(result.out, HasSubstr("trip/cursed photo.jpg (the decoder crashed on it)"));
}

TEST(DecoderWorkers, MessagesCarryAnyNameAndRefuseWhatIsNotOurs)
{
    using namespace WorkerProtocol;
    const Request request{FileEntry{"a\nb \"c\"/\xff\xfe.jpg", 12, 34, "a/IMG_1.MOV", 56, 78}, true, false, true};
    const auto back = decodeRequest(encode(request));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->entry, request.entry);
    EXPECT_TRUE(back->remakeThumbnail && !back->previews && back->remakePreview);

    const Reply done = PhotoOutcome::done(Record::withDetails(
        Record::make(std::string("k\0y", 3), -1, 2, "d\n", 3, 4, {Record::isLive, 5, "hevc", "a\tb.mov"}, {6, 7}),
        {"Cam \"1\"", "", 0.5, 2.8, 100, 0, 0, std::pair(1.5, -2.25)}));
    const auto doneBack = decodeReply(encode(done));
    ASSERT_TRUE(doneBack);
    EXPECT_EQ(std::get<PhotoOutcome>(*doneBack).record, std::get<PhotoOutcome>(done).record);

    // An unreadable photo's reason and its decoder's words cross as they are.
    const Reply unreadable = PhotoOutcome::unreadable(WhyUnreadable::tooLarge, "VipsJpeg: Premature end of input file");
    const auto unreadableBack = decodeReply(encode(unreadable));
    ASSERT_TRUE(unreadableBack);
    const auto& photo = std::get<PhotoOutcome>(*unreadableBack);
    EXPECT_EQ(photo.end, PhotoEnd::unreadable);
    EXPECT_EQ(photo.why, WhyUnreadable::tooLarge);
    EXPECT_EQ(photo.message, "VipsJpeg: Premature end of input file");

    const auto failed = decodeReply(encode(Reply(failureOf(JobError(JobErrorTexts::wallUnwritable, {"/w"}, 28)))));
    ASSERT_TRUE(failed);
    const auto error = errorOf(std::get<Failure>(*failed));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->pattern(), JobErrorTexts::wallUnwritable);
    EXPECT_FALSE(errorOf(Failure{"Something no engine says %1", {}, 0}));

    // Cut short, or with bytes after its end, or of another kind: not a message.
    const std::string bytes = encode(request);
    for (const std::string& broken : {bytes.substr(0, bytes.size() - 1), bytes + "x", std::string("Z")})
        EXPECT_FALSE(decodeRequest(broken));
    EXPECT_FALSE(decodeReply(bytes));

    // A frame longer than any message is refused before it is read.
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    ASSERT_EQ(write(ends[0], "\xff\xff\xff\xff", 4), 4);
    EXPECT_FALSE(readFrame(ends[1]));
    close(ends[0]);
    EXPECT_FALSE(readFrame(ends[1])) << "the end of the socket";
    close(ends[1]);
}
