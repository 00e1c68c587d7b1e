// A folder whose file system never answers (a dead network share, a hung FUSE mount): the walk
// leaves it behind and names it, a stop ends the run at once, and the program exits.
#include "engine/run/Indexer.h"

#include "HungFolder.h"
#include "PrivateMounts.h"
#include "TempDir.h"

#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
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

/// Whether a program listens on the local socket at `path`. Never waits: a listener that no
/// longer takes its connections fills its queue, and is still there.
bool answers(const fs::path& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 || errno == EAGAIN;
    close(fd);
    return connected;
}

/// Polls `state` until it holds (true) or a minute has passed (false).
bool becomes(const std::function<bool()>& state)
{
    for (int i = 0; i < 3000; ++i) {
        if (state())
            return true;
        usleep(20000);
    }
    return state();
}

/// Starts `program` with `args`, its output thrown away, its settings and runtime folder in `home`.
pid_t start(const char* program, std::vector<std::string> args, const fs::path& home, const fs::path& errors = "/dev/null")
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    fs::create_directories(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program, &actions, nullptr, argv.data(), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
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
        const pid_t child = start(KESTOVA_CLI, {"build", s.src.string()}, home.path(), log);
        CHECK_IN_CHILD(child > 0);
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

#ifdef KESTOVA_APP
// A thread stuck for good (its call taken by a server that never answers) keeps even a killed
// process from ending. The window's program then lets go of all it can: its wall, and the
// socket through which a later launch would hand its folder to a copy without a window.
TEST(HungFolder, AWindowEndingWhileAThreadIsStuckForGoodLeavesNoCopyForLaterLaunches)
{
    Source s;
    TempDir home;
    const fs::path socket = home / "run/kestova.socket";
    expectPassed(s.withHungShare([&](const HungFolder& hung) {
        const pid_t child = start(KESTOVA_APP, {s.src.string()}, home.path());
        CHECK_IN_CHILD(child > 0);
        CHECK_IN_CHILD(hung.waitForCaller());
        CHECK_IN_CHILD(answers(socket));
        hung.holdCaller();
        kill(child, SIGTERM);
        CHECK_IN_CHILD(becomes([&] { return !answers(socket) && !fs::exists(s.out / ".lock"); }));
        return 0; // the server goes away with `hung`, and the stuck thread with it
    }));
}
#endif
