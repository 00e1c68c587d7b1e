// The contents of the bundled sample tree.
#include "SampleTree.h"

#include "Encoders.h"
#include "ExifStamp.h"
#include "Orientation.h"
#include "Scene.h"

#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace samples {
namespace {

enum class Role { wall, duplicate, unreadable, ignored };

struct Photo {
    std::string rel;
    std::string caption;
    ExifFields exif;
    int width = 360;
    int height = 240;
    /// When absent: the photo's first date plus half a minute, as a camera writes the file.
    std::optional<std::int64_t> mtime;
};

const ExifFields noExif;

std::uint64_t seedOf(std::string_view text)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL; // FNV-1a
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::int64_t secondsOfExifDate(const std::string& text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6)
        throw std::logic_error("malformed sample date " + text);
    return utcSeconds(y, mo, d, h, mi, s);
}

std::int64_t mtimeOf(const Photo& photo)
{
    if (photo.mtime)
        return *photo.mtime;
    const ExifFields& e = photo.exif;
    const auto& date = e.dateTimeOriginal ? e.dateTimeOriginal : e.dateTimeDigitized ? e.dateTimeDigitized : e.dateTime;
    if (!date)
        throw std::logic_error("sample " + photo.rel + " needs a modification time");
    return secondsOfExifDate(*date) + 30;
}

/// EXIF as a camera writes it: all three dates equal, unless the photo was edited later.
ExifFields camera(const char* make, const char* model, const char* taken, const char* edited = nullptr)
{
    ExifFields e;
    e.make = make;
    e.model = model;
    e.orientation = 1;
    e.dateTimeOriginal = taken;
    e.dateTimeDigitized = taken;
    e.dateTime = edited ? edited : taken;
    return e;
}

ExifFields scanned(const char* digitized)
{
    ExifFields e;
    e.make = "EPSON";
    e.model = "Perfection V600";
    e.dateTimeDigitized = digitized;
    return e;
}

ExifFields editedOnly(const char* dateTime)
{
    ExifFields e;
    e.dateTime = dateTime;
    return e;
}

constexpr const char* canon = "Canon";
constexpr const char* canonModel = "Canon EOS 70D";
constexpr const char* nikon = "NIKON CORPORATION";
constexpr const char* nikonModel = "NIKON D7200";
constexpr const char* fuji = "FUJIFILM";
constexpr const char* fujiModel = "X-T3";
constexpr const char* apple = "Apple";

class TreeWriter {
public:
    explicit TreeWriter(const OutputTree& tree) : tree_(tree) {}

    SampleCounts counts;

    void put(const std::string& rel, const Bytes& bytes, std::int64_t mtime, Role role)
    {
        tree_.writeFile(rel, bytes, mtime);
        written_[rel] = bytes;
        switch (role) {
        case Role::wall: ++counts.wallPhotos; break;
        case Role::duplicate: ++counts.duplicates; break;
        case Role::unreadable: ++counts.unreadable; break;
        case Role::ignored: ++counts.ignored; break;
        }
    }

    void jpeg(const Photo& photo, Role role = Role::wall, int quality = 86)
    {
        const Canvas canvas = paintLandscape(seedOf(photo.rel), photo.caption, {photo.width, photo.height, 3, 6});
        Bytes bytes = encodeJpeg(canvas, quality);
        if (!photo.exif.empty())
            bytes = withExif(bytes, photo.exif);
        put(photo.rel, bytes, mtimeOf(photo), role);
    }

    void orientation(int value, const char* taken)
    {
        const bool portrait = value == 6 || value == 8;
        const int w = portrait ? 240 : 360;
        const int h = portrait ? 360 : 240;
        const std::string rel = "Orientation/orientation-" + std::to_string(value) + ".jpg";
        const Canvas upright = paintUpArrow(seedOf(rel), "ORIENTATION " + std::to_string(value), w, h);
        ExifFields exif = camera(canon, canonModel, taken);
        exif.orientation = value;
        const Bytes bytes = withExif(encodeJpeg(storedForOrientation(upright, value), 88), exif);
        put(rel, bytes, secondsOfExifDate(taken) + 30, Role::wall);
    }

    void copy(const std::string& from, const std::string& rel, std::int64_t mtime, Role role)
    {
        put(rel, written_.at(from), mtime, role);
    }

    void link(const std::string& rel, const std::string& target)
    {
        tree_.writeSymlink(rel, target, utcSeconds(2024, 12, 20, 9, 0, 0));
        ++counts.links;
    }

private:
    const OutputTree& tree_;
    std::map<std::string, Bytes> written_;
};

void writeCameraPhotos(TreeWriter& w)
{
    const std::vector<Photo> photos = {
        {"Camera/2015/IMG_0101.JPG", "2015-03-14", camera(canon, canonModel, "2015:03:14 09:26:53")},
        {"Camera/2015/IMG_0102.JPG", "2015-03-14", camera(canon, canonModel, "2015:03:14 09:31:07")},
        {"Camera/2015/IMG_0245.JPG", "2015-08-22", camera(canon, canonModel, "2015:08:22 18:04:40")},
        {"Camera/2016/IMG_1120.JPG", "2016-01-02", camera(canon, canonModel, "2016:01:02 11:15:00")},
        {"Camera/2016/IMG_1388.JPG", "2016-05-28",
         camera(canon, canonModel, "2016:05:28 16:42:19", "2016:06:01 20:00:00")},
        {"Camera/2016/IMG_1502.JPG", "2016-11-19", camera(canon, canonModel, "2016:11:19 14:03:55"), 240, 360},
        {"Camera/2017/DSC_2001.JPG", "2017-02-11", camera(nikon, nikonModel, "2017:02:11 08:12:45")},
        {"Camera/2017/DSC_2044.JPG", "2017-06-30", camera(nikon, nikonModel, "2017:06:30 19:55:02")},
        {"Camera/2018/DSC_3107.JPG", "2018-04-03", camera(nikon, nikonModel, "2018:04:03 10:20:30")},
        {"Camera/2018/DSC_3390.JPG", "2018-12-24", camera(nikon, nikonModel, "2018:12:24 17:45:12"), 240, 360},
        {"Camera/2020/DSCF0412.JPG", "2020-02-29", camera(fuji, fujiModel, "2020:02:29 12:00:00")},
        {"Camera/2020/DSCF0587.JPG", "2020-10-31", camera(fuji, fujiModel, "2020:10:31 20:31:47")},
        {"Camera/2022/DSCF1733.JPG", "2022-05-07", camera(fuji, fujiModel, "2022:05:07 07:07:07")},
        {"Camera/2023/DSCF2290.JPG", "2023-09-16", camera(fuji, fujiModel, "2023:09:16 15:22:10")},
        {"Camera/2024/DSCF3001.JPG", "2024-01-01", camera(fuji, fujiModel, "2024:01:01 00:00:05")},
        {"Camera/2024/DSCF3150.JPG", "2024-07-20",
         camera(fuji, fujiModel, "2024:07:20 13:48:36", "2024:08:02 09:00:00")},
        {"Travel/Caf\u00e9 \"Lumi\u00e8re\" 2017.jpg", "CAFE LUMIERE",
         camera(apple, "iPhone 7", "2017:10:21 21:10:33"), 240, 360},
        {"Travel/Lisbon 2022/IMG_8810.JPG", "LISBON", camera(apple, "iPhone 13", "2022:09:03 11:42:00")},
        {"welcome.jpg", "WELCOME", camera(apple, "iPhone 13", "2024:10:05 16:20:00")},
        {"Photos Library.photoslibrary/originals/A/IMG_7001.jpeg", "2023-12-25",
         camera(apple, "iPhone 13", "2023:12:25 08:30:00")},
        {"Photos Library.photoslibrary/originals/B/IMG_7002.jpeg", "2024-02-14",
         camera(apple, "iPhone 13", "2024:02:14 19:45:00"), 240, 360},
    };
    for (const Photo& photo : photos)
        w.jpeg(photo);
}

void writeOtherDateSources(TreeWriter& w)
{
    // Scanners record when they digitised a print, not when it was taken.
    w.jpeg({"Scans/scan0001.jpg", "SCAN 1", scanned("2019:03:02 14:00:00")});
    w.jpeg({"Scans/scan0002.jpg", "SCAN 2", scanned("2019:03:02 14:05:31")});
    w.jpeg({"Scans/scan0003.jpg", "SCAN 3", scanned("2021:06:12 10:44:09")});
    // Editors often keep only the time of the last save.
    w.jpeg({"Edited/sunset-final.jpg", "SUNSET", editedOnly("2016:08:14 21:03:00")});
    w.jpeg({"Edited/panorama.jpg", "PANORAMA", editedOnly("2022:12:03 16:30:45"), 720, 240});
    w.jpeg({"Edited/portrait-crop.jpg", "CROP", editedOnly("2023:03:19 11:11:11"), 240, 360});

    w.orientation(1, "2018:06:10 12:00:01");
    w.orientation(3, "2018:06:10 12:00:03");
    w.orientation(6, "2018:06:10 12:00:06");
    w.orientation(8, "2018:06:10 12:00:08");
}

void writeDatedAndUndatedFolders(TreeWriter& w)
{
    w.jpeg({"2019-07-15 Rome/IMG_4001.JPG", "ROME", noExif, 360, 240, utcSeconds(2019, 7, 15, 10, 12, 0)});
    w.jpeg({"2019-07-15 Rome/IMG_4002.JPG", "ROME", noExif, 240, 360, utcSeconds(2019, 7, 15, 10, 14, 30)});
    w.jpeg({"Summer 2018/beach.jpg", "BEACH", noExif, 360, 240, utcSeconds(2018, 8, 5, 15, 0, 0)});
    w.jpeg({"Summer 2018/sandcastle.jpg", "SANDCASTLE", noExif, 360, 240, utcSeconds(2018, 8, 5, 15, 20, 0)});
    w.jpeg({"July 4, 2020 Fireworks/IMG_5001.JPG", "FIREWORKS", noExif, 360, 240,
            utcSeconds(2020, 7, 4, 22, 15, 0)});
    w.jpeg({"Phone/IMG_20210102_120000.jpg", "2021-01-02", noExif, 240, 360, utcSeconds(2021, 1, 2, 12, 0, 1)});
    w.jpeg({"Phone/IMG_20221231_235959.jpg", "2022-12-31", noExif, 240, 360, utcSeconds(2023, 1, 1, 0, 0, 1)});
    w.jpeg({"Family/grandma.jpg", "GRANDMA", noExif, 240, 360, utcSeconds(2012, 5, 20, 9, 0, 0)});
    w.jpeg({"Family/picnic.jpg", "PICNIC", noExif, 360, 240, utcSeconds(2013, 6, 1, 13, 30, 0)});
    w.jpeg({"Family/IMG_1234.JPG", "FAMILY", noExif, 360, 240, utcSeconds(2014, 2, 2, 12, 0, 0)});
}

void writeOtherFormats(TreeWriter& w)
{
    const SceneOptions opaque{360, 240, 3, 6};
    const auto mtime = [](int hour) { return utcSeconds(2023, 6, 1, hour, 0, 0); };

    const Canvas transparent = paintLandscape(seedOf("Formats/transparent.png"), "PNG ALPHA", {360, 240, 4, 0});
    w.put("Formats/transparent.png", encodePng(transparent), mtime(9), Role::wall);

    // GIFs have 256 colours; grain would only dither, so they are drawn clean.
    const Canvas still = paintLandscape(seedOf("Formats/still.gif"), "GIF", {360, 240, 3, 0});
    w.put("Formats/still.gif", encodeGif({still}, 0), mtime(10), Role::wall);
    const std::vector<Canvas> frames = {
        paintLandscape(seedOf("Formats/animated.gif#1"), "FRAME 1", {360, 240, 3, 0}),
        paintLandscape(seedOf("Formats/animated.gif#2"), "FRAME 2", {360, 240, 3, 0}),
    };
    w.put("Formats/animated.gif", encodeGif(frames, 500), mtime(11), Role::wall);

    w.put("Formats/photo.webp", encodeWebp(paintLandscape(seedOf("Formats/photo.webp"), "WEBP", opaque), 80),
          mtime(12), Role::wall);

    const Canvas tiff = paintLandscape(seedOf("Formats/scan.tif"), "TIFF", {360, 240, 3, 0});
    w.put("Formats/scan.tif", withExif(encodeTiff(tiff), editedOnly("2015:11:28 10:15:00")),
          utcSeconds(2015, 11, 28, 10, 15, 30), Role::wall);

    if (const auto bmp = encodeBmp(paintLandscape(seedOf("Formats/bitmap.bmp"), "BMP", {240, 160, 3, 0})))
        w.put("Formats/bitmap.bmp", *bmp, mtime(13), Role::wall);
    else
        w.counts.skipped += " BMP";

    ExifFields heicExif = camera(apple, "iPhone 13", "2021:09:04 17:25:41");
    const Canvas heicPicture = paintLandscape(seedOf("Formats/phone.heic"), "HEIC", opaque);
    if (const auto heic = encodeHeic(heicPicture, 50, exifBlock(heicExif)))
        w.put("Formats/phone.heic", *heic, utcSeconds(2021, 9, 4, 17, 26, 11), Role::wall);
    else
        w.counts.skipped += " HEIC";
}

void writeCopies(TreeWriter& w)
{
    const auto backedUp = [](int minute) { return utcSeconds(2024, 12, 1, 8, minute, 0); };
    // Same names apart from case and the same sizes: one photo each after collapsing.
    w.copy("Camera/2015/IMG_0101.JPG", "Backup/Camera/2015/img_0101.jpg", backedUp(1), Role::duplicate);
    w.copy("Camera/2016/IMG_1120.JPG", "Backup/Camera/2016/Img_1120.Jpg", backedUp(2), Role::duplicate);
    w.copy("Family/grandma.jpg", "Backup/Family/GRANDMA.JPG", backedUp(3), Role::duplicate);
    // Re-saved at a lower quality, so its size differs and it stays a photo of its own.
    w.jpeg({"Backup/Camera/2017/dsc_2001.jpg", "2017-02-11", camera(nikon, nikonModel, "2017:02:11 08:12:45"), 360,
            240, backedUp(4)},
           Role::wall, 60);
}

void writeClutter(TreeWriter& w)
{
    const auto junkTime = [](int day) { return utcSeconds(2024, 3, day, 10, 0, 0); };
    const char* const pruned[] = {
        "node_modules/left-pad/docs/logo.jpg",
        ".git/objects/cover.jpg",
        "Some.app/Contents/Resources/icon.jpg",
        "Photos Library.photoslibrary/resources/derivatives/IMG_7001_thumb.jpg",
        "assets/banner.jpg",
        "Projects/website/assets/hero.jpg",
        "Library/Caches/preview.jpg",
        ".thumbnails/normal/f3a1c0de.jpg",
        ".hidden.jpg",
        "._IMG_1.jpg",
    };
    int day = 1;
    for (const char* rel : pruned)
        w.jpeg({rel, "NOT ON THE WALL", noExif, 240, 160, junkTime(day++)}, Role::ignored);

    const auto writtenAt = [](int hour) { return utcSeconds(2024, 12, 10, hour, 0, 0); };
    w.put("notes.txt", "Holiday photos still to sort: Rome, Lisbon, the summer of 2018.\n", writtenAt(9), Role::ignored);
    w.put("README", "These folders hold sample photos for trying out Kestova.\n", writtenAt(10), Role::ignored);
    w.copy("welcome.jpg", "photo.jpg.bak", writtenAt(11), Role::ignored);
    w.put("broken.jpg", "This is a text file with a photo's name, not a photo.\n", writtenAt(12), Role::unreadable);

    w.link("link-to-photo.jpg", "Camera/2015/IMG_0101.JPG");
    w.link("Link to Family", "Family");
}

} // namespace

SampleCounts writeSampleTree(const OutputTree& tree)
{
    TreeWriter w(tree);
    writeCameraPhotos(w);
    writeOtherDateSources(w);
    writeDatedAndUndatedFolders(w);
    writeOtherFormats(w);
    writeCopies(w);
    writeClutter(w);
    tree.stampFolders(utcSeconds(2024, 12, 31, 12, 0, 0));
    return w.counts;
}

} // namespace samples
