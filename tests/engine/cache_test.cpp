// The progress cache: the file's shape rules, round trips, the reuse test and pruning.
#include "engine/run/Indexer.h"
#include "engine/cache/CacheFormat.h"
#include "engine/cache/ProgressCache.h"
#include "engine/base/Json.h"
#include "engine/run/ReuseTest.h"

#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

CacheRecord record(const std::string& key, std::int64_t mtime, std::int64_t size)
{
    return Record::make(key, 4000, 3000, "2019:07:15 18:30:05", mtime, size);
}

struct Job {
    TempDir dir;
    Indexer job{dir / "src", dir / "out", "t", true, nullptr};
    void writeCache(std::string_view text) const { dir.write("out/.cache.json", text); }
    void touchThumb(const std::string& key) const { dir.write("out/thumbs/" + key.substr(0, 2) + "/" + key + ".jpg"); }
    /// The reuse test as a run makes it, with the thumbnails listed afresh.
    bool canReuse(const FileEntry& entry, const CacheMap& map) const
    {
        ThumbIndex thumbs(job.wall.thumbDir());
        return ProgressCache::canReuse(entry, map, thumbs);
    }
};

} // namespace

TEST(CacheFile, ShapesThatAreNotAnObjectOfArraysReadAsEmpty)
{
    const char* bad[] = {
        "",
        "garbage",
        "[]",
        "[[\"k\",1,2,\"\",3,4]]",
        "{\"a.jpg\":5}",
        "{\"a.jpg\":[\"k\",1,2,\"\",3,4],\"b.jpg\":{\"x\":1}}",
        "{\"a.jpg\":[\"k\",1,2,\"\",3,4]",
        "{\"a.jpg\":[\"k\",1,2,\"\",3,4]} trailing",
        "\"just a string\"",
        "{\"a.jpg\":[\"k\",01]}",
        "{\"a.jpg\":[\"unterminated]}",
        "{\"a\x01.jpg\":[]}",
    };
    for (const char* text : bad)
        EXPECT_FALSE(CacheFormat::parse(text).has_value()) << text;
    EXPECT_EQ(CacheFormat::parse("{}")->size(), 0u);
}

TEST(CacheFile, ARecordDamagedPastReadingIsLeftOutAndOtherValuesBeyondItsSixReadAsUnknown)
{
    const auto map = CacheFormat::parse(
        R"( { "a.jpg" : [ "k", 1, 2, "d", 3, 4, {"x":[1,2]}, [true,false,null], "hevc", 5, null, 6, 7, "more" ],)"
        R"(   "fraction.jpg" : ["k", 1.5, 2, "", 3, 4], "huge.jpg" : ["k", 1, 2, "", 3, 99999999999999999999],)"
        R"(   "five.jpg" : ["k", 1, 2, "", 3], "textTime.jpg" : ["k", 1, 2, "", "3", 4], "numberKey.jpg" : [7, 1, 2, "", 3, 4],)"
        R"(   "stamped.jpg" : ["k", 1, 2, "", 3, 4, 0, 0, "", "", 5, 6, ""] } )");
    ASSERT_TRUE(map);
    EXPECT_EQ(map->size(), 2u) << "only the records whose six values are of their kinds";
    const CacheRecord& a = map->at("a.jpg");
    EXPECT_EQ(a, (CacheRecord{"k", 1, 2, "d", 3, 4, {0, 0, "hevc", ""}, std::nullopt, std::nullopt}))
        << "the codec as read; the stamp and the details unknown";
    EXPECT_EQ(map->at("stamped.jpg"), Record::withDetails(Record::make("k", 1, 2, "", 3, 4, {}, {5, 6}), {}));
}

TEST(CacheFile, ARecordIsWrittenInThePositionsItsValuesNeed)
{
    const Record::Details details{"Cam", "", 0, 0, 0, 0, 0, std::nullopt};
    const struct {
        CacheRecord record;
        std::string text;
    } rows[] = {
        {Record::make("k", 1, 2, "d", 3, 4), R"(["k",1,2,"d",3,4])"},
        {Record::make("k", 1, 2, "", 3, 4, {Record::hasPreview, 9, "x", "y"}), R"(["k",1,2,"",3,4,1])"},
        {Record::make("k", 1, 2, "", 3, 4, {Record::isVideo, 9, "h264", "y"}), R"(["k",1,2,"",3,4,2,9,"h264"])"},
        {Record::make("k", 1, 2, "", 3, 4, {Record::isLive, 9, "hevc", "a.mov"}), R"(["k",1,2,"",3,4,4,9,"hevc","a.mov"])"},
        {Record::make("k", 1, 2, "", 3, 4, {}, {5, 6}), R"(["k",1,2,"",3,4,0,0,"","",5,6])"},
        {Record::withDetails(Record::make("k", 1, 2, "", 3, 4), details), R"(["k",1,2,"",3,4,0,0,"","",null,null,"Cam\t\t\t\t\t\t\t\t"])"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CacheFormat::recordText(row.record), row.text);
        EXPECT_EQ(CacheFormat::parseRecord(row.text), row.record) << row.text;
    }
}

TEST(CacheFile, EscapedAndPlainSlashesReadTheSame)
{
    const auto a = CacheFormat::parse(R"({"2019\/Rome\/a.jpg":["k",1,2,"",3,4]})");
    const auto b = CacheFormat::parse(R"({"2019/Rome/a.jpg":["k",1,2,"",3,4]})");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, *b);
    EXPECT_TRUE(a->contains("2019/Rome/a.jpg"));
}

TEST(CacheFile, AnyNameSurvivesARoundTrip)
{
    CacheMap map;
    for (const std::string& name : std::vector<std::string>{"plain.jpg", "2019/Rome/a b.jpg", "quote\"back\\slash.jpg", "new\nline\ttab.jpg",
                                   "caf\xC3\xA9 \xF0\x9F\x93\xB7.jpg", "bad\xFF\xC3(.jpg", "\xED\xA0\x80surrogate.jpg",
                                   "sep\xE2\x80\xA8.jpg", std::string("nul\0byte.jpg", 12)})
        map[name] = record("0123456789abcdef", -1, 1LL << 40);
    const std::string text = CacheFormat::serialize(map);
    const auto back = CacheFormat::parse(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, map);
}

TEST(CacheFile, WrittenTextIsCompactJsonWithPlainSlashes)
{
    CacheMap map{{"a/b.jpg", Record::make("k", 1, 2, "", 3, 4)}};
    EXPECT_EQ(CacheFormat::serialize(map), R"({"a/b.jpg":["k",1,2,"",3,4]})");
    EXPECT_EQ(CacheFormat::serialize({}), "{}");
    // In the order of the paths, whatever the map's own.
    CacheMap three{{"b.jpg", Record::make("k", 1, 2, "", 3, 4)}, {"a/c.jpg", Record::make("k", 1, 2, "", 3, 4)},
                   {"a.jpg", Record::make("k", 1, 2, "", 3, 4)}};
    EXPECT_EQ(CacheFormat::serialize(three), R"({"a.jpg":["k",1,2,"",3,4],"a/c.jpg":["k",1,2,"",3,4],"b.jpg":["k",1,2,"",3,4]})");
    // Read back, the records come in that order too; from a file in another order, in none.
    CacheInOrder inOrder;
    const auto back = CacheFormat::parse(CacheFormat::serialize(three), &inOrder);
    ASSERT_EQ(inOrder.size(), 3u);
    EXPECT_EQ(inOrder[1]->first, "a/c.jpg");
    EXPECT_EQ(&inOrder[1]->second, &back->at("a/c.jpg"));
    for (const char* text : {R"({"b.jpg":["k",1,2,"",3,4],"a.jpg":["k",1,2,"",3,4]})",
                             R"({"a.jpg":["k",1,2,"",3,4],"a.jpg":["k",1,2,"",3,5]})"}) {
        ASSERT_TRUE(CacheFormat::parse(text, &inOrder)) << text;
        EXPECT_TRUE(inOrder.empty()) << text;
    }
    EXPECT_FALSE(CacheFormat::parse(R"({"a.jpg":["k",1,2,"",3,4],"b.jpg":5})", &inOrder));
    EXPECT_TRUE(inOrder.empty()) << "nothing of a file that does not read";
}

TEST(CacheFile, JsonStringsEscapeWhatJavaScriptNeeds)
{
    EXPECT_EQ(Json::quoted("a/b"), "\"a/b\"");
    EXPECT_EQ(Json::quoted("\"\\\n\r\t\b\f\x01\x7f"), R"("\"\\\n\r\t\b\f\u0001\u007f")");
    EXPECT_EQ(Json::quoted("\xE2\x80\xA8\xE2\x80\xA9"), R"("\u2028\u2029")");
    EXPECT_EQ(Json::quoted("\xFF" "a\xC3"), R"("\udcffa\udcc3")");
    EXPECT_EQ(Json::quoted("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
    EXPECT_EQ(Json::quoted("</script>"), "\"</script>\"");
}

TEST(CacheStore, LoadingAMissingOrBrokenFileGivesAnEmptyMapAndSavingReplacesIt)
{
    Job j;
    EXPECT_TRUE(ProgressCache::loadCache(j.job.wall.cacheURL()).empty());
    j.dir.mkdir("out");
    j.writeCache("{\"a.jpg\":5}");
    EXPECT_TRUE(ProgressCache::loadCache(j.job.wall.cacheURL()).empty());
    CacheMap map{{"a.jpg", record("k1", 10, 20)}, {"b/c.jpg", record("k2", 11, 21)}};
    ProgressCache::saveCache(j.job.wall.cacheURL(), map);
    EXPECT_EQ(ProgressCache::loadCache(j.job.wall.cacheURL()), map);
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(j.dir / "out")) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(CacheStore, AFailedSaveIsSilentAndKeepsTheOldFile)
{
    Job j;
    ProgressCache::saveCache(j.job.wall.cacheURL(), {{"a.jpg", record("k", 1, 2)}}); // the output folder does not exist
    EXPECT_FALSE(std::filesystem::exists(j.job.wall.cacheURL()));
}

TEST(CacheReuse, EveryConditionMustHold)
{
    Job j;
    const FileEntry entry{"a/b.jpg", 20, 10};
    const std::string key = WallPaths::key("a/b.jpg");
    CacheMap map{{"a/b.jpg", record(key, 10, 20)}};
    EXPECT_FALSE(j.canReuse(entry, map)) << "no thumbnail yet";
    j.touchThumb(key);
    EXPECT_TRUE(j.canReuse(entry, map));

    EXPECT_FALSE(j.canReuse({"a/other.jpg", 20, 10}, map)) << "no record";
    EXPECT_FALSE(j.canReuse({"a/b.jpg", 20, 11}, map)) << "mtime changed by one second";
    EXPECT_FALSE(j.canReuse({"a/b.jpg", 21, 10}, map)) << "size changed";

    const auto seven = CacheFormat::parse(R"({"a/b.jpg":[")" + key + R"(",1,2,"",10,20,"extra"]})");
    ASSERT_TRUE(seven);
    EXPECT_TRUE(j.canReuse(entry, *seven)) << "a value of another kind beyond the six is fine";
}

TEST(CacheReuse, AWallOfThousandsIsSortedOutInTheWalksOrder)
{
    // Enough photos for the test to run in two halves at once; two of them out of the paths'
    // order, as names that are not in NFC leave them.
    Job j;
    CacheMap map;
    std::vector<FileEntry> entries;
    for (int i = 0; i < 6000; ++i) {
        const std::string rel = "f/" + std::to_string(10000 + i) + ".jpg";
        entries.push_back({rel, 20, 10, {}, 5, i + 1});
        char key[17];
        std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(i + 1) * 0x9E3779B97F4A7C15ull);
        if (i % 7 != 0)
            map[rel] = Record::withDetails(record(key, i % 5 != 0 ? 10 : 9, 20), {});
        if (i % 11 != 0)
            j.touchThumb(key);
    }
    std::swap(entries[12], entries[4001]);
    std::vector<std::string> todo, changed;
    for (const FileEntry& entry : entries) {
        const int i = std::stoi(entry.rel.substr(2)) - 10000;
        if (i % 7 == 0 || i % 5 == 0 || i % 11 == 0)
            todo.push_back(entry.rel);
        if (i % 7 != 0 && i % 5 == 0)
            changed.push_back(entry.rel);
    }
    // Found by lookups alone, and by going through the records as the cache file holds them.
    for (const bool inFileOrder : {false, true}) {
        SCOPED_TRACE(inFileOrder ? "in the file's order" : "looked up");
        CacheInOrder inOrder;
        CacheMap read = *CacheFormat::parse(CacheFormat::serialize(map), inFileOrder ? &inOrder : nullptr);
        EXPECT_EQ(inOrder.size(), inFileOrder ? read.size() : 0u);
        auto files = ProgressCache::WallIndex::of(j.job.wall);
        files.listFor(read);
        const ReuseTest test = testReuse(entries, read, files, {}, inOrder);
        std::vector<std::string> done;
        for (const FileEntry& entry : test.todo)
            done.push_back(entry.rel);
        EXPECT_EQ(done, todo);
        EXPECT_THAT(test.changed, testing::UnorderedElementsAreArray(changed));
        EXPECT_EQ(test.reused, entries.size() - todo.size());
        // The records reused, and only they, now carry their file's stamp; the two out of order too.
        ASSERT_TRUE(test.adoptedStamps);
        EXPECT_EQ(read.at("f/10001.jpg").stamp, (Record::FileStamp{5, 2}));
        EXPECT_EQ(read.at("f/10012.jpg").stamp, (Record::FileStamp{5, 13}));
        EXPECT_EQ(read.at("f/14001.jpg").stamp, (Record::FileStamp{5, 4002}));
        EXPECT_FALSE(read.at("f/10005.jpg").stamp);
    }
}

TEST(CachePrune, OnlyTheRunsEntriesStay)
{
    CacheMap map{{"a.jpg", record("k1", 1, 2)}, {"gone.jpg", record("k2", 1, 2)}, {"b/c.jpg", record("k3", 1, 2)}};
    ProgressCache::prune(map, {{"a.jpg", 2, 1}, {"b/c.jpg", 2, 1}, {"new.jpg", 2, 1}});
    EXPECT_EQ(map.size(), 2u);
    EXPECT_TRUE(map.contains("a.jpg"));
    EXPECT_TRUE(map.contains("b/c.jpg"));
}
