// A folder whose file system never answers (a dead network share, a hung FUSE mount): the walk
// leaves it behind and names it, a stop ends the run at once, and the program exits.
#include "engine/Indexer.h"

#include "HungFolder.h"
#include "PrivateMounts.h"
#include "TempDir.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace {

/// What a check inside the private mounts found: 0 when all held, 77 when the machine has no
/// FUSE, else the line of the first check that failed.
constexpr int noFuse = 77;
#define CHECK_IN_CHILD(condition)                                                                                     \
    do {                                                                                                              \
        if (!(condition)) {                                                                                           \
            std::fprintf(stderr, "failed: %s\n", #condition);                                                         \
            return __LINE__;                                                                                          \
        }                                                                                                             \
    } while (0)

void expectPassed(int status)
{
    if (status == noFuse)
        GTEST_SKIP() << "this machine cannot mount a FUSE file system (needs root and /dev/fuse)";
    EXPECT_EQ(status, 0) << "the check on line " << status << " failed";
}

struct Source {
    TempDir dir;
    fs::path src = dir.mkdir("Photos");
    fs::path out = src / "_Photo Gallery";
    Source() { copyPhoto(src / "Trip/a.jpg"); }

    /// Runs `check` in private mounts with Photos/Share a folder that never answers; the result
    /// for expectPassed.
    int withHungShare(const std::function<int(const HungFolder&)>& check) const
    {
        return inPrivateMounts([&] {
            HungFolder hung(src / "Share");
            return hung ? check(hung) : noFuse;
        });
    }
};

} // namespace

TEST(HungFolder, AFolderThatNeverAnswersIsLeftBehindNamedAndTheWallWrittenFromTheRest)
{
    Source s;
    expectPassed(s.withHungShare([&](const HungFolder& hung) {
        Indexer job(s.src, s.out, "Photos", true, nullptr);
        job.stallLimit = std::chrono::seconds(3);
        const JobSummary summary = job.run();
        CHECK_IN_CHILD(hung.waitForCaller(0)); // the walk did reach into the folder
        CHECK_IN_CHILD(summary.photos == 1);
        CHECK_IN_CHILD(summary.unreadableFolders == std::vector<std::string>{"Share"});
        CHECK_IN_CHILD(!summary.partial);
        CHECK_IN_CHILD(fs::exists(s.out / "manifest.js"));
        CHECK_IN_CHILD(!fs::exists(s.out / ".lock"));
        return 0;
    }));
}

TEST(HungFolder, AStopWhileTheWalkWaitsOnAFolderThatNeverAnswersEndsTheRunAtOnce)
{
    Source s;
    expectPassed(s.withHungShare([&](const HungFolder& hung) {
        // The stall limit is left as it is (minutes): only the stop may end this walk.
        Indexer job(s.src, s.out, "Photos", true, nullptr);
        bool stopped = false;
        std::thread runner([&] {
            try {
                job.run();
            } catch (const JobCancelled&) {
                stopped = true;
            }
        });
        const bool stuck = hung.waitForCaller();
        job.cancel();
        runner.join();
        CHECK_IN_CHILD(stuck);
        CHECK_IN_CHILD(stopped);
        CHECK_IN_CHILD(!fs::exists(s.out / "manifest.js"));
        CHECK_IN_CHILD(!fs::exists(s.out / ".lock"));
        return 0;
    }));
}

TEST(HungFolder, CtrlCWhileTheWalkWaitsOnAFolderThatNeverAnswersEndsTheProgram)
{
    Source s;
    TempDir home;
    const fs::path log = s.dir / "err.txt";
    expectPassed(s.withHungShare([&](const HungFolder& hung) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        setenv("HOME", home.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        std::string cli = KESTOVA_CLI, build = "build", source = s.src.string();
        char* argv[] = {cli.data(), build.data(), source.data(), nullptr};
        pid_t child = 0;
        CHECK_IN_CHILD(posix_spawn(&child, KESTOVA_CLI, &actions, nullptr, argv, environ) == 0);
        posix_spawn_file_actions_destroy(&actions);
        const bool stuck = hung.waitForCaller();
        kill(child, SIGINT);
        int status = 0;
        waitpid(child, &status, 0);
        CHECK_IN_CHILD(stuck);
        CHECK_IN_CHILD(WIFEXITED(status) && WEXITSTATUS(status) == 130);
        CHECK_IN_CHILD(readFile(log).find("Stopped while looking for photos. No wall was written.") != std::string::npos);
        CHECK_IN_CHILD(!fs::exists(s.out / ".lock"));
        return 0;
    }));
}
