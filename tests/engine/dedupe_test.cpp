// Duplicate collapsing: same file name ignoring case and same size; the shallowest copy stays.
#include "engine/run/Indexer.h"
#include "engine/walk/Dedupe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

std::vector<std::string> survivors(const std::vector<FileEntry>& input)
{
    std::vector<std::string> out;
    for (const auto& e : dedupe(input))
        out.push_back(e.rel);
    return out;
}

} // namespace

TEST(Dedupe, TheShallowestCopySurvivesWhateverTheOrder)
{
    EXPECT_THAT(survivors({{"2019/IMG_1.JPG", 100, 1}, {"Backup/2019/img_1.jpg", 100, 2}, {"img_1.jpg", 100, 3}}),
                ElementsAre("img_1.jpg"));
    EXPECT_THAT(survivors({{"img_1.jpg", 100, 3}, {"2019/IMG_1.JPG", 100, 1}}), ElementsAre("img_1.jpg"));
}

TEST(Dedupe, AtTheSameDepthTheFirstDeliveredSurvives)
{
    EXPECT_THAT(survivors({{"A/x.jpg", 100, 0}, {"B/X.JPG", 100, 0}}), ElementsAre("A/x.jpg"));
    EXPECT_THAT(survivors({{"B/X.JPG", 100, 0}, {"A/x.jpg", 100, 0}}), ElementsAre("B/X.JPG"));
}

TEST(Dedupe, DifferentSizesOrNamesAreNotCopies)
{
    EXPECT_THAT(survivors({{"x.jpg", 100, 0}, {"sub/x.jpg", 101, 0}}), ElementsAre("sub/x.jpg", "x.jpg"));
    EXPECT_THAT(survivors({{"x.jpg", 100, 0}, {"x.jpeg", 100, 0}}), ElementsAre("x.jpeg", "x.jpg"));
    // Sizes that could not be read (0) still collapse: the name and the size agree.
    EXPECT_THAT(survivors({{"a/x.jpg", 0, 0}, {"x.jpg", 0, 0}}), ElementsAre("x.jpg"));
}

TEST(Dedupe, CanonicallyEquivalentAndUnicodeCaseNamesAreCopies)
{
    const std::string composed = "caf\xC3\xA9.jpg";      // é precomposed
    const std::string decomposed = "cafe\xCC\x81.jpg";  // e + combining acute
    const std::string upper = "CAF\xC3\x89.JPG";        // É
    EXPECT_EQ(dedupe({{"a/" + composed, 5, 0}, {"b/" + decomposed, 5, 0}, {"c/" + upper, 5, 0}}).size(), 1u);
    // Names that are not UTF-8 are compared by their bytes, so two different ones stay apart.
    EXPECT_EQ(dedupe({{"a/\xFF.jpg", 5, 0}, {"b/\xFE.jpg", 5, 0}}).size(), 2u);
}

TEST(Dedupe, OutputIsSortedByCodePointsAfterNormalisation)
{
    EXPECT_THAT(survivors({{"a.jpg", 1, 0}, {"B.jpg", 2, 0}, {"\xC3\xA9.jpg", 3, 0}, {"Z/a.jpg", 4, 0}, {"_.jpg", 5, 0}}),
                ElementsAre("B.jpg", "Z/a.jpg", "_.jpg", "a.jpg", "\xC3\xA9.jpg"));
    EXPECT_TRUE(dedupe({}).empty());
}

TEST(Dedupe, EntriesAreReturnedUnchanged)
{
    const auto out = dedupe({{"Deep/Er/X.JPG", 7, -5}});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], (FileEntry{"Deep/Er/X.JPG", 7, -5}));
}

TEST(Dedupe, WithContentOnlyCopiesWhoseContentAgreesCollapseAndOnlyCandidatesAreRead)
{
    const std::vector<FileEntry> entries{{"Roll01/scan001.tif", 9, 0}, {"Roll02/scan001.tif", 9, 0},
                                         {"Roll03/scan001.tif", 9, 0}, {"Backup/Roll01/scan001.tif", 9, 0},
                                         {"Roll01/alone.tif", 9, 0},   {"Roll04/scan001.tif", 9, 0}};
    std::vector<std::string> asked;
    const auto content = [&](const FileEntry& e) -> std::optional<std::string> {
        asked.push_back(e.rel);
        if (e.rel.starts_with("Roll04"))
            return std::nullopt; // unreadable: no proven copy
        return e.rel.ends_with("Roll01/scan001.tif") ? "first roll" : e.rel.substr(0, 6);
    };
    std::vector<std::string> kept;
    for (const auto& e : dedupe(entries, content))
        kept.push_back(e.rel);
    EXPECT_THAT(kept, ElementsAre("Roll01/alone.tif", "Roll01/scan001.tif", "Roll02/scan001.tif", "Roll03/scan001.tif",
                                  "Roll04/scan001.tif"));
    EXPECT_EQ(asked.size(), 5u) << "alone.tif shares its name with nothing and is not read";

    // A stop while the samples are read ends the collapsing.
    EXPECT_THROW(dedupe(entries, [](const FileEntry&) -> std::optional<std::string> { throw JobCancelled(); }),
                 JobCancelled);
}
