// The sample photo tree: written identically on every run, and holding exactly the photos,
// dates, orientations and clutter that the other tests rely on.
#include <gtest/gtest.h>

#include <vips/vips8>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// One photo of the tree: its pixel size as stored, the EXIF Orientation tag (0 = none), the
// three EXIF date texts ("" = absent) and the file's modification time.
struct PhotoRow {
    const char* rel;
    int width;
    int height;
    int orientation;
    const char* dateTimeOriginal;
    const char* dateTimeDigitized;
    const char* dateTime;
    std::int64_t mtime;
};

// Every photo the walk lists, duplicates included, sorted by path.
const PhotoRow photos[] = {
    {"2019-07-15 Rome/IMG_4001.JPG", 360, 240, 0, "", "", "", 1563185520},
    {"2019-07-15 Rome/IMG_4002.JPG", 240, 360, 0, "", "", "", 1563185670},
    {"Backup/Camera/2015/img_0101.jpg", 360, 240, 1, "2015:03:14 09:26:53", "2015:03:14 09:26:53", "2015:03:14 09:26:53", 1733040060},
    {"Backup/Camera/2016/Img_1120.Jpg", 360, 240, 1, "2016:01:02 11:15:00", "2016:01:02 11:15:00", "2016:01:02 11:15:00", 1733040120},
    {"Backup/Camera/2017/dsc_2001.jpg", 360, 240, 1, "2017:02:11 08:12:45", "2017:02:11 08:12:45", "2017:02:11 08:12:45", 1733040240},
    {"Backup/Family/GRANDMA.JPG", 240, 360, 0, "", "", "", 1733040180},
    {"Camera/2015/IMG_0101.JPG", 360, 240, 1, "2015:03:14 09:26:53", "2015:03:14 09:26:53", "2015:03:14 09:26:53", 1426325243},
    {"Camera/2015/IMG_0102.JPG", 360, 240, 1, "2015:03:14 09:31:07", "2015:03:14 09:31:07", "2015:03:14 09:31:07", 1426325497},
    {"Camera/2015/IMG_0245.JPG", 360, 240, 1, "2015:08:22 18:04:40", "2015:08:22 18:04:40", "2015:08:22 18:04:40", 1440266710},
    {"Camera/2016/IMG_1120.JPG", 360, 240, 1, "2016:01:02 11:15:00", "2016:01:02 11:15:00", "2016:01:02 11:15:00", 1451733330},
    {"Camera/2016/IMG_1388.JPG", 360, 240, 1, "2016:05:28 16:42:19", "2016:05:28 16:42:19", "2016:06:01 20:00:00", 1464453769},
    {"Camera/2016/IMG_1502.JPG", 240, 360, 1, "2016:11:19 14:03:55", "2016:11:19 14:03:55", "2016:11:19 14:03:55", 1479564265},
    {"Camera/2017/DSC_2001.JPG", 360, 240, 1, "2017:02:11 08:12:45", "2017:02:11 08:12:45", "2017:02:11 08:12:45", 1486800795},
    {"Camera/2017/DSC_2044.JPG", 360, 240, 1, "2017:06:30 19:55:02", "2017:06:30 19:55:02", "2017:06:30 19:55:02", 1498852532},
    {"Camera/2018/DSC_3107.JPG", 360, 240, 1, "2018:04:03 10:20:30", "2018:04:03 10:20:30", "2018:04:03 10:20:30", 1522750860},
    {"Camera/2018/DSC_3390.JPG", 240, 360, 1, "2018:12:24 17:45:12", "2018:12:24 17:45:12", "2018:12:24 17:45:12", 1545673542},
    {"Camera/2020/DSCF0412.JPG", 360, 240, 1, "2020:02:29 12:00:00", "2020:02:29 12:00:00", "2020:02:29 12:00:00", 1582977630},
    {"Camera/2020/DSCF0587.JPG", 360, 240, 1, "2020:10:31 20:31:47", "2020:10:31 20:31:47", "2020:10:31 20:31:47", 1604176337},
    {"Camera/2022/DSCF1733.JPG", 360, 240, 1, "2022:05:07 07:07:07", "2022:05:07 07:07:07", "2022:05:07 07:07:07", 1651907257},
    {"Camera/2023/DSCF2290.JPG", 360, 240, 1, "2023:09:16 15:22:10", "2023:09:16 15:22:10", "2023:09:16 15:22:10", 1694877760},
    {"Camera/2024/DSCF3001.JPG", 360, 240, 1, "2024:01:01 00:00:05", "2024:01:01 00:00:05", "2024:01:01 00:00:05", 1704067235},
    {"Camera/2024/DSCF3150.JPG", 360, 240, 1, "2024:07:20 13:48:36", "2024:07:20 13:48:36", "2024:08:02 09:00:00", 1721483346},
    {"Edited/panorama.jpg", 720, 240, 0, "", "", "2022:12:03 16:30:45", 1670085075},
    {"Edited/portrait-crop.jpg", 240, 360, 0, "", "", "2023:03:19 11:11:11", 1679224301},
    {"Edited/sunset-final.jpg", 360, 240, 0, "", "", "2016:08:14 21:03:00", 1471208610},
    {"Family/IMG_1234.JPG", 360, 240, 0, "", "", "", 1391342400},
    {"Family/grandma.jpg", 240, 360, 0, "", "", "", 1337504400},
    {"Family/picnic.jpg", 360, 240, 0, "", "", "", 1370093400},
    {"Formats/animated.gif", 360, 240, 0, "", "", "", 1685617200},
    {"Formats/bitmap.bmp", 240, 160, 0, "", "", "", 1685624400},
    {"Formats/phone.heic", 360, 240, 0, "2021:09:04 17:25:41", "2021:09:04 17:25:41", "2021:09:04 17:25:41", 1630776371},
    {"Formats/photo.webp", 360, 240, 0, "", "", "", 1685620800},
    {"Formats/scan.tif", 360, 240, 0, "", "", "2015:11:28 10:15:00", 1448705730},
    {"Formats/still.gif", 360, 240, 0, "", "", "", 1685613600},
    {"Formats/transparent.png", 360, 240, 0, "", "", "", 1685610000},
    {"July 4, 2020 Fireworks/IMG_5001.JPG", 360, 240, 0, "", "", "", 1593900900},
    {"Orientation/orientation-1.jpg", 360, 240, 1, "2018:06:10 12:00:01", "2018:06:10 12:00:01", "2018:06:10 12:00:01", 1528632031},
    {"Orientation/orientation-3.jpg", 360, 240, 3, "2018:06:10 12:00:03", "2018:06:10 12:00:03", "2018:06:10 12:00:03", 1528632033},
    {"Orientation/orientation-6.jpg", 360, 240, 6, "2018:06:10 12:00:06", "2018:06:10 12:00:06", "2018:06:10 12:00:06", 1528632036},
    {"Orientation/orientation-8.jpg", 360, 240, 8, "2018:06:10 12:00:08", "2018:06:10 12:00:08", "2018:06:10 12:00:08", 1528632038},
    {"Phone/IMG_20210102_120000.jpg", 240, 360, 0, "", "", "", 1609588801},
    {"Phone/IMG_20221231_235959.jpg", 240, 360, 0, "", "", "", 1672531201},
    {"Photos Library.photoslibrary/originals/A/IMG_7001.jpeg", 360, 240, 1, "2023:12:25 08:30:00", "2023:12:25 08:30:00", "2023:12:25 08:30:00", 1703493030},
    {"Photos Library.photoslibrary/originals/B/IMG_7002.jpeg", 240, 360, 1, "2024:02:14 19:45:00", "2024:02:14 19:45:00", "2024:02:14 19:45:00", 1707939930},
    {"Scans/scan0001.jpg", 360, 240, 0, "", "2019:03:02 14:00:00", "", 1551535230},
    {"Scans/scan0002.jpg", 360, 240, 0, "", "2019:03:02 14:05:31", "", 1551535561},
    {"Scans/scan0003.jpg", 360, 240, 0, "", "2021:06:12 10:44:09", "", 1623494679},
    {"Summer 2018/beach.jpg", 360, 240, 0, "", "", "", 1533481200},
    {"Summer 2018/sandcastle.jpg", 360, 240, 0, "", "", "", 1533482400},
    {"Travel/Caf\u00e9 \"Lumi\u00e8re\" 2017.jpg", 240, 360, 1, "2017:10:21 21:10:33", "2017:10:21 21:10:33", "2017:10:21 21:10:33", 1508620263},
    {"Travel/Lisbon 2022/IMG_8810.JPG", 360, 240, 1, "2022:09:03 11:42:00", "2022:09:03 11:42:00", "2022:09:03 11:42:00", 1662205350},
    {"welcome.jpg", 360, 240, 1, "2024:10:05 16:20:00", "2024:10:05 16:20:00", "2024:10:05 16:20:00", 1728145230},
};

// Formats some systems cannot write; the generator leaves them out with a note.
const std::set<std::string> optionalPhotos = {"Formats/bitmap.bmp", "Formats/phone.heic"};

// Copies that duplicate collapsing folds into the original (same name but for case, same bytes).
const std::map<std::string, std::string> duplicateOf = {
    {"Backup/Camera/2015/img_0101.jpg", "Camera/2015/IMG_0101.JPG"},
    {"Backup/Camera/2016/Img_1120.Jpg", "Camera/2016/IMG_1120.JPG"},
    {"Backup/Family/GRANDMA.JPG", "Family/grandma.jpg"},
};

// Real, decodable photos that must never reach the wall: pruned folders and hidden names.
const char* const passedOverPhotos[] = {
    "._IMG_1.jpg",
    ".git/objects/cover.jpg",
    ".hidden.jpg",
    ".thumbnails/normal/f3a1c0de.jpg",
    "Library/Caches/preview.jpg",
    "Photos Library.photoslibrary/resources/derivatives/IMG_7001_thumb.jpg",
    "Projects/website/assets/hero.jpg",
    "Some.app/Contents/Resources/icon.jpg",
    "assets/banner.jpg",
    "node_modules/left-pad/docs/logo.jpg",
};

// Files without a photo extension, and the marker the generator leaves for its next run.
const char* const otherFiles[] = {".kestova-samples", "README", "notes.txt", "photo.jpg.bak"};

const std::map<std::string, std::string> links = {
    {"Link to Family", "Family"},
    {"link-to-photo.jpg", "Camera/2015/IMG_0101.JPG"},
};

class VipsEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(VIPS_INIT("engine_samples_test"), 0); }
};

const testing::Environment* const vipsEnvironment = testing::AddGlobalTestEnvironment(new VipsEnvironment);

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "kestova-samples-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Runs the generator without a shell (the paths hold spaces), its output discarded; returns
// its exit status.
int runTool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> words = {KESTOVA_SAMPLES_TOOL};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::int64_t mtimeOf(const fs::path& path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return -1;
    return st.st_mtim.tv_sec;
}

// Everything below `root` as "kind rel mtime size|target", with the file contents alongside,
// without following links.
struct TreeSnapshot {
    std::vector<std::string> entries;
    std::map<std::string, std::string> contents;
};

TreeSnapshot snapshot(const fs::path& root)
{
    TreeSnapshot result;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const std::string rel = entry.path().lexically_relative(root).string();
        const std::string time = std::to_string(mtimeOf(entry.path()));
        if (entry.is_symlink()) {
            result.entries.push_back("link " + rel + " " + time + " " + fs::read_symlink(entry.path()).string());
        } else if (entry.is_directory()) {
            result.entries.push_back("folder " + rel + " " + time);
        } else {
            result.entries.push_back("file " + rel + " " + time + " " + std::to_string(entry.file_size()));
            result.contents[rel] = readBytes(entry.path());
        }
    }
    std::sort(result.entries.begin(), result.entries.end());
    return result;
}

// An EXIF text as libvips reports it, "2019:07:15 18:30:00 (2019:07:15 18:30:00, ASCII, ...)",
// cut back to the stored value; "" when the tag is absent.
std::string exifText(const vips::VImage& image, const char* field)
{
    if (image.get_typeof(field) == 0)
        return "";
    const std::string text = image.get_string(field);
    return text.substr(0, text.find(" ("));
}

class SampleTree : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        tree_ = new TempDir;
        ASSERT_EQ(runTool({(tree_->path() / "samples").string()}), 0);
    }
    static void TearDownTestSuite()
    {
        delete tree_;
        tree_ = nullptr;
    }
    static fs::path root() { return tree_->path() / "samples"; }
    static bool present(const char* rel) { return fs::exists(fs::symlink_status(root() / rel)); }

private:
    static TempDir* tree_;
};

TempDir* SampleTree::tree_ = nullptr;

TEST_F(SampleTree, TwoRunsWriteIdenticalBytesTimesAndLinks)
{
    TempDir second;
    ASSERT_EQ(runTool({(second.path() / "samples").string()}), 0);
    const TreeSnapshot a = snapshot(root());
    const TreeSnapshot b = snapshot(second.path() / "samples");
    EXPECT_EQ(a.entries, b.entries);
    EXPECT_TRUE(a.contents == b.contents);
}

TEST_F(SampleTree, HoldsExactlyTheListedFilesAndLinks)
{
    std::set<std::string> expected;
    for (const PhotoRow& row : photos)
        if (present(row.rel) || !optionalPhotos.count(row.rel))
            expected.insert(row.rel);
    for (const char* rel : passedOverPhotos)
        expected.insert(rel);
    for (const char* rel : otherFiles)
        expected.insert(rel);
    for (const auto& [rel, target] : links)
        expected.insert(rel);
    expected.insert("broken.jpg");

    std::set<std::string> found;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root()))
        if (!entry.is_directory() || entry.is_symlink())
            found.insert(entry.path().lexically_relative(root()).string());
    EXPECT_EQ(found, expected);
}

TEST_F(SampleTree, PhotosDecodeWithTheirSizesOrientationsDatesAndTimes)
{
    for (const PhotoRow& row : photos) {
        SCOPED_TRACE(row.rel);
        const fs::path path = root() / row.rel;
        if (optionalPhotos.count(row.rel) && !fs::exists(path))
            continue;
        const vips::VImage image = vips::VImage::new_from_file(path.c_str());
        EXPECT_EQ(image.width(), row.width);
        EXPECT_EQ(image.height(), row.height);
        EXPECT_EQ(mtimeOf(path), row.mtime);

        const std::string ext = path.extension().string();
        const bool jpeg = ext == ".jpg" || ext == ".JPG" || ext == ".jpeg" || ext == ".Jpg";
        if (jpeg || ext == ".heic") {
            if (jpeg)
                EXPECT_EQ(image.get_typeof("exif-ifd0-Orientation") ? image.get_int("orientation") : 0,
                          row.orientation);
            EXPECT_EQ(exifText(image, "exif-ifd2-DateTimeOriginal"), row.dateTimeOriginal);
            EXPECT_EQ(exifText(image, "exif-ifd2-DateTimeDigitized"), row.dateTimeDigitized);
            EXPECT_EQ(exifText(image, "exif-ifd0-DateTime"), row.dateTime);
        } else if (ext == ".tif") {
            // libvips does not report TIFF tags beyond the image's own; the text is in the file.
            EXPECT_NE(readBytes(path).find(row.dateTime), std::string::npos);
        } else {
            EXPECT_STREQ(row.dateTimeOriginal, "");
            EXPECT_EQ(exifText(image, "exif-ifd2-DateTimeOriginal"), "");
        }
    }
}

TEST_F(SampleTree, OrientationPhotosLookUprightWhenTurnedAsTagged)
{
    const struct {
        const char* rel;
        int uprightWidth;
        int uprightHeight;
    } rows[] = {
        {"Orientation/orientation-1.jpg", 360, 240},
        {"Orientation/orientation-3.jpg", 360, 240},
        {"Orientation/orientation-6.jpg", 240, 360},
        {"Orientation/orientation-8.jpg", 240, 360},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rel);
        const vips::VImage upright = vips::VImage::new_from_file((root() / row.rel).c_str()).autorot();
        ASSERT_EQ(upright.width(), row.uprightWidth);
        ASSERT_EQ(upright.height(), row.uprightHeight);
        // The white arrow points up: its head is wide near the top, while the same place
        // mirrored top to bottom is darkened landscape beside the narrow shaft.
        const double s = std::min(row.uprightWidth, row.uprightHeight);
        const int x = static_cast<int>(row.uprightWidth / 2.0 + 0.2 * s);
        const int yHead = static_cast<int>(0.08 * row.uprightHeight + 0.30 * s);
        const int yMirror = row.uprightHeight - 1 - yHead;
        const double head = upright.extract_area(x - 2, yHead - 2, 5, 5).avg();
        const double mirror = upright.extract_area(x - 2, yMirror - 2, 5, 5).avg();
        EXPECT_GT(head, 230);
        EXPECT_LT(mirror, 170);
    }
}

TEST_F(SampleTree, CopiesAreTheSameBytesUnderNamesThatDifferOnlyInCase)
{
    for (const auto& [copy, original] : duplicateOf) {
        SCOPED_TRACE(copy);
        EXPECT_EQ(readBytes(root() / copy), readBytes(root() / original));
        std::string a = fs::path(copy).filename().string();
        std::string b = fs::path(original).filename().string();
        std::transform(a.begin(), a.end(), a.begin(), ::tolower);
        std::transform(b.begin(), b.end(), b.begin(), ::tolower);
        EXPECT_EQ(a, b);
        EXPECT_NE(fs::path(copy).filename(), fs::path(original).filename());
    }
    // The re-saved backup keeps its name (but for case) and differs in size.
    EXPECT_NE(fs::file_size(root() / "Backup/Camera/2017/dsc_2001.jpg"),
              fs::file_size(root() / "Camera/2017/DSC_2001.JPG"));
}

TEST_F(SampleTree, PassedOverPhotosAreRealPhotos)
{
    // Were the walk to list them, they would show: their absence from a wall is the pruning.
    for (const char* rel : passedOverPhotos) {
        SCOPED_TRACE(rel);
        const vips::VImage image = vips::VImage::new_from_file((root() / rel).c_str());
        EXPECT_EQ(image.width(), 240);
        EXPECT_EQ(image.height(), 160);
    }
}

TEST_F(SampleTree, BrokenPhotoIsTextThatNoDecoderReads)
{
    EXPECT_THROW(vips::VImage::new_from_file((root() / "broken.jpg").c_str()), vips::VError);
    vips_error_clear();
}

TEST_F(SampleTree, TransparentPngHasClearAndOpaquePixels)
{
    const vips::VImage png = vips::VImage::new_from_file((root() / "Formats/transparent.png").c_str());
    ASSERT_EQ(png.bands(), 4);
    const vips::VImage alpha = png[3];
    EXPECT_EQ(alpha.min(), 0);
    EXPECT_EQ(alpha.max(), 255);
}

TEST_F(SampleTree, AnimatedGifHasTwoFrames)
{
    const vips::VImage gif = vips::VImage::new_from_file((root() / "Formats/animated.gif").c_str());
    EXPECT_EQ(gif.get_int("n-pages"), 2);
}

TEST_F(SampleTree, LinksPointAtAPhotoAndAFolder)
{
    for (const auto& [rel, target] : links) {
        SCOPED_TRACE(rel);
        ASSERT_TRUE(fs::is_symlink(root() / rel));
        EXPECT_EQ(fs::read_symlink(root() / rel), fs::path(target));
        EXPECT_TRUE(fs::exists(root() / rel));
    }
}

TEST_F(SampleTree, RewritesItsOwnTreeButRefusesAnyOtherFolder)
{
    ASSERT_EQ(runTool({root().string()}), 0);
    EXPECT_TRUE(fs::exists(root() / "Camera/2015/IMG_0101.JPG"));

    TempDir user;
    const fs::path keep = user.path() / "my-photo.jpg";
    std::ofstream(keep) << "precious";
    EXPECT_EQ(runTool({user.path().string()}), 1);
    EXPECT_EQ(readBytes(keep), "precious");
    EXPECT_EQ(std::distance(fs::directory_iterator(user.path()), fs::directory_iterator()), 1);

    EXPECT_EQ(runTool({}), 2);
    EXPECT_EQ(runTool({"--tiny", "many", (user.path() / "x").string()}), 2);
}

TEST(SampleBenchSets, TinyPhotosFillFoldersOfTwoHundred)
{
    TempDir dir;
    const fs::path out = dir.path() / "tiny";
    ASSERT_EQ(runTool({"--tiny", "401", out.string()}), 0);
    const struct {
        const char* folder;
        int count;
    } rows[] = {{"batch-00001", 200}, {"batch-00002", 200}, {"batch-00003", 1}};
    for (const auto& row : rows)
        EXPECT_EQ(std::distance(fs::directory_iterator(out / row.folder), fs::directory_iterator()), row.count)
            << row.folder;
    const vips::VImage last = vips::VImage::new_from_file((out / "batch-00003/tiny-0000401.jpg").c_str());
    EXPECT_EQ(last.width(), 16);
    EXPECT_EQ(last.height(), 16);
    EXPECT_EQ(exifText(last, "exif-ifd2-DateTimeOriginal").size(), 19u);
}

TEST(SampleBenchSets, BenchPhotosAreCameraSized)
{
    TempDir dir;
    const fs::path out = dir.path() / "bench";
    ASSERT_EQ(runTool({"--bench-photos", "1", out.string()}), 0);
    const fs::path photo = out / "IMG_0001.JPG";
    const vips::VImage image = vips::VImage::new_from_file(photo.c_str());
    EXPECT_EQ(image.width(), 4000);
    EXPECT_EQ(image.height(), 3000);
    EXPECT_EQ(exifText(image, "exif-ifd2-DateTimeOriginal"), "2015:01:01 08:00:00");
    EXPECT_EQ(exifText(image, "exif-ifd0-Make"), "Canon");
    EXPECT_GE(fs::file_size(photo), 3'000'000u);
    EXPECT_LE(fs::file_size(photo), 5'000'000u);
}

} // namespace
