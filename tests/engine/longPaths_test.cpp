// Folders nested deeper than the system lets a path name are counted and reported, not
// dropped without a word. Runs kestova-cli on a real deep tree.
#include "CliProcess.h"
#include "TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace {

/// Creates and enters folders one by one, relative to the last: no single path names them.
class DeepTree {
public:
    explicit DeepTree(const fs::path& top) : fd(::open(top.c_str(), O_RDONLY | O_DIRECTORY)), length(top.string().size()) {}
    ~DeepTree() { ::close(fd); }
    /// Goes one folder deeper; returns the length the path of that folder has.
    std::size_t enter(const std::string& name)
    {
        mkdirat(fd, name.c_str(), 0755);
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        length += 1 + name.size();
        return length;
    }
    /// Copies a file into the current folder.
    void put(const std::string& name, const fs::path& from) const
    {
        const std::string bytes = readFile(from);
        const int out = openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        [[maybe_unused]] const auto written = ::write(out, bytes.data(), bytes.size());
        ::close(out);
    }
    std::size_t pathLength() const { return length; }

private:
    int fd;
    std::size_t length;
};

/// TempDir cannot remove what no path can name; rm walks it folder by folder.
struct RemovedDeep {
    fs::path top;
    ~RemovedDeep() { [[maybe_unused]] const int ignored = std::system(("rm -rf '" + top.string() + "'").c_str()); }
};

} // namespace

TEST(LongPaths, PhotosAndFoldersDeeperThanTheSystemAllowsAreCountedAndReported)
{
    TempDir dir;
    const fs::path src = dir.mkdir("src");
    const fs::path home = dir.mkdir("home");
    const fs::path camera = fs::path(KESTOVA_SHARED_PHOTOS) / "cameras/Canon_40D.jpg";
    const RemovedDeep cleanup{src / "deep"};
    fs::copy_file(camera, src / "top.jpg");
    fs::create_directory(src / "deep");
    {
        DeepTree tree(src / "deep");
        const std::string name(200, 'n');
        // Deep, but every path still fits: the photo here is on the wall.
        while (tree.pathLength() + 1 + name.size() <= PATH_MAX - 16)
            tree.enter(name);
        tree.put("ok.jpg", camera);
        // A photo in the same folder whose own path is too long.
        tree.put(std::string(250, 'p') + ".jpg", camera);
        // A folder too deep to open, holding a photo.
        tree.enter(std::string(250, 'f'));
        ASSERT_GE(tree.pathLength(), std::size_t(PATH_MAX));
        tree.put("lost.jpg", camera);
    }

    const CliRun run = runCli({"build", src.string()}, home);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("2 photos ready\n"));
    EXPECT_THAT(run.out, HasSubstr("\n2 folders or photos nested deeper than the system allows were left out\n"));
    EXPECT_THAT(run.out, ::testing::Not(HasSubstr("couldn't be read")));

    const CliRun json = runCli({"build", src.string(), "--json"}, home);
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_THAT(json.out, HasSubstr("\"photos\":2,"));
    EXPECT_THAT(json.out, HasSubstr(",\"tooLong\":2}"));
}
