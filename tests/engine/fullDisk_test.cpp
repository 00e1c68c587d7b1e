// Output that runs out of room or disappears mid-run: a clear error, no crash, nothing half-written.
#include "engine/Indexer.h"
#include "engine/internal/CacheFormat.h"

#include "PrivateMounts.h"
#include "TempDir.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

bool completeJpeg(const fs::path& file)
{
    const std::string bytes = readFile(file);
    return bytes.size() > 4 && bytes.compare(0, 2, "\xFF\xD8") == 0 && bytes.compare(bytes.size() - 2, 2, "\xFF\xD9") == 0;
}

} // namespace

TEST(OutputTrouble, AFullDiskEndsTheRunWithAClearErrorAndNoHalfWrittenFile)
{
    TempDir dir;
    for (int i = 0; i < 30; ++i) {
        fs::create_directories(dir / "src");
        copyPhoto(dir / ("src/p" + std::to_string(i) + ".jpg"), "cameras/iphone_hdr_NO.jpg");
    }
    const fs::path wall = dir.mkdir("wall");
    const int status = inPrivateMounts([&] {
        // Room for a few thumbnails only.
        if (mount("tmpfs", wall.c_str(), "tmpfs", 0, "size=96k") != 0)
            return 77;
        Indexer job(dir / "src", wall, "Full", true, nullptr);
        int result = 10;
        try {
            job.run();
            result = 11; // success cannot be: there is no room for the wall
        } catch (const JobError& e) {
            if (std::string(e.what()).find("No space left on device") == std::string::npos)
                return 12;
            result = 0;
        } catch (...) {
            return 13;
        }
        for (const auto& e : fs::recursive_directory_iterator(wall)) {
            if (e.is_regular_file() && e.path().extension() == ".jpg" && !completeJpeg(e.path()))
                return 14; // a partial thumbnail under its final name
            if (e.is_regular_file() && e.path().filename().string().starts_with(".") && e.path().extension() != ".tmp"
                && e.path().filename() != ".cache.json")
                return 15; // a temporary file of a whole-file write left behind
        }
        if (fs::exists(wall / ".cache.json") && !CacheFormat::parse(readFile(wall / ".cache.json")))
            return 16;
        if (fs::exists(wall / "manifest.js") && !readFile(wall / "manifest.js").ends_with("];"))
            return 17;
        return result;
    });
    if (status == 77)
        GTEST_SKIP() << "this machine does not allow a private tmpfs mount (needs root)";
    EXPECT_EQ(status, 0);
}

TEST(OutputTrouble, AnOutputFolderRemovedMidRunIsRebuiltByTheNextRun)
{
    TempDir dir;
    for (int i = 0; i < 16; ++i) {
        fs::create_directories(dir / "src");
        copyPhoto(dir / ("src/p" + std::to_string(i) + ".jpg"), "cameras/iphone_hdr_NO.jpg");
    }
    const fs::path wall = dir / "wall";
    bool removed = false;
    Indexer job(dir / "src", wall, "Gone", true, [&](const JobUpdate& u) {
        if (std::holds_alternative<JobUpdates::Thumbnails>(u) && !removed) {
            // The writers race this removal; a file they create meanwhile must not throw here.
            std::error_code ignored;
            fs::remove_all(wall, ignored);
            removed = true;
        }
    });
    // Photos still being processed bring the folder back; whichever way this run ends, it ends
    // without a crash, and the next run completes the wall.
    try {
        job.run();
    } catch (const JobError&) {
    }
    EXPECT_TRUE(removed);
    Indexer again(dir / "src", wall, "Gone", true, nullptr);
    const JobSummary summary = again.run();
    EXPECT_EQ(summary.photos, 16);
    EXPECT_EQ(summary.unreadable, 0);
    int thumbs = 0;
    for (const auto& e : fs::recursive_directory_iterator(wall / "thumbs"))
        thumbs += e.is_regular_file() && completeJpeg(e.path());
    EXPECT_EQ(thumbs, 16);
}
