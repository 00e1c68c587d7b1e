// One photo's decoding holds a bounded amount of memory, whatever the picture claims.
#include "CliProcess.h"
#include "InterlacedPng.h"
#include "ProgressiveJpeg.h"
#include "TempDir.h"

#include "engine/run/Indexer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;
using ::testing::HasSubstr;

TEST(Memory, AHugeProgressiveJpegOrInterlacedPngIsSkippedWithoutHoldingItsWholeImage)
{
    TempDir dir;
    const fs::path src = dir.mkdir("src");
    const fs::path home = dir.mkdir("home");
    // 30000 x 30000 pixels in 1.8 MB: decoding it would hold 1.8 GB of coefficients.
    ProgressiveJpeg::write(src / "panorama.jpg", 30000, 30000);
    // 40000 x 30000 pixels in 7.5 MB: its seven passes would be decoded into 1.2 GB.
    InterlacedPng::write(src / "wide.png", 40000, 30000);
    // An ordinary progressive photo still gets its thumbnail.
    ProgressiveJpeg::write(src / "grey.jpg", 4000, 3000);
    fs::copy_file(fs::path(KESTOVA_SHARED_PHOTOS) / "cameras/Canon_40D.jpg", src / "canon.jpg");

    const CliRun run = runCli({"build", src.string(), "--out", (dir / "wall").string()}, home);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("2 photos ready"));
    EXPECT_THAT(run.out, HasSubstr("2 files couldn't be read and were skipped"));
    const std::string key = WallPaths::key("grey.jpg");
    EXPECT_TRUE(fs::is_regular_file(dir / "wall/thumbs" / key.substr(0, 2) / (key + ".jpg")));
    EXPECT_LT(run.peakKilobytes, 400 * 1024) << "peak resident memory of kestova-cli";
}

TEST(Memory, AVideoOfHugeFramesIsSkippedBeforeItsFirstFrameIsDecoded)
{
    TempDir dir;
    const fs::path src = dir.mkdir("src");
    const fs::path home = dir.mkdir("home");
    // 8192 x 8192 frames, one of them, in 200 KB: decoding held 250 MB, and a 16000 x 16000
    // stream 1.6 GB.
    const auto ffmpeg = [](const std::string& source, const fs::path& out) {
        const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i " + source +
                                    " -c:v libx264 -preset ultrafast -pix_fmt yuv420p '" + out.string() + "'";
        return std::system(command.c_str()) == 0;
    };
    ASSERT_TRUE(ffmpeg("color=c=gray:s=8192x8192:d=0.2:r=5", src / "huge.mp4"));
    // An ordinary clip still gets its poster.
    ASSERT_TRUE(ffmpeg("testsrc2=s=640x360:d=1:r=10", src / "clip.mp4"));

    const CliRun run = runCli({"build", src.string(), "--out", (dir / "wall").string()}, home);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("1 video ready"));
    EXPECT_THAT(run.out, HasSubstr("huge.mp4 (too large)"));
    const std::string key = WallPaths::key("clip.mp4");
    EXPECT_TRUE(fs::is_regular_file(dir / "wall/thumbs" / key.substr(0, 2) / (key + ".jpg")));
    EXPECT_FALSE(fs::exists(dir / "wall/thumbs" / WallPaths::key("huge.mp4").substr(0, 2) / (WallPaths::key("huge.mp4") + ".jpg")));
    EXPECT_LT(run.peakKilobytes, 150 * 1024) << "peak resident memory of kestova-cli";
}
