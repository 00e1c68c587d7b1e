// kestova-cli scan: one JSON object per photo, whatever bytes the names hold; clear refusals.
#include "engine/base/Json.h"

#include "TempDir.h"

#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace {

struct Output {
    std::string out;
    int status = -1;
};

Output runCli(const std::string& args)
{
    Output result;
    FILE* pipe = popen((std::string("'") + KESTOVA_CLI + "' " + args + " 2>/dev/null").c_str(), "r");
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string quote(const std::filesystem::path& p)
{
    std::string s = "'";
    for (char c : p.string())
        s += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return s + "'";
}

/// The rel of one output line, checking that the line is exactly {"rel":…,"size":N,"mtime":N}.
std::optional<std::string> relOf(std::string_view line)
{
    const std::string_view head = "{\"rel\":";
    if (!line.starts_with(head))
        return std::nullopt;
    std::size_t pos = head.size();
    std::string rel;
    if (!Json::readString(line, pos, rel))
        return std::nullopt;
    const std::string_view rest = line.substr(pos);
    if (!rest.starts_with(",\"size\":") || rest.find(",\"mtime\":") == std::string_view::npos || !rest.ends_with("}"))
        return std::nullopt;
    return rel;
}

} // namespace

TEST(CliScan, ListsEveryPhotoAsOneJsonLineWhateverItsName)
{
    TempDir dir;
    const std::set<std::string> names{"a.jpg", "sub/with space.JPG", "q/\"quoted\".png", "n/new\nline.jpg",
                                      "bad/\xFF\xFE.heic", "tab\t/x.gif"};
    for (const auto& name : names)
        dir.write(name);
    dir.write("notes.txt");
    dir.write("node_modules/x.jpg");
    const Output o = runCli("scan " + quote(dir.path()));
    EXPECT_EQ(o.status, 0);
    std::set<std::string> listed;
    std::size_t start = 0;
    while (start < o.out.size()) {
        const std::size_t end = o.out.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "every line ends with a line break";
        const auto rel = relOf(std::string_view(o.out).substr(start, end - start));
        ASSERT_TRUE(rel) << o.out.substr(start, end - start);
        listed.insert(*rel);
        start = end + 1;
    }
    EXPECT_EQ(listed, names);
}

TEST(CliScan, TheOutputFolderIsLeftOut)
{
    TempDir dir;
    setMtime(dir.write("a.jpg"), 1563192000);
    dir.write("wall/thumbs/00/0011.jpg");
    const Output o = runCli("scan " + quote(dir.path()) + " --out " + quote(dir / "wall"));
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "{\"rel\":\"a.jpg\",\"size\":1,\"mtime\":1563192000}\n");
}

TEST(CliScan, MissingSourcesAndFilesAreRefusedWithStatusTwo)
{
    TempDir dir;
    dir.write("photo.jpg");
    EXPECT_EQ(runCli("scan " + quote(dir / "nope")).status, 2);
    EXPECT_EQ(runCli("scan " + quote(dir / "photo.jpg")).status, 2);
    EXPECT_EQ(runCli("scan").status, 2);
    EXPECT_EQ(runCli("frobnicate").status, 2);
    const Output help = runCli("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, ::testing::HasSubstr("scan SOURCE"));
}
