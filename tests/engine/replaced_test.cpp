// A photo replaced or edited under the same name gets a new thumbnail; an unchanged one keeps
// its thumbnail even when the progress cache is lost. Runs kestova-cli on real camera files.
#include "engine/run/Indexer.h"
#include "engine/cache/CacheFormat.h"

#include "CliProcess.h"
#include "TempDir.h"

#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const fs::path photos = KESTOVA_SHARED_PHOTOS;
constexpr time_t taken = 1600000000; // September 2020

/// A memory card copied into a folder, and its wall in the default place inside it.
struct Card {
    TempDir dir;
    fs::path src = dir.mkdir("card");
    fs::path home = dir.mkdir("home");
    const std::string rel = "DCIM/100CANON/IMG_0001.JPG";

    /// Puts `camera` (a shared photo, or a file of our own) at rel with the given time.
    void put(const fs::path& camera, time_t mtime) const { putAt(src, camera, mtime); }
    void putAt(const fs::path& root, const fs::path& camera, time_t mtime) const
    {
        fs::create_directories((root / rel).parent_path());
        fs::copy_file(camera, root / rel, fs::copy_options::overwrite_existing);
        fs::permissions(root / rel, fs::perms::owner_write, fs::perm_options::add);
        setMtime(root / rel, mtime);
    }
    static fs::path thumbOf(const fs::path& root, const std::string& rel)
    {
        const std::string key = WallPaths::key(rel);
        return root / "_Photo Gallery/thumbs" / key.substr(0, 2) / (key + ".jpg");
    }
    fs::path thumb() const { return thumbOf(src, rel); }

    void build(const fs::path& root) const
    {
        const CliRun run = runCli({"build", root.string()}, home);
        ASSERT_EQ(run.status, 0) << run.err;
        ASSERT_NE(run.out.find("1 photo ready"), std::string::npos) << run.out;
    }
    void build() const { build(src); }

    /// The thumbnail a wall made from nothing but this photo file shows.
    std::string freshThumbnailOf(const fs::path& file) const
    {
        const fs::path other = dir / ("fresh-" + std::to_string(++fresh));
        putAt(other, file, taken);
        build(other);
        return readFile(thumbOf(other, rel));
    }
    mutable int fresh = 0;
};

/// A copy of a landscape photo whose orientation tag another program has set to `orientation`.
fs::path withOrientation(const fs::path& dir, int orientation)
{
    const fs::path file = dir / ("turned-" + std::to_string(orientation) + ".jpg");
    fs::copy_file(photos / "orientation/Landscape_1.jpg", file, fs::copy_options::overwrite_existing);
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    auto image = Exiv2::ImageFactory::open(file.string());
    image->readMetadata();
    image->exifData()["Exif.Image.Orientation"] = std::uint16_t(orientation);
    image->writeMetadata();
    return file;
}

/// Sets the orientation tag of the photo itself, as `exiftool -P -Orientation=…` does: the
/// file keeps its size, and its modification time is put back.
void editOrientationInPlace(const fs::path& file, int orientation)
{
    struct stat st{};
    stat(file.c_str(), &st);
    auto image = Exiv2::ImageFactory::open(file.string());
    image->readMetadata();
    image->exifData()["Exif.Image.Orientation"] = std::uint16_t(orientation);
    image->writeMetadata();
    const timespec times[2] = {st.st_atim, st.st_mtim};
    utimensat(AT_FDCWD, file.c_str(), times, 0);
}

std::int64_t mtimeOf(const fs::path& file)
{
    struct stat st{};
    stat(file.c_str(), &st);
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

} // namespace

TEST(Replaced, APhotoReplacedUnderItsNameShowsTheNewPictureWhateverItsTime)
{
    Card card;
    const std::string nikon = card.freshThumbnailOf(photos / "cameras/Nikon_D70.jpg");
    const std::string pentax = card.freshThumbnailOf(photos / "cameras/Pentax_K10D.jpg");
    card.put(photos / "cameras/Canon_40D.jpg", taken);
    card.build();
    const std::string canon = readFile(card.thumb());
    ASSERT_FALSE(canon.empty());
    ASSERT_NE(canon, nikon);

    // Another photo copied over it later.
    card.put(photos / "cameras/Nikon_D70.jpg", taken + 3600);
    card.build();
    EXPECT_EQ(readFile(card.thumb()), nikon);

    // A reformatted card's new IMG_0001.JPG, older than the one the wall last saw and far
    // older than the thumbnail on disk.
    card.put(photos / "cameras/Pentax_K10D.jpg", taken - 86400 * 365);
    card.build();
    EXPECT_EQ(readFile(card.thumb()), pentax);
}

TEST(Replaced, AnOrientationFixedInAnotherProgramTurnsTheThumbnail)
{
    Card card;
    const fs::path upright = withOrientation(card.dir.path(), 1);
    const fs::path turned = withOrientation(card.dir.path(), 6);
    const std::string turnedThumb = card.freshThumbnailOf(turned);
    card.put(upright, taken);
    card.build();
    const std::string before = readFile(card.thumb());
    ASSERT_NE(before, turnedThumb);

    card.put(turned, taken + 60);
    card.build();
    EXPECT_EQ(readFile(card.thumb()), turnedThumb);
}

TEST(Replaced, WithTheCacheLostAThumbnailOlderThanThePhotoIsMadeAgainAndANewerOneKept)
{
    Card card;
    const std::string nikon = card.freshThumbnailOf(photos / "cameras/Nikon_D70.jpg");
    card.put(photos / "cameras/Canon_40D.jpg", taken);
    card.build();
    const fs::path cache = card.src / "_Photo Gallery/.cache.json";

    // Unchanged photo, cache gone: the thumbnail stands, untouched.
    const std::int64_t written = mtimeOf(card.thumb());
    fs::remove(cache);
    card.build();
    EXPECT_EQ(mtimeOf(card.thumb()), written);

    // Cache gone and the photo replaced after its thumbnail was made.
    setMtime(card.thumb(), taken + 10);
    card.put(photos / "cameras/Nikon_D70.jpg", taken + 20);
    fs::remove(cache);
    card.build();
    EXPECT_EQ(readFile(card.thumb()), nikon);
}

TEST(Replaced, AnOrientationEditedInPlaceKeepingSizeAndTimeTurnsTheThumbnail)
{
    Card card;
    const fs::path upright = withOrientation(card.dir.path(), 1);
    const std::string turnedThumb = card.freshThumbnailOf(withOrientation(card.dir.path(), 6));
    card.put(upright, taken);
    card.build();
    ASSERT_NE(readFile(card.thumb()), turnedThumb);

    const fs::path photo = card.src / card.rel;
    const auto size = fs::file_size(photo);
    const std::int64_t time = mtimeOf(photo);
    editOrientationInPlace(photo, 6);
    ASSERT_EQ(fs::file_size(photo), size);
    ASSERT_EQ(mtimeOf(photo), time);
    card.build();
    EXPECT_EQ(readFile(card.thumb()), turnedThumb);
}

TEST(Replaced, AWallCachedBeforeStampsWereKeptKeepsItsThumbnailsAndThenTellsAnEdit)
{
    Card card;
    card.put(withOrientation(card.dir.path(), 1), taken);
    card.build();
    const fs::path cacheFile = card.src / "_Photo Gallery/.cache.json";

    // The cache as an older build wrote it: records end before the stamp.
    auto cache = CacheFormat::parse(readFile(cacheFile));
    ASSERT_TRUE(cache && cache->size() == 1);
    for (auto& [rel, record] : *cache) {
        ASSERT_TRUE(record.stamp) << "a new record carries its stamp";
        record.stamp.reset();
        record.details.reset();
    }
    std::ofstream(cacheFile, std::ios::binary | std::ios::trunc) << CacheFormat::serialize(*cache);

    // Such a build kept no details either: the photo's metadata is read again, its thumbnail stays.
    const std::string made = readFile(card.thumb());
    const auto madeAt = fs::last_write_time(card.thumb());
    Indexer job(card.src, card.src / "_Photo Gallery", "Card", true, nullptr);
    job.templateFile = KESTOVA_TEMPLATE;
    const JobSummary summary = job.run();
    EXPECT_EQ(summary.photos, 1);
    EXPECT_EQ(readFile(card.thumb()), made);
    EXPECT_EQ(fs::last_write_time(card.thumb()), madeAt) << "an unchanged photo's thumbnail was made again";
    const auto adopted = CacheFormat::parse(readFile(cacheFile));
    ASSERT_TRUE(adopted && adopted->size() == 1);
    EXPECT_TRUE(adopted->begin()->second.stamp) << "the stamp seen now is kept";

    // From then on an edit in place is told.
    const std::string before = readFile(card.thumb());
    editOrientationInPlace(card.src / card.rel, 6);
    card.build();
    EXPECT_NE(readFile(card.thumb()), before);
}
