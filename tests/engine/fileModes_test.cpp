// The permissions of the files a run creates: the user's umask, whatever else the run's threads
// are writing at the same moment.
#include "engine/base/AtomicFile.h"

#include "TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <optional>
#include <latch>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

/// Points the temporary folders at `folder` for one scope, when it exists.
class ScopedTmpdir {
public:
    explicit ScopedTmpdir(const char* folder)
    {
        if (const char* old = std::getenv("TMPDIR"))
            previous = old;
        std::error_code ec;
        if (fs::is_directory(folder, ec))
            setenv("TMPDIR", folder, 1);
    }
    ~ScopedTmpdir()
    {
        if (previous)
            setenv("TMPDIR", previous->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

private:
    std::optional<std::string> previous;
};

mode_t modeOf(const fs::path& file)
{
    struct stat st{};
    return stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

// The cache is saved on the job's thread while the workers write thumbnails, previews and clips:
// no file made meanwhile may be writable by others.
TEST(FileModes, FilesMadeWhileTheCacheIsSavedKeepTheUsersUmask)
{
    const mode_t before = umask(027);
    // In memory where the system offers it, so that a save costs little beside the moment the
    // umask would be changed, and thousands of them meet the other threads' files.
    const ScopedTmpdir inMemory("/dev/shm");
    TempDir dir;
    constexpr int creators = 3;
    constexpr int saves = 40000;
    std::atomic<bool> saving{true};
    std::latch started(creators + 1);
    std::vector<int> made(creators, 0);
    std::vector<int> wrong(creators, 0); // made writable by others, or unreadable
    std::vector<std::thread> threads;
    for (int t = 0; t < creators; ++t) {
        threads.emplace_back([&, t] {
            const fs::path file = dir / ("thumb" + std::to_string(t) + ".jpg");
            started.arrive_and_wait();
            while (saving || made[t] == 0) {
                const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
                if (fd < 0)
                    continue;
                struct stat st{};
                if (fstat(fd, &st) == 0 && (st.st_mode & 07777) != 0640)
                    ++wrong[t];
                close(fd);
                unlink(file.c_str());
                ++made[t];
            }
        });
    }
    started.arrive_and_wait();
    std::vector<mode_t> savedModes;
    for (int i = 0; i < saves; ++i) {
        const fs::path cache = dir / ".cache.json";
        ASSERT_EQ(AtomicFile::write(cache, "{}"), std::nullopt);
        if (const mode_t mode = modeOf(cache); mode != 0640)
            savedModes.push_back(mode);
    }
    saving = false;
    for (std::thread& thread : threads)
        thread.join();
    umask(before);

    EXPECT_THAT(savedModes, ::testing::IsEmpty()) << "the saved file's own mode";
    for (int t = 0; t < creators; ++t) {
        EXPECT_EQ(wrong[t], 0) << "files made meanwhile with another mode than 0640, of " << made[t];
        EXPECT_GT(made[t], 0);
    }
}
