// The wall: entries built from the cache, their order, the exact text of manifest.js, and the
// same entries in the pieces of the page's data with the index that names them.
#include "engine/run/Indexer.h"
#include "engine/walk/PhotoKinds.h"
#include "engine/wall/PageTemplate.h"
#include "engine/walk/RawPairs.h"
#include "engine/wall/WallOutput.h"
#include "engine/wall/WallPieces.h"
#include "engine/wall/WallSchema.h"

#include "CliProcess.h"
#include "TempDir.h"
#include "WallData.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <set>

using WallData::dataFiles;
using WallData::generationOf;
using WallData::namedPieces;

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

TEST(WallEntries, FieldsComeFromTheRecord)
{
    const CacheMap map{
        {"2019/Rome/IMG_1.jpg", Record::withDetails(Record::make("abc", 4000, 3000, "", 1500000000, 10),
                                                    {"Canon EOS 5D", "", 0.008, 2.8, 100, 0, 0, std::pair{41.9, 12.5}})},
        {"IMG_2.jpg", Record::make("def", 0, 0, "", 0, 1)},
        {"//lead/x.jpg", Record::make("ghi", 1, 2, "", 3, 4)},
    };
    const Wall wall = WallOutput::buildWall(map);
    ASSERT_EQ(wall.entries.size(), 3u);
    std::map<std::string, WallEntry> byRel;
    for (const auto& e : wall.entries)
        byRel[e.rel] = e;
    EXPECT_EQ(byRel["2019/Rome/IMG_1.jpg"], (WallEntry{"abc", "2019/Rome/IMG_1.jpg", 4000, 3000,
                                                       WallOutput::buildWall({{"2019", Record::make("a", 0, 0, "", 0, 0)}}).entries[0].date,
                                                       "2019", 1500000000, {}, 10,
                                                       {"Canon EOS 5D", "", 0.008, 2.8, 100, 0, 0, std::pair{41.9, 12.5}}}));
    EXPECT_EQ(byRel["IMG_2.jpg"], (WallEntry{"def", "IMG_2.jpg", 0, 0, 0, "IMG_2.jpg", 0, {}, 1}));
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
        EXPECT_EQ(WallOutput::manifestText(job.wallTarget(), {}), c.expectedStart + "window.PHOTOS=[];");
    }
    Indexer job("/photos", "/tmp/out", "T", true, nullptr);
    EXPECT_EQ(WallOutput::manifestText(job.wallTarget(), {{"0123456789abcdef", "2019/a \"b\".jpg", 4000, 3000, 1563192000, "2019", -1},
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
    const std::string text = WallOutput::manifestText(job.wallTarget(), {live, video, plain});
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
    WallOutput::writeWall(job.wallTarget(), {});
    EXPECT_EQ(readFile(dir / "out/index.html"), readFile(page));
    EXPECT_EQ(readFile(dir / "out/manifest.js"), WallOutput::manifestText(job.wallTarget(), {}));
}

TEST(WallFiles, AMissingTemplateFailsWithItsMessageAfterTheManifest)
{
    TempDir dir;
    dir.write("out/index.html", "old page");
    Indexer job(dir / "src", dir / "out", "T", true, nullptr);
    job.templateFile = dir / "nowhere/template.html";
    try {
        WallOutput::writeWall(job.wallTarget(), {});
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
        WallOutput::writeWall(job.wallTarget(), {});
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
    for (const std::string& ext : PhotoKinds::rawExt())
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
        EXPECT_THROW(WallOutput::writeWall(job.wallTarget(), {}, WallState{toDo}), JobError);
        EXPECT_EQ(readFile(dir / "out/state.js"), toDo ? WallOutput::stateText({toDo}) : "old") << toDo;
    }
}

namespace {

namespace fs = std::filesystem;

const WallPieces::Heading heading{"T", "/photos"};
constexpr std::string_view generation = "0187a3c2d4e5b6a7";

/// Every entry of every piece, read back as a reader of the format would.
std::vector<WallEntry> entriesOfPieces(const std::vector<std::string>& scripts)
{
    std::vector<WallEntry> entries;
    for (const std::string& script : scripts) {
        const auto piece = WallData::piece(script);
        const auto part = piece ? WallData::entriesOf(*piece) : std::nullopt;
        if (!part) {
            ADD_FAILURE() << "not a piece: " << script.substr(0, 200);
            return {};
        }
        entries.insert(entries.end(), part->begin(), part->end());
    }
    return entries;
}

std::vector<std::string> textsOf(const WallPieces::Data& data, const std::vector<WallEntry>& entries)
{
    std::vector<std::string> texts;
    for (std::size_t n = 0; n < data.pieces.size(); ++n)
        texts.push_back(WallPieces::pieceText(data, n, entries));
    return texts;
}

/// n plain entries in the wall's order, a day apart, newest first.
std::vector<WallEntry> daysOf(std::size_t n)
{
    std::vector<WallEntry> entries;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string rel = "Folder " + std::to_string(i / 250) + "/IMG_" + std::to_string(i) + ".JPG";
        entries.push_back({WallPaths::key(rel), rel, 4032, 3024, 1700000000 - std::int64_t(i) * 86400, WallData::firstOf(rel), 1});
    }
    return entries;
}

pid_t goneProcess()
{
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    return gone;
}

} // namespace

TEST(WallPieces, ExactTextOfAPieceAndOfTheIndex)
{
    const std::vector<WallEntry> entries{
        {"0123456789abcdef", "2019/Rome/it's \\ \"x\".jpg", 4000, 3000, 1563192000, "2019", 7, {WallSchema::isVideo, 1500, "avc1", ""}},
        {"fedcba9876543210", "x.jpg", 0, 0, 0, "x.jpg", 0},
    };
    const WallPieces::Data data = WallPieces::plan(heading, entries, generation);
    ASSERT_EQ(data.pieces.size(), 1u);
    EXPECT_EQ(data.pieces[0].file, "data/0187a3c2d4e5b6a7-0.js");
    // Inside the quotes of the script, JSON's backslashes and the name's quote are escaped.
    EXPECT_EQ(WallPieces::pieceText(data, 0, entries),
              R"(kestovaPiece('{"generation":"0187a3c2d4e5b6a7","piece":0,"dirs":["2019/Rome/",""],)"
              R"("key":["0123456789abcdef","fedcba9876543210"],"dir":[0,1],"name":["it\'s \\\\ \\"x\\".jpg","x.jpg"],)"
              R"("width":[4000,0],"height":[3000,0],"date":[1563192000,0],"mtime":[7,0],"media":[[0,2,1500,"avc1"]]}');)");
    EXPECT_EQ(data.index,
              R"(window.KESTOVA_WALL={"format":"kestova-wall","version":1,"generation":"0187a3c2d4e5b6a7",)"
              R"("title":"T","root":"/photos","photos":2,"undated":1,"months":[["2019-07",1]],)"
              R"("pieces":[{"file":"data/0187a3c2d4e5b6a7-0.js","photos":2,"newest":1563192000,"oldest":0,)"
              R"("details":"data/0187a3c2d4e5b6a7-0-details.js"}]};)");
}

TEST(WallPieces, ExactTextOfADetailsPiece)
{
    std::vector<WallEntry> entries(3, WallEntry{"0123456789abcdef", "a.jpg", 1, 1, 0, "a.jpg", 0});
    entries[0].size = 2480123;
    entries[0].details = {"Apple iPhone 12 Pro", "iPhone 12 Pro back camera 4.2mm f/1.6", 0.008, 1.6, 32, 4.2, 26,
                          std::pair{41.891934, -12.511329}};
    entries[0].place = Place{"Rome", "Lazio", "IT"};
    entries[1].size = 7;
    entries[2].details = {"Apple iPhone 12 Pro", "it's \\", 0, 0, 0, 0, 0, std::pair{0.0, 12.5}};
    entries[2].place = Place{"", "Lazio", "IT"};
    const WallPieces::Data data = WallPieces::plan(heading, entries, generation);
    EXPECT_EQ(data.pieces[0].details, "data/0187a3c2d4e5b6a7-0-details.js");
    EXPECT_EQ(WallPieces::detailsText(data, 0, entries),
              R"(kestovaDetails('{"generation":"0187a3c2d4e5b6a7","piece":0,"cameras":["Apple iPhone 12 Pro"],)"
              R"("lenses":["iPhone 12 Pro back camera 4.2mm f/1.6","it\'s \\\\"],"places":[["Rome","Lazio","IT"],["","Lazio","IT"]],)"
              R"("size":[2480123,7,0],"camera":[0,-1,0],"lens":[0,-1,1],"place":[0,-1,1],)"
              R"("exposure":[[0,0.008,1.6,32,4.2,26]],"geo":[[0,41.89193,-12.51133],[2,0,12.5]]}');)");
}

// Whatever a name holds, a piece gives back the entry manifest.js lists, byte for byte.
TEST(WallPieces, HoldExactlyTheEntriesOfTheManifest)
{
    const auto entry = [](std::string rel, Record::Media media = {}) {
        return WallEntry{WallPaths::key(rel), rel, 4032, 3024, 1563192000, WallData::firstOf(rel), 1500000000, std::move(media)};
    };
    std::vector<WallEntry> entries{
        entry("a \"quoted\" name.jpg"),
        entry("back\\slash/it's.jpg"),
        entry("'/''.jpg"),
        entry("new\nline/tab\t\r.jpg"),
        entry("bad \xFF\xFE/caf\xC3\xA9 \xE2\x82.jpg"),
        entry("\xE2\x80\xA8 separators \xE2\x80\xA9/\xF0\x9F\x93\xB7.jpg"),
        entry("</script>/<!--.jpg"),
        entry("//lead/x.jpg"),
        entry("2019/Rome/IMG_1.jpg"),
        entry("2019/Rome/IMG_2.jpg"),
        entry("2019/clip.mp4", {WallSchema::isVideo, 12500, "avc1", ""}),
        entry("2019/poster.mkv", {WallSchema::isVideo | WallSchema::hasPreview, 0, "", ""}),
        entry("phone/IMG_3.HEIC", {WallSchema::isLive | WallSchema::hasPreview, 2000, "hvc1", "phone/IMG_3.MOV"}),
        entry("phone/PXL_1.MP.jpg", {WallSchema::isLive | WallSchema::clipInWall, 1500, "hevc", "motion/01/0123456789abcdef.mp4"}),
        entry("phone/IMG_4.heic", {WallSchema::hasPreview, 0, "", ""}),
        entry("2019/Rome/IMG_5.jpg"),
    };
    entries.back().date = 0;
    entries.back().width = -1;
    Indexer job("/photos", "/tmp/out", "T", true, nullptr);
    for (const std::size_t perPiece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, entries.size(), WallSchema::Data::piecePhotos}) {
        SCOPED_TRACE(perPiece);
        const WallPieces::Data data = WallPieces::plan(heading, entries, generation, perPiece);
        const std::vector<WallEntry> back = entriesOfPieces(textsOf(data, entries));
        EXPECT_EQ(back, entries);
        EXPECT_EQ(WallOutput::manifestText(job.wallTarget(), back), WallOutput::manifestText(job.wallTarget(), entries));
    }
}

TEST(WallPieces, SplitAtTheirSize)
{
    constexpr std::size_t size = WallSchema::Data::piecePhotos;
    const struct Case {
        std::size_t entries;
        std::vector<std::int64_t> photos;
    } cases[] = {
        {0, {}},
        {1, {1}},
        {size, {std::int64_t(size)}},
        {size + 1, {std::int64_t(size), 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        const std::vector<WallEntry> entries = daysOf(c.entries);
        const WallPieces::Data data = WallPieces::plan(heading, entries, generation);
        std::vector<std::int64_t> photos;
        std::size_t start = 0;
        for (std::size_t n = 0; n < data.pieces.size(); ++n) {
            const WallPieces::Piece& piece = data.pieces[n];
            photos.push_back(piece.photos);
            EXPECT_EQ(piece.file, "data/" + std::string(generation) + "-" + std::to_string(n) + ".js");
            EXPECT_EQ(piece.newest, entries[start].date);
            EXPECT_EQ(piece.oldest, entries[start + piece.photos - 1].date);
            EXPECT_EQ(piece.start, start);
            const auto read = WallData::piece(WallPieces::pieceText(data, n, entries));
            ASSERT_TRUE(read);
            EXPECT_EQ((*read)["piece"].number, std::int64_t(n));
            EXPECT_EQ((*read)["generation"].text, generation);
            start += piece.photos;
        }
        EXPECT_EQ(photos, c.photos);
        EXPECT_EQ(entriesOfPieces(textsOf(data, entries)), entries);
        const auto index = WallData::index(data.index);
        ASSERT_TRUE(index);
        EXPECT_EQ((*index)["photos"].number, std::int64_t(c.entries));
        EXPECT_EQ((*index)["pieces"].size(), c.photos.size());
    }
}

TEST(WallPieces, MonthsAreNewestFirstFromTheDatesReadAsUtc)
{
    const struct Case {
        const char* what;
        std::vector<std::int64_t> dates;
        std::string months;
        std::int64_t undated;
    } cases[] = {
        {"none", {}, "[]", 0},
        {"the last second of a month and the first of the next", {1719792000, 1719791999}, R"([["2024-07",1],["2024-06",1]])", 0},
        {"a leap day and a century's March", {1709208000, 951868800}, R"([["2024-02",1],["2000-03",1]])", 0},
        {"before 1970", {-1, -2208988800}, R"([["1969-12",1],["1900-01",1]])", 0},
        {"undated ones are counted apart", {1719791999, 1719791000, 0, 0}, R"([["2024-06",2]])", 2},
        {"out of the wall's order, merged", {1563192000, 1719791999, 1563192001}, R"([["2024-06",1],["2019-07",2]])", 0},
    };
    for (const Case& c : cases) {
        std::vector<WallEntry> entries;
        for (const std::int64_t date : c.dates)
            entries.push_back({"k", "a.jpg", 1, 1, date, "a.jpg", 0});
        const std::string index = WallPieces::plan(heading, entries, generation).index;
        EXPECT_THAT(index, ::testing::HasSubstr(",\"undated\":" + std::to_string(c.undated) + ",\"months\":" + c.months + ",\"pieces\":"))
            << c.what;
    }
}

TEST(WallFiles, AnUpdateWritesANewGenerationAndRemovesTheOldPiecesOnlyAfterTheNewIndex)
{
    TempDir dir;
    const fs::path out = dir.mkdir("out");
    Indexer job(dir / "src", out, "T", true, nullptr);
    const fs::path page = dir.write("template.html", "<html>");
    job.templateFile = page;
    const std::vector<WallEntry> entries = daysOf(WallSchema::Data::piecePhotos + 1);
    WallOutput::writeWall(job.wallTarget(), entries);
    const std::string first = generationOf(out);
    const std::set<std::string> firstPieces = namedPieces(out);
    EXPECT_EQ(firstPieces, (std::set<std::string>{first + "-0.js", first + "-1.js", first + "-0-details.js", first + "-1-details.js"}));
    EXPECT_EQ(dataFiles(out), firstPieces);

    // Stopped after the new pieces (manifest.js cannot be written): the index on disk and every
    // piece it names stand as they were.
    const std::string oldIndex = readFile(out / "wall.js");
    fs::remove(out / "manifest.js");
    fs::create_directories(out / "manifest.js/x");
    EXPECT_THROW(WallOutput::writeWall(job.wallTarget(), entries), JobError);
    EXPECT_EQ(readFile(out / "wall.js"), oldIndex);
    EXPECT_EQ(namedPieces(out), firstPieces);
    EXPECT_EQ(dataFiles(out).size(), 8u) << "the new pieces and details were written before the manifest";
    fs::remove_all(out / "manifest.js");

    // Stopped after the new index (the page cannot be copied): it names the new generation's
    // pieces, and the older ones are still there.
    job.templateFile = dir / "nowhere/template.html";
    EXPECT_THROW(WallOutput::writeWall(job.wallTarget(), entries), JobError);
    const std::string second = generationOf(out);
    EXPECT_NE(second, first);
    EXPECT_EQ(namedPieces(out), (std::set<std::string>{second + "-0.js", second + "-1.js", second + "-0-details.js", second + "-1-details.js"}));
    for (const std::string& name : firstPieces)
        EXPECT_TRUE(fs::exists(out / "data" / name)) << name << " was removed before the run's end";

    // A whole write of the same photos finds the second generation whole and keeps it; it only
    // removes the pieces the index no longer names.
    job.templateFile = page;
    WallOutput::writeWall(job.wallTarget(), entries);
    EXPECT_EQ(generationOf(out), second);
    EXPECT_EQ(dataFiles(out), namedPieces(out));

    // One photo more: a new generation, and only its own pieces stay in the folder.
    const std::vector<WallEntry> more = daysOf(WallSchema::Data::piecePhotos + 2);
    WallOutput::writeWall(job.wallTarget(), more);
    const std::string third = generationOf(out);
    EXPECT_NE(third, second);
    EXPECT_EQ(dataFiles(out), namedPieces(out));
    EXPECT_EQ(dataFiles(out), (std::set<std::string>{third + "-0.js", third + "-1.js", third + "-0-details.js", third + "-1-details.js"}));
    EXPECT_EQ(entriesOfPieces({readFile(out / "data" / (third + "-0.js")), readFile(out / "data" / (third + "-1.js"))}), more);
}

TEST(WallFiles, AnUpdateThatChangesNothingWritesNothingAndAnyDifferenceWritesTheWall)
{
    TempDir dir;
    const fs::path out = dir.mkdir("out");
    const fs::path page = dir.write("template.html", "<html>");
    std::string title = "T";
    const auto write = [&](const std::vector<WallEntry>& entries) {
        Indexer job(dir / "src", out, title, true, nullptr);
        job.templateFile = page;
        WallOutput::writeWall(job.wallTarget(), entries);
        return WallOutput::manifestText(job.wallTarget(), entries);
    };
    const std::vector<WallEntry> entries = daysOf(WallSchema::Data::piecePhotos + 1);
    const auto stamps = [&out] {
        std::map<std::string, fs::file_time_type> times;
        for (const auto& file : fs::recursive_directory_iterator(out))
            times[file.path().lexically_relative(out).string()] = file.last_write_time();
        return times;
    };
    const auto settle = [&] {
        // Every file is aged, so that a rewrite within the clock's resolution still shows.
        for (const auto& file : fs::recursive_directory_iterator(out))
            fs::last_write_time(file.path(), fs::file_time_type::clock::now() - std::chrono::hours(1));
    };
    write(entries);
    const struct {
        const char* what;
        std::function<void()> change; ///< what differs from the wall on disk before the update
        bool rewritten;
    } cases[] = {
        {"nothing changed", [] {}, false},
        {"a piece was edited", [&] { std::ofstream(out / "data" / (generationOf(out) + "-1.js"), std::ios::app) << " "; }, true},
        {"the details of a piece are gone", [&] { fs::remove(out / "data" / (generationOf(out) + "-0-details.js")); }, true},
        {"the page was replaced", [&] { std::ofstream(out / "index.html") << "other"; }, true},
        {"the manifest is gone", [&] { fs::remove(out / "manifest.js"); }, true},
        {"the title changed", [&] { title = "U"; }, true},
    };
    for (const auto& c : cases) {
        c.change();
        settle();
        const auto before = stamps();
        const std::string generation = generationOf(out);
        const std::string manifest = write(entries);
        EXPECT_EQ(generationOf(out) != generation, c.rewritten) << c.what;
        EXPECT_EQ(stamps() != before, c.rewritten) << c.what;
        EXPECT_EQ(dataFiles(out), namedPieces(out)) << c.what;
        EXPECT_EQ(readFile(out / "index.html"), "<html>") << c.what;
        EXPECT_EQ(readFile(out / "manifest.js"), manifest) << c.what;
    }
}

TEST(WallFiles, OnlyPiecesTheIndexDoesNotNameAreRemovedFromTheDataFolder)
{
    TempDir dir;
    const fs::path out = dir.mkdir("out");
    Indexer job(dir / "src", out, "T", true, nullptr);
    job.templateFile = dir.write("template.html", "<html>");
    dir.write("victim.txt", "keep me");
    const std::string dead = std::to_string(goneProcess());
    const std::string alive = std::to_string(getpid());
    const struct Planted {
        std::string rel;
        bool kept;
    } planted[] = {
        {"out/data/0123456789abcdef-0.js", false}, // an older generation's piece
        {"out/data/0123456789abcdef-0-details.js", false}, // and its details
        {"out/data/0123456789abcdef-0-notes.js", true},
        {"out/data/notes.txt", true},                                  // not the wall's own
        {"out/data/.hidden", true},
        {"out/data/0123456789abcdef-0.json", true},
        {"out/data/.0123456789abcdef-0.js." + dead + ".a1B2c3", true}, // swept when a run starts
        {"out/data/.0123456789abcdef-0.js." + alive + ".a1B2c3", true}, // a writer still at work
        {"out/data/folder/0123456789abcdef-0.js", true},               // not in the folder itself
        {"out/0123456789abcdef-0.js", true},
        {"out/notes.txt", true},
        {"elsewhere/0123456789abcdef-0.js", true},
    };
    for (const std::vector<WallEntry>& entries : {daysOf(3), std::vector<WallEntry>{}}) {
        SCOPED_TRACE(entries.size());
        for (const Planted& p : planted)
            dir.write(p.rel, "planted");
        if (!fs::is_symlink(out / "data/link.txt"))
            fs::create_symlink(dir / "victim.txt", out / "data/link.txt");
        WallOutput::writeWall(job.wallTarget(), entries);
        for (const Planted& p : planted)
            EXPECT_EQ(fs::exists(dir / p.rel), p.kept) << p.rel;
        EXPECT_EQ(readFile(dir / "victim.txt"), "keep me");
        EXPECT_TRUE(fs::is_symlink(out / "data/link.txt")) << "a link is no file of the wall's";
        std::set<std::string> left = dataFiles(out);
        for (const Planted& p : planted) {
            if (p.kept && p.rel.starts_with("out/data/") && p.rel.find('/', 9) == std::string::npos)
                left.erase(p.rel.substr(9));
        }
        for (const char* other : {"folder", "link.txt"})
            left.erase(other);
        EXPECT_EQ(left, namedPieces(out));
    }
}

TEST(WallFiles, AWallOfNoPhotosHasAnIndexOfNoPieces)
{
    TempDir dir;
    const fs::path out = dir.mkdir("out");
    Indexer job("/photos/", out, "T", true, nullptr);
    job.templateFile = dir.write("template.html", "<html>");
    WallOutput::writeWall(job.wallTarget(), {});
    EXPECT_EQ(readFile(out / "wall.js"), R"(window.KESTOVA_WALL={"format":"kestova-wall","version":1,"generation":")" + generationOf(out) +
                                             R"(","title":"T","root":"/photos","photos":0,"undated":0,"months":[],"pieces":[]};)");
    EXPECT_FALSE(fs::exists(out / "data")) << "no folder is made for no pieces";
    EXPECT_EQ(generationOf(out).size(), 16u);
    EXPECT_EQ(generationOf(out).find_first_not_of("0123456789abcdef"), std::string::npos);
}

TEST(WallFiles, AWallBuiltFromRealPhotosHasPiecesThatHoldItsManifest)
{
    TempDir dir;
    const fs::path src = dir.mkdir("Photos");
    // Every real photo, in folders whose names a piece must escape.
    const std::vector<std::string> folders{"2008/it's \"here\"", "back\\slash", "bad \xFF", ""};
    std::size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(KESTOVA_SHARED_PHOTOS)) {
        if (e.is_regular_file() && e.path().filename() != "README.md")
            copyPhoto(src / folders[n++ % folders.size()] / e.path().filename(), fs::relative(e.path(), KESTOVA_SHARED_PHOTOS).string());
    }
    const fs::path wall = dir / "wall";
    const CliRun run = runCli({"build", src.string(), "--out", wall.string()}, dir.mkdir("home"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string check = std::string("python3 '") + KESTOVA_CHECK_WALL + "' wall '" + wall.string() + "' 2>&1";
    FILE* pipe = popen(check.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string said;
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        said.append(buffer, got);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    EXPECT_EQ(said, "");
    EXPECT_EQ(namedPieces(wall).size(), 2u) << "one piece and its details";
}
