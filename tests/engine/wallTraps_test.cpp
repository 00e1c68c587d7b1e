// Where a wall lies: its own thumbnails and other walls are never photos, and a folder of the
// user's own is never made a wall. Runs kestova-cli as a user would.
#include "CliProcess.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using ::testing::HasSubstr;

namespace {

struct Drive {
    TempDir dir;
    fs::path src = dir.mkdir("Photos");
    fs::path home = dir.mkdir("home");

    void add(const fs::path& root, const std::string& rel, const std::string& camera) const
    {
        copyPhoto(root / rel, camera);
    }
    /// Three photos in two folders.
    void fill(const fs::path& root) const
    {
        add(root, "2008/Canon.jpg", "cameras/Canon_40D.jpg");
        add(root, "2008/Nikon.jpg", "cameras/Nikon_D70.jpg");
        add(root, "Family/Pentax.jpg", "cameras/Pentax_K10D.jpg");
    }
    CliRun build(const fs::path& root, const std::optional<fs::path>& out = std::nullopt) const
    {
        std::vector<std::string> args{"build", root.string(), "--json"};
        if (out) {
            args.push_back("--out");
            args.push_back(out->string());
        }
        return runCli(args, home);
    }
};

std::string photosOf(const CliRun& run)
{
    const auto at = run.out.find("\"photos\":");
    return at == std::string::npos ? run.err : run.out.substr(at, run.out.find(',', at) - at);
}

} // namespace

TEST(WallTraps, AWallAlreadyInTheSourceItselfNeverListsItsOwnThumbnails)
{
    // No wall is begun among the photos any more, but one an earlier version wrote there goes on
    // being updated: made here by moving a wall's files into the source.
    Drive d;
    d.fill(d.src);
    const fs::path made = d.dir / "made";
    ASSERT_EQ(d.build(d.src, made).status, 0);
    for (const char* name : {"index.html", "manifest.js", "wall.js", "data", ".cache.json", "thumbs"})
        fs::rename(made / name, d.src / name);
    // Nor does it take what lies in its data folder for photos.
    d.add(d.src, "data/IMG_1.jpg", "cameras/Sony_HDR-HC3.jpg");
    for (int run = 1; run <= 3; ++run) {
        const CliRun r = d.build(d.src, d.src);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(photosOf(r), "\"photos\":3") << "run " << run;
        EXPECT_THAT(r.out, HasSubstr("\"found\":3"));
    }
    EXPECT_TRUE(fs::exists(d.src / "index.html"));
}

TEST(WallTraps, OtherWallsInsideTheSourceArePassedOver)
{
    Drive d;
    d.fill(d.src);
    // A wall of the source in a folder of its own, and a wall of another drive, as the
    // Pictures folder holds them when the home folder is the source.
    ASSERT_EQ(d.build(d.src, d.src / "mywall").status, 0);
    const fs::path other = d.dir.mkdir("Other");
    d.add(other, "a.jpg", "cameras/Sony_HDR-HC3.jpg");
    d.add(other, "b.jpg", "cameras/Kodak_CX7530.jpg");
    ASSERT_EQ(d.build(other, d.src / "Pictures/Kestova/Other 1a2b3c").status, 0);
    // Stopped before its first save: a thumbs folder and a cache only.
    d.add(d.src / "stopped/thumbs/ab", "abcdef0123456789.jpg", "cameras/Olympus_C8080WZ.jpg");
    std::ofstream(d.src / "stopped/.cache.json") << "{}";

    const CliRun r = d.build(d.src);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(photosOf(r), "\"photos\":3");
    EXPECT_THAT(r.out, HasSubstr("\"found\":3"));
}

TEST(WallTraps, AFolderOfPhotosOrOfSomeoneElsesPageIsNotMadeAWall)
{
    Drive d;
    d.fill(d.src);
    const fs::path trip = d.dir.mkdir("Trip");
    d.add(trip, "deep/IMG_1.jpg", "cameras/Fujifilm_FinePix_E500.jpg");
    const fs::path site = d.dir.mkdir("site");
    std::ofstream(site / "index.html") << "<p>my home page</p>";
    std::ofstream(site / "manifest.js") << "var mine = 1;";
    const auto before = snapshot(d.dir.path(), d.home);

    struct Case {
        fs::path out;
        const char* says;
    } cases[] = {
        {trip, "holds photos."},
        {d.src / "2008", "holds photos."}, // inside the source: its photos would vanish from the wall
        {d.src, "holds photos."},          // the source itself: the wall's files would lie among the photos
        {site, "already holds an index.html or manifest.js that is not a Kestova wall."},
    };
    for (const Case& c : cases) {
        const CliRun r = d.build(d.src, c.out);
        EXPECT_EQ(r.status, 1) << c.out;
        EXPECT_THAT(r.err, HasSubstr("\u201C" + c.out.string() + "\u201D " + c.says));
        EXPECT_THAT(r.err, HasSubstr("nothing was written; choose another folder for the wall."));
    }
    EXPECT_EQ(snapshot(d.dir.path(), d.home), before) << "nothing anywhere was written or changed";

    // A folder with nothing of the kind may be used, and a wall may be built again.
    const fs::path notes = d.dir.mkdir("notes");
    std::ofstream(notes / "todo.txt") << "buy film";
    ASSERT_EQ(d.build(d.src, notes).status, 0);
    const CliRun again = d.build(d.src, notes);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(photosOf(again), "\"photos\":3");
}
