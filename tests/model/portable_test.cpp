// Portable walls, built by kestova-cli as a user runs it on real photos: every photo gets its
// screen-size copy in the wall, one that browsers cannot show its full-size copy too, the wall
// remembers it, and an update adds only what is missing.
#include "TestSupport.h"

#include "engine/run/Indexer.h"
#include "model/PathText.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

namespace fs = std::filesystem;
using namespace TestSupport;

namespace {

int cli(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(KESTOVA_CLI), args);
    EXPECT_TRUE(process.waitForFinished(300000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

std::string textOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// What the command (of the vips programs) answers, as text; empty when it fails.
std::string ask(const std::string& command)
{
    std::string answer;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            answer += buffer;
        pclose(pipe);
    }
    while (!answer.empty() && answer.back() == '\n')
        answer.pop_back();
    return answer;
}

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};
std::ostream& operator<<(std::ostream& out, const Size& s)
{
    return out << s.width << "x" << s.height;
}
Size sizeOf(const fs::path& jpeg)
{
    const std::string w = ask("vipsheader -f width " + quoted(jpeg));
    const std::string h = ask("vipsheader -f height " + quoted(jpeg));
    return w.empty() || h.empty() ? Size{} : Size{std::atoi(w.c_str()), std::atoi(h.c_str())};
}

/// The mean difference of two images' pixels, 0..255.
double difference(const fs::path& a, const fs::path& b, const fs::path& scratch)
{
    const fs::path diff = scratch / "diff.v";
    ask("vips subtract " + quoted(a) + " " + quoted(b) + " " + quoted(diff));
    ask("vips abs " + quoted(diff) + " " + quoted(scratch / "abs.v"));
    const std::string mean = ask("vips avg " + quoted(scratch / "abs.v"));
    return mean.empty() ? 255.0 : std::atof(mean.c_str());
}

/// The media flags of each entry of manifest.js, by its rel.
std::map<std::string, int> mediaOfEntries(const fs::path& wall)
{
    const std::string manifest = textOf(wall / "manifest.js");
    static const std::regex entry(R"re(\["[0-9a-f]{16}","([^"]*)",\d+,\d+,-?\d+,"[^"]*",-?\d+(?:,(\d+))?)re");
    std::map<std::string, int> flags;
    for (auto it = std::sregex_iterator(manifest.begin(), manifest.end(), entry); it != std::sregex_iterator(); ++it)
        flags[(*it)[1]] = (*it)[2].matched ? std::stoi((*it)[2]) : 0;
    return flags;
}

/// Each file of the wall's previews and thumbnails, with its modification time in nanoseconds.
std::map<std::string, std::int64_t> madeFiles(const fs::path& wall)
{
    std::map<std::string, std::int64_t> files;
    for (const char* folder : {"thumbs", "previews", "full"}) {
        if (!fs::exists(wall / folder))
            continue;
        for (const auto& e : fs::recursive_directory_iterator(wall / folder)) {
            struct stat st{};
            if (e.is_regular_file() && ::stat(e.path().c_str(), &st) == 0)
                files[fs::relative(e.path(), wall).string()] = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
        }
    }
    return files;
}

fs::path madeFor(const fs::path& wall, const char* folder, const std::string& rel)
{
    const std::string key = WallPaths::key(rel);
    return wall / folder / key.substr(0, 2) / (key + ".jpg");
}
fs::path largeOf(const fs::path& wall, const std::string& rel)
{
    return madeFor(wall, "previews", rel);
}
fs::path fullOf(const fs::path& wall, const std::string& rel)
{
    return madeFor(wall, "full", rel);
}

class Portable : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
};

TEST_F(Portable, EveryPhotoGetsItsScreenSizeCopyAndUpdatesAddOnlyWhatIsMissing)
{
    Folder home;
    const fs::path source = home.path() / "Photos";
    const fs::path wall = home.path() / "Wall";
    copyPhotos(source, {{"2015/upright.jpg", "orientation/Portrait_1.jpg"},
                        {"2015/turned.jpg", "orientation/Portrait_6.jpg"},
                        {"2015/phone.jpg", "cameras/iphone_hdr_NO.jpg"},
                        {"2008/small.jpg", "cameras/Canon_40D.jpg"}});
    // No PNG or large HEIC among the shared photos: made from a real one by the vips program.
    ASSERT_FALSE(ask("vips copy " + quoted(sharedPhoto("orientation/Landscape_1.jpg")) + " " +
                      quoted(source / "2015/drawing.png") + " && echo ok").empty());
    ASSERT_FALSE(ask("vips copy " + quoted(sharedPhoto("orientation/Landscape_1.jpg")) + " " +
                      quoted(source / "2015/still.heic") + "[Q=50] && echo ok").empty());
    // A TIFF that keeps the photo's orientation tag, as a scanner's or an editor's may.
    ASSERT_FALSE(ask("vips copy " + quoted(sharedPhoto("orientation/Portrait_6.jpg")) + " " +
                      quoted(source / "2015/scan.tif") + " && echo ok").empty());
    const QStringList build{QStringLiteral("build"), PathText::fromPath(source), QStringLiteral("--out"),
                            PathText::fromPath(wall)};
    ASSERT_EQ(cli(build + QStringList{QStringLiteral("--portable")}), 0);

    struct Case {
        std::string rel;
        Size copy;  ///< at most the preview's 1600 pixels, never enlarged
        Size full;  ///< what browsers cannot show, upright at its own size; 0x0: none
        int flags;  ///< a copy for what browsers show, a preview and the full size for the rest
    };
    const int copy = WallSchema::copyInWall, preview = WallSchema::hasPreview | WallSchema::fullInWall;
    const std::vector<Case> cases = {
        {"2015/upright.jpg", {1067, 1600}, {}, copy},
        {"2015/turned.jpg", {1067, 1600}, {}, copy},
        {"2015/phone.jpg", {1600, 1200}, {}, copy},
        {"2008/small.jpg", {100, 68}, {}, copy},
        {"2015/drawing.png", {1600, 1067}, {}, copy},
        {"2015/still.heic", {1600, 1067}, {1800, 1200}, preview},
        {"2015/scan.tif", {1067, 1600}, {1200, 1800}, preview},
    };
    auto flags = mediaOfEntries(wall);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rel);
        EXPECT_EQ(sizeOf(largeOf(wall, c.rel)), c.copy);
        EXPECT_EQ(sizeOf(fullOf(wall, c.rel)), c.full);
        EXPECT_EQ(flags[c.rel], c.flags);
    }
    EXPECT_LT(difference(largeOf(wall, "2015/turned.jpg"), largeOf(wall, "2015/upright.jpg"), home.path()), 8.0)
        << "the copy of a photo stored turned is upright";
    EXPECT_EQ(textOf(wall / ".settings.json"), "{\"portable\":true}\n");

    // An update that does not say: the wall remembers, the new photo gets its copy, and nothing
    // made before is made again.
    const auto before = madeFiles(wall);
    copyPhotos(source, {{"2016/new.jpg", "orientation/Landscape_8.jpg"}});
    ASSERT_EQ(cli(build), 0);
    EXPECT_EQ(sizeOf(largeOf(wall, "2016/new.jpg")), (Size{1600, 1067}));
    flags = mediaOfEntries(wall);
    EXPECT_EQ(flags["2016/new.jpg"], copy);
    auto after = madeFiles(wall);
    for (const auto& [file, time] : before)
        EXPECT_EQ(after[file], time) << file << " was made again";
    EXPECT_EQ(after.size(), before.size() + 2) << "the new photo's thumbnail and copy";

    // Turned off: nothing is removed and the copies stay in use; a new photo gets none.
    copyPhotos(source, {{"2016/plain.jpg", "orientation/Landscape_2.jpg"}});
    ASSERT_EQ(cli(build + QStringList{QStringLiteral("--no-portable")}), 0);
    flags = mediaOfEntries(wall);
    EXPECT_EQ(flags["2016/plain.jpg"], 0);
    EXPECT_FALSE(fs::exists(largeOf(wall, "2016/plain.jpg")));
    for (const Case& c : cases)
        EXPECT_EQ(flags[c.rel], c.flags) << c.rel;
    after = madeFiles(wall);
    for (const auto& [file, time] : before)
        EXPECT_EQ(after[file], time) << file;
    EXPECT_EQ(textOf(wall / ".settings.json"), "{\"portable\":false}\n");
}

} // namespace
