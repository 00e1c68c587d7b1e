// Output that runs out of room or disappears mid-run, and a process out of descriptors: a clear
// error naming the fault, no crash, nothing half-written, and no photo blamed.
#include "engine/run/Indexer.h"
#include "engine/cache/CacheFormat.h"
#include "engine/wall/WallOutput.h"

#include "CliProcess.h"
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

// The pieces are written on threads of their own: the first failure among them ends the write
// before manifest.js and the index, which stand as they were, with the pieces they name.
TEST(OutputTrouble, PiecesThatFindNoRoomLeaveTheWallOnDiskAsItWas)
{
    TempDir dir;
    const fs::path wall = dir.mkdir("wall");
    std::vector<WallEntry> entries;
    for (int i = 0; i < 12000; ++i) {
        const std::string rel = "Folder " + std::to_string(i / 100) + "/IMG_" + std::to_string(i) + ".JPG";
        entries.push_back({WallPaths::key(rel), rel, 4032, 3024, 1700000000 - i * 60, "Folder " + std::to_string(i / 100), 1});
    }
    Indexer job(dir / "src", wall, "Full", true, nullptr);
    job.templateFile = dir.write("template.html", "<html>");
    WallOutput::writeWall(job.wallTarget(), {entries.begin(), entries.begin() + 10});
    const std::string index = readFile(wall / "wall.js");
    const std::string manifest = readFile(wall / "manifest.js");
    const int status = inPrivateMounts([&] {
        // A data folder with room for a few bytes only, over the one that holds the old piece.
        if (mount("tmpfs", (wall / "data").c_str(), "tmpfs", 0, "size=8k") != 0)
            return 77;
        try {
            WallOutput::writeWall(job.wallTarget(), entries);
            return 10; // there is no room for the new pieces
        } catch (const JobError& e) {
            const std::string said = e.what();
            if (said.find("No space left on device") == std::string::npos || said.find("/data/") == std::string::npos)
                return 11;
        }
        if (readFile(wall / "wall.js") != index || readFile(wall / "manifest.js") != manifest)
            return 12;
        for (const auto& e : fs::directory_iterator(wall / "data")) {
            if (e.path().filename().string().starts_with("."))
                return 13; // a piece's temporary file left behind
        }
        return 0;
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

TEST(OutputTrouble, AFullDiskIsNamedNoPhotoIsBlamedAndTheNextRunFinishes)
{
    TempDir dir;
    for (int i = 0; i < 12; ++i)
        copyPhoto(dir / ("src/p" + std::to_string(i) + ".jpg"), "cameras/iphone_hdr_NO.jpg");
    const fs::path wall = dir.mkdir("wall");
    const int status = inPrivateMounts([&] {
        // Room for the walk's files and a few thumbnails: a first build onto a nearly full disk.
        if (mount("tmpfs", wall.c_str(), "tmpfs", 0, "size=160k") != 0)
            return 77;
        try {
            Indexer(dir / "src", wall, "Full", true, nullptr).run();
            return 10; // there is no room for all twelve
        } catch (const JobError& e) {
            if (e.pattern() != std::string_view(JobErrorTexts::wallUnwritable) || e.systemError() != ENOSPC)
                return 11; // a run that ends for want of room says so, whatever it was writing
        }
        // What was done is kept for the next run; no photo was called unreadable.
        int thumbs = 0;
        for (const auto& e : fs::recursive_directory_iterator(wall / "thumbs"))
            thumbs += e.is_regular_file() && e.path().extension() == ".jpg";
        const auto cache = CacheFormat::parse(readFile(wall / ".cache.json"));
        if (!cache || static_cast<int>(cache->size()) != thumbs)
            return 12;
        // With room again, the next run finishes the wall: every photo is good.
        if (mount(nullptr, wall.c_str(), nullptr, MS_REMOUNT, "size=64m") != 0)
            return 13;
        const JobSummary next = Indexer(dir / "src", wall, "Full", true, nullptr).run();
        if (next.photos != 12 || next.unreadable != 0)
            return 14;
        return 0;
    });
    if (status == 77)
        GTEST_SKIP() << "this machine does not allow a private tmpfs mount (needs root)";
    EXPECT_EQ(status, 0);
}

// A limit of the machine that the run meets while making thumbnails: enough to start and walk,
// too little to decode. Without the check a library's failed allocation ends the process
// (SIGABRT, SIGTRAP or SIGSEGV) or every photo is called unreadable.
TEST(OutputTrouble, RunningOutOfDescriptorsOrMemoryIsNamedNotBlamedOnThePhotos)
{
    struct Case {
        const char* photo;
        int resource;
        rlim_t limit;
        const char* named;
    };
    const Case cases[] = {
        {"cameras/Canon_40D.jpg", RLIMIT_NOFILE, 14, "ran out of resources while making thumbnails: Too many open files."},
        {"cameras/iphone_hdr_NO.jpg", RLIMIT_AS, rlim_t(700) << 20,
         "ran out of resources while making thumbnails: Cannot allocate memory."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        TempDir dir;
        for (int i = 0; i < 6; ++i)
            copyPhoto(dir / ("src/p" + std::to_string(i) + ".jpg"), c.photo);
        const fs::path home = dir.mkdir("home");
        const std::vector<std::string> build{"build", (dir / "src").string(), "--out", (dir / "wall").string()};
        const CliRun run = runCli(build, home, {{c.resource, c.limit}});
        EXPECT_EQ(run.status, 1) << run.out << run.err;
        EXPECT_THAT(run.err, ::testing::HasSubstr(c.named));
        EXPECT_THAT(run.out, ::testing::Not(::testing::HasSubstr("couldn't be read")));

        const CliRun next = runCli(build, home);
        EXPECT_EQ(next.status, 0) << next.err;
        EXPECT_THAT(next.out, ::testing::HasSubstr("6 photos ready"));
    }
}
