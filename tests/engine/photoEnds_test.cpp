// How each photo of a run ends, as the user is told it: a stop or a photo that takes too long
// leaves it for the next run, and a photo that cannot be read is named with why.
#include "engine/run/Indexer.h"

#include "CliProcess.h"
#include "InterlacedPng.h"
#include "MinimalDng.h"
#include "ProgressiveJpeg.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

/// Photos that take a good second each to decode on any machine (the passes of an interlaced
/// PNG are decoded whole), so that a stop or a short stall limit finds some of them in flight.
struct SlowPhotos {
    TempDir dir;
    fs::path src = dir.mkdir("src");
    fs::path out = dir / "wall";

    explicit SlowPhotos(int count)
    {
        for (int i = 1; i <= count; ++i)
            InterlacedPng::write(src / ("slow-" + std::to_string(i) + ".png"), 10000, 10000);
    }

    /// One run; `configure` sets the job's limits and may stop it at a report.
    JobSummary run(const std::function<void(Indexer&)>& configure = nullptr,
                   const std::function<void(Indexer&, const JobUpdate&)>& watch = nullptr) const
    {
        Indexer* self = nullptr;
        Indexer job(src, out, "Slow", true, [&](const JobUpdate& u) {
            if (watch)
                watch(*self, u);
        });
        self = &job;
        if (configure)
            configure(job);
        return job.run();
    }
};

} // namespace

TEST(PhotoEnds, PhotosAStopLeftInFlightAreNotDoneYetNeverUnreadable)
{
    SlowPhotos photos(6);
    // The run stops waiting for the photos in flight at once, so that some are always left.
    const JobSummary stopped = photos.run([](Indexer& job) { job.stopLimit = 0ms; },
                                          [](Indexer& job, const JobUpdate& u) {
                                              const auto* t = std::get_if<JobUpdates::Thumbnails>(&u);
                                              if (t && t->done >= 2)
                                                  job.cancel();
                                          });
    EXPECT_TRUE(stopped.partial);
    EXPECT_GE(stopped.photos, 2);
    EXPECT_LT(stopped.photos, 6);
    EXPECT_EQ(stopped.unreadable, 0);
    EXPECT_TRUE(stopped.unreadableFiles.empty());
    EXPECT_TRUE(stopped.tookTooLong.empty());
    EXPECT_EQ(stopped.toDo, 6 - stopped.photos) << "every photo not done is still to do";

    // They are simply done by the next run.
    const JobSummary next = photos.run();
    EXPECT_FALSE(next.partial);
    EXPECT_EQ(next.photos, 6);
    EXPECT_EQ(next.unreadable, 0);
}

TEST(PhotoEnds, PhotosLeftBehindByTheStallLimitTookTooLongAndAreTriedAgain)
{
    SlowPhotos photos(2);
    const JobSummary stalled = photos.run([](Indexer& job) { job.stallLimit = 1ms; });
    EXPECT_TRUE(stalled.partial);
    // Those in flight are named (on a loaded machine one may not have started: it is simply
    // not done).
    ASSERT_FALSE(stalled.tookTooLong.empty());
    for (const std::string& rel : stalled.tookTooLong)
        EXPECT_THAT(rel, ::testing::AnyOf("slow-1.png", "slow-2.png"));
    EXPECT_EQ(stalled.unreadable, 0);
    EXPECT_TRUE(stalled.unreadableFiles.empty());

    const JobSummary next = photos.run();
    EXPECT_EQ(next.photos, 2);
    EXPECT_TRUE(next.tookTooLong.empty());
}

TEST(PhotoEnds, EachPhotoThatCannotBeReadIsNamedWithWhy)
{
    TempDir dir;
    const fs::path src = dir.mkdir("src");
    const fs::path home = dir.mkdir("home");
    const fs::path camera = fs::path(KESTOVA_SHARED_PHOTOS) / "cameras/Canon_40D.jpg";
    fs::copy_file(camera, src / "good.jpg");
    // 30000 x 30000 pixels in 1.8 MB: beyond what one photo may hold while it is decoded.
    ProgressiveJpeg::write(src / "panorama.jpg", 30000, 30000);
    fs::copy_file(camera, src / "clip.mp4");
    dir.write("src/notes.jpg", "not a photo at all");

    const CliRun text = runCli({"build", src.string(), "--out", (dir / "wall").string()}, home);
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_THAT(text.out, HasSubstr("3 files couldn't be read and were skipped\n"));
    // Each with the decoder's own words where it said any; a size over the budget and a photo
    // named as a video are told in our words alone.
    EXPECT_THAT(text.out, HasSubstr("These files couldn't be read:\n"
                                    "  clip.mp4 (not a video)\n"
                                    "  notes.jpg (damaged, or not a kind of photo Kestova reads \u2014 "
                                    "VipsForeignLoad: source is not in a known format)\n"
                                    "  panorama.jpg (too large)\n"));

    const CliRun json = runCli({"build", src.string(), "--out", (dir / "wall").string(), "--json"}, home);
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_THAT(json.out, HasSubstr("\"unreadable\":3,\"unreadableFiles\":[\"clip.mp4\",\"notes.jpg\",\"panorama.jpg\"]"));
    EXPECT_THAT(json.out, HasSubstr(",\"unreadableReasons\":{\"clip.mp4\":\"notVideo\",\"notes.jpg\":\"damaged\","
                                    "\"panorama.jpg\":\"tooLarge\"},\"unreadableMessages\":{"
                                    "\"notes.jpg\":\"VipsForeignLoad: source is not in a known format\"}}"));
    EXPECT_THAT(json.out, Not(HasSubstr("tookTooLong")));
}

TEST(PhotoEnds, AnUnreadablePhotoCarriesItsDecodersOwnWordsFromAWorkerAndInProcessAlike)
{
    TempDir dir;
    const fs::path src = dir.mkdir("src");
    const fs::path photos = KESTOVA_SHARED_PHOTOS;
    const auto bytesOf = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const std::string jpeg = bytesOf(photos / "cameras/iphone_hdr_NO.jpg");
    const std::string heif = bytesOf(photos / "heif/samplefilehub.heif");
    const std::string dng = dngOf(64, 48, 1, "2020:01:02 03:04:05");
    const fs::path clip = dir / "clip.mp4";
    ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=s=320x240:d=2:r=25 -c:v libx264 "
                           "-pix_fmt yuv420p '" + clip.string() + "'").c_str()),
              0);
    const std::string video = bytesOf(clip);
    // Each cut short, or no picture at all.
    const std::map<std::string, std::string> files = {
        {"truncated.jpg", jpeg.substr(0, jpeg.size() / 3)},
        {"notes.jpg", "These are my holiday notes, not a photo.\n"},
        {"truncated.heic", heif.substr(0, heif.size() / 20)},
        {"truncated.dng", dng.substr(0, dng.size() / 2)},
        {"truncated.mp4", video.substr(0, video.size() / 4)},
    };
    for (const auto& [rel, bytes] : files)
        dir.write("src/" + rel, bytes);
    for (const bool isolated : {true, false}) {
        SCOPED_TRACE(isolated ? "in a worker" : "in process");
        Indexer job(src, dir / (isolated ? "wall-workers" : "wall-inline"), "Broken", true, nullptr);
        job.isolateDecoders = isolated;
        const JobSummary summary = job.run();
        ASSERT_EQ(summary.unreadableFiles.size(), files.size());
        for (const UnreadablePhoto& photo : summary.unreadableFiles) {
            SCOPED_TRACE(photo.rel);
            EXPECT_EQ(photo.why, WhyUnreadable::damaged);
            // One plain line, never the library's whole log.
            EXPECT_FALSE(photo.message.empty());
            EXPECT_EQ(photo.message.find('\n'), std::string::npos);
            EXPECT_LE(photo.message.size(), 200u);
        }
    }
}
