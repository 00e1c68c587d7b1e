// Path dates with remembered folders: the same answer as Dates::fromPath for every path, in any order.
#include "dates/PathDates.h"

#include "dates/Dates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// Folders and file names that hold each kind of evidence, and none; joined below into paths
// whose file name and folders disagree in every way the search order can tell apart.
const std::vector<std::string> folders{
    "", "2019", "2019-07-15", "Trips/2018", "2018/July 4, 2019", "a/20190715/b", "Rome", "1989/2036",
    "2019-02-31", "x//y", "/lead", "caf\xC3\xA9 2017", "\xFF\xFE 2016-01-02", "20200101/2019"};
const std::vector<std::string> names{
    "IMG_1.jpg", "2020.jpg", "2020-01-02.jpg", "IMG_20210303_1.jpg", "March 3, 2021.jpg", "1985.jpg",
    "", "trailing/", "2019 2018.jpg", "\xC3.jpg", "00012019.jpg"};

std::vector<std::string> allPaths()
{
    std::vector<std::string> paths;
    for (const auto& folder : folders) {
        for (const auto& name : names)
            paths.push_back(folder.empty() ? name : folder + "/" + name);
    }
    return paths;
}

TEST(PathDates, AgreesWithFromPathForEveryPath)
{
    Dates::PathDates memo;
    for (const auto& path : allPaths())
        EXPECT_EQ(memo.fromPath(path), Dates::fromPath(path)) << path;
}

TEST(PathDates, AgreesInAnyOrderAndWhenAskedAgain)
{
    std::vector<std::string> paths = allPaths();
    std::mt19937 random(20190715);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(paths.begin(), paths.end(), random);
        Dates::PathDates memo;
        for (int twice = 0; twice < 2; ++twice) {
            for (const auto& path : paths)
                EXPECT_EQ(memo.fromPath(path), Dates::fromPath(path)) << path << " round " << round;
        }
    }
}

TEST(PathDates, FileNameAndFolderEvidenceInSearchOrder)
{
    constexpr std::int64_t jul15_2019_noon = 1563192000;
    constexpr std::int64_t jan02_2020_noon = 1577966400;
    constexpr std::int64_t jun15_2020_noon = 1592222400;
    constexpr std::int64_t jun15_2018_noon = 1529064000;
    Dates::PathDates memo;
    using Date = Dates::PathDates::Date;
    EXPECT_EQ(memo.fromPath("2019-07-15/2020-01-02.jpg"), (Date{{jan02_2020_noon, "path"}})) << "full date in the name";
    EXPECT_EQ(memo.fromPath("2019-07-15/2020.jpg"), (Date{{jul15_2019_noon, "path"}})) << "full date in a folder";
    EXPECT_EQ(memo.fromPath("2018/2020.jpg"), (Date{{jun15_2020_noon, "year"}})) << "year in the name";
    EXPECT_EQ(memo.fromPath("2018/IMG_1.jpg"), (Date{{jun15_2018_noon, "year"}})) << "year in a folder";
    EXPECT_EQ(memo.fromPath("Rome/IMG_1.jpg"), std::nullopt);
}

} // namespace
