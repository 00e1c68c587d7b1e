// The wall: entries built from the cache, their order, and the exact text of manifest.js.
#include "engine/Indexer.h"
#include "engine/internal/PageTemplate.h"
#include "engine/internal/RawPairs.h"
#include "engine/internal/WallOutput.h"
#include "engine/WallSchema.h"

#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::string> order(const Wall& wall)
{
    std::vector<std::string> out;
    for (const auto& e : wall.entries)
        out.push_back(e.rel);
    return out;
}

} // namespace

TEST(WallEntries, DatedNewestFirstThenUndated)
{
    const CacheMap map{
        {"2019.jpg", Record::make("k1", 1, 1, "2019:05:01 10:00:00", 0, 1)},
        {"2021.jpg", Record::make("k2", 1, 1, "2021:05:01 10:00:00", 0, 1)},
        {"Family/nodate.jpg", Record::make("k3", 1, 1, "", 0, 1)},
        {"Trips/2020-07-15 Rome/IMG_1.jpg", Record::make("k4", 1, 1, "", 0, 1)},
        {"Summer 2018/IMG_2.jpg", Record::make("k5", 1, 1, "0000:00:00 00:00:00", 0, 1)},
    };
    const Wall wall = WallOutput::buildWall(map);
    EXPECT_THAT(order(wall), ::testing::ElementsAre("2021.jpg", "Trips/2020-07-15 Rome/IMG_1.jpg", "2019.jpg",
                                                     "Summer 2018/IMG_2.jpg", "Family/nodate.jpg"));
    EXPECT_EQ(wall.undated, 1);
    EXPECT_EQ(wall.entries[0].date, 1619863200); // 2021-05-01 10:00:00 read as UTC
}

TEST(WallEntries, ExifDateBeatsThePathAndIsReadAsUtcCivilTime)
{
    const Wall wall = WallOutput::buildWall({{"2010-01-01/a.jpg", Record::make("k", 1, 1, "2019:07:15 18:30:05", 0, 1)}});
    ASSERT_EQ(wall.entries.size(), 1u);
    EXPECT_EQ(wall.entries[0].date, 1563215405);
}

TEST(WallEntries, FieldsComeFromTheRecordWithZeroForWrongTypes)
{
    const CacheMap map{
        {"2019/Rome/IMG_1.jpg", Record::make("abc", 4000, 3000, "", 1500000000, 10)},
        {"IMG_2.jpg", {std::string("def"), std::string("wide"), std::monostate{}, 5, std::string("soon"), 1}},
        {"//lead/x.jpg", Record::make("ghi", 1, 2, "", 3, 4)},
        {"short.jpg", {std::string("k"), 1, 2, std::string(""), 3}},
        {"nokey.jpg", {1, 1, 2, std::string(""), 3, 4}},
    };
    const Wall wall = WallOutput::buildWall(map);
    ASSERT_EQ(wall.entries.size(), 3u) << "records with five values or no key are left out";
    std::map<std::string, WallEntry> byRel;
    for (const auto& e : wall.entries)
        byRel[e.rel] = e;
    EXPECT_EQ(byRel["2019/Rome/IMG_1.jpg"], (WallEntry{"abc", "2019/Rome/IMG_1.jpg", 4000, 3000,
                                                       WallOutput::buildWall({{"2019", Record::make("a", 0, 0, "", 0, 0)}}).entries[0].date,
                                                       "2019", 1500000000}));
    EXPECT_EQ(byRel["IMG_2.jpg"], (WallEntry{"def", "IMG_2.jpg", 0, 0, 0, "IMG_2.jpg", 0}));
    EXPECT_EQ(byRel["//lead/x.jpg"].first, "lead");
    EXPECT_EQ(wall.undated, 2);
}

TEST(WallManifest, ExactTextForTrickyTitlesAndPaths)
{
    struct Case {
        std::string title;
        std::string root;
        std::string expectedStart;
    };
    const Case cases[] = {
        {"Trips 2019/2020", "/media/card", "window.GALLERY_TITLE=\"Trips 2019/2020\";\nwindow.GALLERY_ROOT=\"/media/card\";\n"},
        {"Say \"hi\"\\\nnow", "/a/", "window.GALLERY_TITLE=\"Say \\\"hi\\\"\\\\\\nnow\";\nwindow.GALLERY_ROOT=\"/a\";\n"},
        {"</script><img src=x onerror=alert(1)>", "/", "window.GALLERY_TITLE=\"</script><img src=x onerror=alert(1)>\";\nwindow.GALLERY_ROOT=\"/\";\n"},
        {"Caf\xC3\xA9 \xFF", "/m\xFF", "window.GALLERY_TITLE=\"Caf\xC3\xA9 \\udcff\";\nwindow.GALLERY_ROOT=\"/m\\udcff\";\n"},
    };
    for (const auto& c : cases) {
        Indexer job(c.root, "/tmp/out", c.title, true, nullptr);
        EXPECT_EQ(WallOutput::manifestText(job, {}), c.expectedStart + "window.PHOTOS=[];");
    }
    Indexer job("/photos", "/tmp/out", "T", true, nullptr);
    EXPECT_EQ(WallOutput::manifestText(job, {{"0123456789abcdef", "2019/a \"b\".jpg", 4000, 3000, 1563192000, "2019", -1},
                                {"fedcba9876543210", "x.jpg", 0, 0, 0, "x.jpg", 0}}),
              "window.GALLERY_TITLE=\"T\";\nwindow.GALLERY_ROOT=\"/photos\";\nwindow.PHOTOS=["
              "[\"0123456789abcdef\",\"2019/a \\\"b\\\".jpg\",4000,3000,1563192000,\"2019\",-1],"
              "[\"fedcba9876543210\",\"x.jpg\",0,0,0,\"x.jpg\",0]];");
}

// Each value lands at the position the wall's schema gives it, which the page reads it from.
TEST(WallManifest, EntriesFollowTheSchemasPositions)
{
    Indexer job("/photos", "/tmp/out", "T", true, nullptr);
    const WallEntry live{"0123456789abcdef", "2019/IMG_1.jpg", 4032, 3024, 1563192000, "2019", 7,
                         Record::Media{WallSchema::isLive | WallSchema::clipInWall, 1500, "hevc", "motion/01/0123456789abcdef.mp4"}};
    std::vector<std::string> values(WallSchema::motion + 1);
    values[WallSchema::key] = "\"0123456789abcdef\"";
    values[WallSchema::rel] = "\"2019/IMG_1.jpg\"";
    values[WallSchema::width] = "4032";
    values[WallSchema::height] = "3024";
    values[WallSchema::date] = "1563192000";
    values[WallSchema::first] = "\"2019\"";
    values[WallSchema::mtime] = "7";
    values[WallSchema::media] = std::to_string(WallSchema::isLive | WallSchema::clipInWall);
    values[WallSchema::duration] = "1500";
    values[WallSchema::codec] = "\"hevc\"";
    values[WallSchema::motion] = "\"motion/01/0123456789abcdef.mp4\"";
    const auto joined = [&values](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += (i ? "," : "") + values[i];
        return "[" + text + "]";
    };
    WallEntry video = live;
    video.media = {WallSchema::isVideo, 1500, "hevc", ""};
    WallEntry plain = live;
    plain.media = {};
    const std::string text = WallOutput::manifestText(job, {live, video, plain});
    values[WallSchema::media] = std::to_string(WallSchema::isVideo);
    const std::string videoText = joined(WallSchema::codec + 1);
    values[WallSchema::media] = std::to_string(WallSchema::isLive | WallSchema::clipInWall);
    EXPECT_THAT(text, ::testing::EndsWith("window.PHOTOS=[" + joined(WallSchema::motion + 1) + "," + videoText + "," +
                                           joined(WallSchema::plainLength) + "];"));
}

TEST(WallFiles, ManifestAndPageAreWrittenAndTheTemplateIsCopiedByteForByte)
{
    TempDir dir;
    const auto page = dir.write("template.html", std::string("<html>\xFF\0</html>", 15));
    Indexer job(dir / "src", dir.mkdir("out"), "T", true, nullptr);
    job.templateFile = page;
    WallOutput::writeWall(job, {});
    EXPECT_EQ(readFile(dir / "out/index.html"), readFile(page));
    EXPECT_EQ(readFile(dir / "out/manifest.js"), WallOutput::manifestText(job, {}));
}

TEST(WallFiles, AMissingTemplateFailsWithItsMessageAfterTheManifest)
{
    TempDir dir;
    dir.write("out/index.html", "old page");
    Indexer job(dir / "src", dir / "out", "T", true, nullptr);
    job.templateFile = dir / "nowhere/template.html";
    try {
        WallOutput::writeWall(job, {});
        FAIL() << "no error";
    } catch (const JobError& e) {
        EXPECT_STREQ(e.what(), "The gallery template is missing from the app. Please re-download Kestova.");
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "out/manifest.js"));
    EXPECT_EQ(readFile(dir / "out/index.html"), "old page");
}

TEST(WallFiles, AnUnwritableFolderFailsWithTheFileAndTheFault)
{
    TempDir dir;
    Indexer job(dir / "src", dir / "missing", "T", true, nullptr);
    try {
        WallOutput::writeWall(job, {});
        FAIL() << "no error";
    } catch (const JobError& e) {
        EXPECT_THAT(e.what(), ::testing::HasSubstr("manifest.js"));
        EXPECT_THAT(e.what(), ::testing::HasSubstr("No such file or directory"));
    }
}

TEST(WallFiles, TheBundledTemplateIsFound)
{
    EXPECT_TRUE(std::filesystem::exists(PageTemplate::find())) << PageTemplate::find();
}

namespace {

std::vector<WallEntry> entriesOf(const std::vector<std::string>& rels)
{
    std::vector<WallEntry> entries;
    for (const std::string& rel : rels)
        entries.push_back(WallEntry{"k", rel, 1, 1, 0, "", 0});
    return entries;
}

} // namespace

TEST(WallRawPairs, CountedAsThePageFoldsThem)
{
    struct Case {
        const char* name;
        std::vector<std::string> rels;
        std::int64_t pairs;
    };
    const Case cases[] = {
        {"a pair", {"2024/IMG_1.JPG", "2024/IMG_1.CR2"}, 1},
        {"case differs in name and extension", {"Alps/dsc_2.NEF", "Alps/DSC_2.jpeg"}, 1},
        {"case differs in the folder too, as the page ignores it", {"alps/IMG_3.jpg", "Alps/IMG_3.ARW"}, 1},
        {"non-ASCII case", {"\xC3\x9C" "ber/\xC3\x84PFEL.JPG", "\xC3\xBC" "ber/\xC3\xA4pfel.dng"}, 1},
        {"same name, other folder", {"Alps/IMG_3.jpg", "Alps/raw/IMG_3.CR2"}, 0},
        {"a raw file alone", {"IMG_4.ARW"}, 0},
        {"raw beside a PNG or a HEIC", {"IMG_5.DNG", "IMG_5.png", "IMG_5.HEIC"}, 0},
        {"two JPEGs of one raw file", {"IMG_6.jpg", "IMG_6.JPEG", "IMG_6.RAF"}, 1},
        {"two raw files of one name, one JPEG", {"IMG_7.CR2", "IMG_7.cr2", "IMG_7.jpg"}, 1},
        {"a JPEG whose name holds the raw file's", {"IMG_8.CR2", "IMG_8.CR2.jpg"}, 0},
        {"every raw kind", {"a.dng", "a.jpg", "b.cr2", "b.jpg", "c.cr3", "c.jpg", "d.nef", "d.jpg", "e.arw", "e.jpg",
                            "f.raf", "f.jpg", "g.orf", "g.jpg", "h.rw2", "h.jpg"}, 8},
        {"names that are not UTF-8 keep their bytes", {"\xFF" "A.JPG", "\xFF" "a.cr2", "\xFE" "a.cr2"}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RawPairs::count(entriesOf(c.rels)), c.pairs) << c.name;
}

TEST(WallRawPairs, BuildWallCountsThem)
{
    const Wall wall = WallOutput::buildWall({
        {"IMG_1.JPG", Record::make("k1", 1, 1, "", 0, 1)},
        {"IMG_1.CR2", Record::make("k2", 1, 1, "", 0, 1)},
        {"IMG_2.JPG", Record::make("k3", 1, 1, "", 0, 1)},
    });
    EXPECT_EQ(wall.entries.size(), 3u) << "the manifest keeps both files: the page pairs them";
    EXPECT_EQ(wall.rawPairs, 1);
}

TEST(WallRawPairs, ThePageKnowsEveryRawKindTheWalkTakes)
{
    // The page pairs by the schema's raw names (its rawFile is made from them, see
    // tests/page/units/schema.test.mjs); a kind missing there would be counted once here and
    // shown twice there.
    for (const std::string& ext : Indexer::rawExt())
        EXPECT_NE(std::ranges::find(WallSchema::rawExtensions, ext), WallSchema::rawExtensions.end()) << ext;
}

TEST(WallState, ExactTextFinishedAndUnfinished)
{
    EXPECT_EQ(WallOutput::stateText({}), "window.KESTOVA_WALL_STATE={\"version\":1,\"finished\":true,\"toDo\":0};\n");
    EXPECT_EQ(WallOutput::stateText({520}), "window.KESTOVA_WALL_STATE={\"version\":1,\"finished\":false,\"toDo\":520};\n");
}

TEST(WallState, NeverSaysFinishedOfPhotosThatWereNotWritten)
{
    // manifest.js made a folder, so that writing it fails: an unfinished state is already on
    // disk by then, a finished one is not written at all.
    for (const std::int64_t toDo : {0, 7}) {
        TempDir dir;
        dir.write("out/state.js", "old");
        std::filesystem::create_directories(dir / "out/manifest.js/x");
        Indexer job(dir / "src", dir / "out", "T", true, nullptr);
        job.templateFile = dir.write("template.html", "<html>");
        EXPECT_THROW(WallOutput::writeWall(job, {}, WallState{toDo}), JobError);
        EXPECT_EQ(readFile(dir / "out/state.js"), toDo ? WallOutput::stateText({toDo}) : "old") << toDo;
    }
}
