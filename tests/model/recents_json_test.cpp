// The stored form of the recent walls, and path text that keeps every byte.
#include "model/PathText.h"
#include "model/RecentsJson.h"

#include <gtest/gtest.h>

#include <string>

namespace {

QDateTime reference(double seconds)
{
    return RecentsJson::fromReferenceSeconds(seconds);
}

TEST(RecentsJson, WritesTheKeysInOrderWithoutSpaces)
{
    const QList<Recent> recents{
        {QStringLiteral("/media/Card/DCIM"), QStringLiteral("/media/Card/DCIM/_Photo Gallery/index.html"),
         QStringLiteral("Trip \"2019\" é"), 12, reference(1.5)},
        {QStringLiteral("/home/ann/Pictures"), QStringLiteral("/home/ann/Pictures/_Photo Gallery/index.html"),
         QStringLiteral("Pictures"), 0, reference(-86400)},
    };
    EXPECT_EQ(RecentsJson::encode(recents),
              "[{\"root\":\"/media/Card/DCIM\",\"gallery\":\"/media/Card/DCIM/_Photo Gallery/index.html\","
              "\"title\":\"Trip \\\"2019\\\" é\",\"photos\":12,\"updated\":1.5},"
              "{\"root\":\"/home/ann/Pictures\",\"gallery\":\"/home/ann/Pictures/_Photo Gallery/index.html\","
              "\"title\":\"Pictures\",\"photos\":0,\"updated\":-86400}]");
    EXPECT_EQ(RecentsJson::encode({}), "[]");
}

TEST(RecentsJson, ReferenceDateIs2001InUtc)
{
    EXPECT_EQ(reference(0).toUTC().toString(Qt::ISODate).toStdString(), "2001-01-01T00:00:00Z");
    EXPECT_EQ(RecentsJson::referenceSeconds(QDateTime::fromSecsSinceEpoch(0, Qt::UTC)), -978307200.0);
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(1718000000123, Qt::UTC);
    EXPECT_EQ(reference(RecentsJson::referenceSeconds(when)), when);
}

struct DecodeCase {
    const char* name;
    std::string text;
    std::optional<int> entries; ///< nothing: the whole list is unreadable
};

TEST(RecentsJson, ReadsAnyValidFormAndRejectsIncompleteEntries)
{
    const std::string entry = R"({"root":"/a","gallery":"/a/_Photo Gallery/index.html","title":"a","photos":3,"updated":10.25})";
    const DecodeCase cases[] = {
        {"empty list", "[]", 0},
        {"one entry", "[" + entry + "]", 1},
        {"spaces and newlines", " [\n " + entry + " ,\n" + entry + "\n] ", 2},
        {"other key order, unknown keys of every kind",
         R"([{"updated":10.25,"extra":{"a":[1,2,{"b":null}]},"photos":3,"flag":true,"title":"a","gallery":"g","root":"/a","n":-1.5e3}])",
         1},
        {"whole-number updated", R"([{"root":"/a","gallery":"g","title":"a","photos":3,"updated":10}])", 1},
        {"photos written as 3.0", R"([{"root":"/a","gallery":"g","title":"a","photos":3.0,"updated":1}])", 1},
        {"an unfinished wall", R"([{"root":"/a","gallery":"g","title":"a","photos":3,"toDo":520,"updated":1}])", 1},
        {"toDo as text", R"([{"root":"/a","gallery":"g","title":"a","photos":3,"toDo":"520","updated":1}])", std::nullopt},
        {"missing updated", R"([{"root":"/a","gallery":"g","title":"a","photos":3}])", std::nullopt},
        {"one good, one missing root", "[" + entry + R"(,{"gallery":"g","title":"a","photos":3,"updated":1}])",
         std::nullopt},
        {"photos as text", R"([{"root":"/a","gallery":"g","title":"a","photos":"3","updated":1}])", std::nullopt},
        {"photos with a fraction", R"([{"root":"/a","gallery":"g","title":"a","photos":3.5,"updated":1}])", std::nullopt},
        {"root as number", R"([{"root":1,"gallery":"g","title":"a","photos":3,"updated":1}])", std::nullopt},
        {"updated as text", R"([{"root":"/a","gallery":"g","title":"a","photos":3,"updated":"2024"}])", std::nullopt},
        {"element not an object", "[1]", std::nullopt},
        {"an object, not a list", entry, std::nullopt},
        {"cut short", "[" + entry, std::nullopt},
        {"trailing text", "[" + entry + "]x", std::nullopt},
        {"trailing comma", "[" + entry + ",]", std::nullopt},
        {"empty text", "", std::nullopt},
        {"bad number", R"([{"root":"/a","gallery":"g","title":"a","photos":03,"updated":1}])", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto decoded = RecentsJson::decode(c.text);
        ASSERT_EQ(decoded.has_value(), c.entries.has_value()) << c.name;
        if (decoded)
            EXPECT_EQ(decoded->size(), *c.entries) << c.name;
    }
}

TEST(RecentsJson, ReadsTheFieldsBack)
{
    const auto decoded = RecentsJson::decode(
        R"([{"root":"\/caf\u00e9\t","gallery":"g","title":"\ud83d\udcf7 Trip","photos":9007199254740993,"updated":100}])");
    ASSERT_TRUE(decoded && decoded->size() == 1);
    const Recent& r = decoded->front();
    EXPECT_EQ(r.root, QStringLiteral("/café\t"));
    EXPECT_EQ(r.title, QString::fromUtf8("\xF0\x9F\x93\xB7 Trip"));
    EXPECT_EQ(r.photos, 9007199254740993);
    EXPECT_EQ(r.updated, reference(100.0));
}

TEST(RecentsJson, OnlyAnUnfinishedWallCarriesItsMarkAndOldListsReadAsFinished)
{
    Recent r{QStringLiteral("/a"), QStringLiteral("/a/i.html"), QStringLiteral("a"), 2289, reference(2), 4, 520};
    EXPECT_EQ(RecentsJson::encode({r}),
              R"([{"root":"/a","gallery":"/a/i.html","title":"a","photos":2289,"videos":4,"toDo":520,"updated":2}])");
    const auto stored = RecentsJson::decode(RecentsJson::encode({r}));
    ASSERT_TRUE(stored && stored->size() == 1);
    EXPECT_EQ(stored->front().toDo, 520);
    // A list written before the mark existed: every wall in it reads as finished.
    const auto old = RecentsJson::decode(R"([{"root":"/a","gallery":"/a/i.html","title":"a","photos":2292,"updated":2}])");
    ASSERT_TRUE(old && old->size() == 1);
    EXPECT_EQ(old->front().toDo, 0);
    EXPECT_EQ(old->front().photos, 2292);
    r.toDo = 0;
    EXPECT_EQ(RecentsJson::encode({r}), R"([{"root":"/a","gallery":"/a/i.html","title":"a","photos":2289,"videos":4,"updated":2}])");
}

TEST(RecentsJson, RoundTripKeepsEveryField)
{
    const QList<Recent> recents{
        {PathText::fromBytes("/media/caf\xE9/DCIM"), PathText::fromBytes("/media/caf\xE9/DCIM/_Photo Gallery/index.html"),
         PathText::fromBytes("caf\xE9"), 1500, reference(740000000.125)},
        {QStringLiteral("/x"), QStringLiteral("/x/index.html"), QStringLiteral("line\nbreak \u2028"), -1,
         reference(0)},
    };
    const auto decoded = RecentsJson::decode(RecentsJson::encode(recents));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, recents);
    EXPECT_EQ(PathText::toBytes(decoded->front().root), "/media/caf\xE9/DCIM");
}

struct StoredCase {
    const char* name;
    Recent recent;
    std::string text; ///< the list of this one wall, as stored
    std::string rootBytes;
};

// The stored text is the one the list has always had, byte for byte: lists stored before read
// as they did, and the list written now reads in any earlier Kestova.
TEST(RecentsJson, TheStoredTextStaysTheSame)
{
    const StoredCase cases[] = {
        {"a path that is not UTF-8",
         {PathText::fromBytes("/media/caf\xE9/DCIM"), PathText::fromBytes("/media/caf\xE9/DCIM/_Photo Gallery/index.html"),
          PathText::fromBytes("caf\xE9 \xFF"), 1500, reference(740000000.125)},
         R"([{"root":"/media/caf\udce9/DCIM","gallery":"/media/caf\udce9/DCIM/_Photo Gallery/index.html",)"
         R"("title":"caf\udce9 \udcff","photos":1500,"updated":740000000.125}])",
         "/media/caf\xE9/DCIM"},
        {"quotes and a newline",
         {QStringLiteral("/home/ann/\"Trip\"\n2019"), QStringLiteral("/w/index.html"), QStringLiteral("Say \"cheese\"\n"),
          12, reference(-86400.5), 3, 520},
         R"([{"root":"/home/ann/\"Trip\"\n2019","gallery":"/w/index.html","title":"Say \"cheese\"\n",)"
         R"("photos":12,"videos":3,"toDo":520,"updated":-86400.5}])",
         "/home/ann/\"Trip\"\n2019"},
        {"no videos and finished: neither optional key",
         {QString::fromUtf8("/Fotos/Caf\xC3\xA9 \xF0\x9F\x93\xB7"), QStringLiteral("/g"), QStringLiteral("t"), 0, reference(2)},
         "[{\"root\":\"/Fotos/Caf\xC3\xA9 \xF0\x9F\x93\xB7\",\"gallery\":\"/g\",\"title\":\"t\",\"photos\":0,\"updated\":2}]",
         "/Fotos/Caf\xC3\xA9 \xF0\x9F\x93\xB7"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecentsJson::encode({c.recent}), c.text) << c.name;
        const auto decoded = RecentsJson::decode(c.text);
        ASSERT_TRUE(decoded && decoded->size() == 1) << c.name;
        EXPECT_EQ(decoded->front(), c.recent) << c.name;
        EXPECT_EQ(PathText::toBytes(decoded->front().root), c.rootBytes) << c.name;
    }
}

TEST(RecentEquality, CanonicalEquivalenceAndSameInstant)
{
    const Recent composed{QString::fromUtf8("/Fotos/Caf\u00e9"), QStringLiteral("g"), QStringLiteral("t"), 1, reference(5)};
    Recent decomposed = composed;
    decomposed.root = QString::fromUtf8("/Fotos/Cafe\u0301");
    EXPECT_EQ(composed, decomposed);
    Recent otherZone = composed;
    otherZone.updated = composed.updated.toOffsetFromUtc(3600);
    EXPECT_EQ(composed, otherZone);
    Recent morePhotos = composed;
    morePhotos.photos = 2;
    EXPECT_FALSE(composed == morePhotos);
    Recent later = composed;
    later.updated = later.updated.addMSecs(1);
    EXPECT_FALSE(composed == later);
}

struct PathCase {
    std::string bytes;
    qsizetype units; ///< UTF-16 units of the text
};

TEST(PathText, EveryByteComesBack)
{
    const PathCase cases[] = {
        {"/plain/ascii", 12},
        {"/caf\xC3\xA9", 5},            // valid UTF-8
        {"/caf\xE9", 5},                // Latin-1 byte
        {"/\xF0\x9F\x93\xB7", 3},       // a character outside the BMP: two units
        {"/\xED\xA0\x80", 4},           // an encoded surrogate is not UTF-8: three bytes
        {"/\xC0\xAF", 3},               // an overlong "/"
        {"/\xFF\xFE", 3},
        {"/cut\xE2\x82", 6},            // a sequence cut short
    };
    for (const auto& c : cases) {
        const QString text = PathText::fromBytes(c.bytes);
        EXPECT_EQ(text.size(), c.units) << c.bytes;
        EXPECT_EQ(PathText::toBytes(text), c.bytes);
        EXPECT_EQ(PathText::toPath(text).native(), c.bytes);
    }
    EXPECT_EQ(PathText::fromBytes("/caf\xE9").at(4).unicode(), 0xDCE9);
}

} // namespace
