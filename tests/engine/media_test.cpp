// Videos, live photos and previews: clips and HEIC stills are made at test time with Debian's
// ffmpeg and vips programs, then walked, processed and written to a wall by the real engine.
#include "engine/run/Indexer.h"
#include "engine/walk/Dedupe.h"
#include "engine/cache/ProgressCache.h"
#include "engine/wall/WallImages.h"

#include "dates/RecordingDates.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path photos = KESTOVA_SHARED_PHOTOS;

bool run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

std::string bytesOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// Clips made once for every test of this file.
class Clips {
public:
    static const Clips& get()
    {
        static const Clips clips;
        return clips;
    }
    TempDir dir;
    fs::path blackStart;   ///< 1 s black, then 3 s of pattern; H.264, turned a quarter clockwise
    fs::path quickTime;    ///< a QuickTime creation date with its zone besides the movie header's time
    fs::path hevc;         ///< HEVC in MP4, no dates
    fs::path vp9;          ///< VP9 in WebM
    fs::path film;         ///< 8 s, small: longer than any live photo's clip
    fs::path still;        ///< a HEIC still, 1800x1200
    bool ready = false;

private:
    Clips()
    {
        const fs::path d = dir.path();
        blackStart = d / "black.mp4";
        quickTime = d / "quicktime.mov";
        hevc = d / "hevc.mp4";
        vp9 = d / "clip.webm";
        still = d / "still.heic";
        film = d / "film.mp4";
        const std::string ffmpeg = "ffmpeg -nostdin -v error -y ";
        const std::string pattern = " -f lavfi -i testsrc2=s=640x360:d=2:r=25 ";
        ready =
            run(ffmpeg + "-f lavfi -i color=black:s=640x360:d=1:r=25 -f lavfi -i testsrc2=s=640x360:d=3:r=25 "
                         "-filter_complex '[0][1]concat=n=2:v=1' -c:v libx264 -pix_fmt yuv420p " +
                quoted(d / "upright.mp4")) &&
            // The rotation goes into the container when the stream is copied, as a phone writes it.
            run(ffmpeg + "-i " + quoted(d / "upright.mp4") + " -c copy -metadata:s:v:0 rotate=90 "
                         "-metadata creation_time=2021-06-01T12:03:22Z " + quoted(blackStart)) &&
            run(ffmpeg + pattern + "-c:v libx264 -pix_fmt yuv420p -movflags use_metadata_tags "
                                   "-metadata creation_time=2019-07-15T16:30:05Z "
                                   "-metadata com.apple.quicktime.creationdate=2019-07-15T18:30:05+0200 " +
                quoted(quickTime)) &&
            run(ffmpeg + pattern + "-c:v libx265 -tag:v hvc1 -pix_fmt yuv420p -x265-params log-level=none " +
                quoted(hevc)) &&
            run(ffmpeg + pattern + "-c:v libvpx-vp9 -b:v 200k " + quoted(vp9)) &&
            run(ffmpeg + "-f lavfi -i testsrc2=s=160x90:d=8:r=5 -c:v libx264 -pix_fmt yuv420p " + quoted(film)) &&
            run("vips copy " + quoted(photos / "orientation/Landscape_1.jpg") + " " + quoted(still) + "[Q=50]");
    }
};

/// A job whose source and output folders live in one temporary folder.
struct Wall {
    TempDir dir;
    fs::path source = dir.path() / "source";
    fs::path out = source / "_Photo Gallery";
    Wall() { fs::create_directories(source); }

    FileEntry add(const fs::path& from, const std::string& rel) const
    {
        const fs::path to = source / rel;
        fs::create_directories(to.parent_path());
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
        struct stat st{};
        ::stat(to.c_str(), &st);
        return {rel, std::int64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec)};
    }
    void write(const std::string& rel, const std::string& bytes) const
    {
        fs::create_directories((source / rel).parent_path());
        std::ofstream(source / rel, std::ios::binary) << bytes;
    }
    Indexer job() const { return Indexer(source, out, "Media", true, nullptr); }
    JobSummary build(bool fillPreviews = false) const
    {
        Indexer indexer(source, out, "Media", true, nullptr);
        indexer.templateFile = KESTOVA_TEMPLATE;
        indexer.fillPreviews = fillPreviews;
        return indexer.run();
    }
    std::string manifest() const
    {
        std::ifstream in(out / "manifest.js", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

/// Width, height and brightness spread of a JPEG, read back through the vips program.
struct Jpeg {
    int width = 0;
    int height = 0;
    double deviation = 0;
};
Jpeg inspect(const fs::path& jpeg)
{
    Jpeg j;
    const std::string command = "vipsheader -f width " + quoted(jpeg) + "; vipsheader -f height " + quoted(jpeg) +
                                "; vips deviate " + quoted(jpeg);
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return j;
    if (std::fscanf(pipe, "%d %d %lf", &j.width, &j.height, &j.deviation) != 3)
        j = {};
    pclose(pipe);
    return j;
}

class Media : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Clips::get().ready)
            GTEST_FAIL() << "ffmpeg or vips could not make the test clips";
    }
    const Clips& clips = Clips::get();
};

TEST_F(Media, videoRecordsHoldShownSizeLengthCodecAndRecordingDate)
{
    Wall wall;
    const Indexer job = wall.job();
    struct Row {
        fs::path clip;
        std::string rel;
        std::int64_t width, height;
        std::string codec, date;
        std::int64_t minMs, maxMs;
    };
    const Row rows[] = {
        // Turned a quarter by the container: shown portrait. The movie header's time is UTC,
        // shown on this machine's clock.
        {clips.blackStart, "a/black.mp4", 360, 640, "h264", Dates::exifText(Dates::civilIn(1622549002)), 3900, 4100},
        // A phone's name in its local time, two hours east of the header's UTC.
        {clips.blackStart, "e/VID_20210601_140322.mp4", 360, 640, "h264", "2021:06:01 14:03:22", 3900, 4100},
        // QuickTime's creation date is the local time where it was recorded, zone dropped.
        {clips.quickTime, "b/IMG_0001.MOV", 640, 360, "h264", "2019:07:15 18:30:05", 1900, 2100},
        {clips.hevc, "c/hevc.mp4", 640, 360, "hevc", "", 1900, 2100},
        {clips.vp9, "d/clip.webm", 640, 360, "vp9", "", 1900, 2100},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rel);
        const auto record = processPhoto(job.photoWork(), wall.add(row.clip, row.rel), KeepThumbnail::ifNotOlder, PhotoExtras{true, false}).record;
        ASSERT_TRUE(record);
        EXPECT_TRUE(record->details);
        EXPECT_EQ(record->width, row.width);
        EXPECT_EQ(record->height, row.height);
        EXPECT_EQ(record->date, row.date);
        EXPECT_EQ(record->media.flags, Record::isVideo | Record::hasPreview);
        EXPECT_GE(record->media.durationMs, row.minMs);
        EXPECT_LE(record->media.durationMs, row.maxMs);
        EXPECT_EQ(record->media.codec, row.codec);
        const Jpeg poster = inspect(job.wall.thumbURL(WallPaths::key(row.rel)));
        EXPECT_EQ(poster.width > poster.height, row.width > row.height) << "poster upright";
        EXPECT_EQ(std::max(poster.width, poster.height), 420);
        EXPECT_GT(poster.deviation, 20) << "the poster is a picture, not a blank frame";
        const Jpeg large = inspect(job.wall.previewURL(WallPaths::key(row.rel)));
        EXPECT_EQ(std::max(large.width, large.height), 640) << "a poster is never enlarged";
    }
}

TEST_F(Media, damagedVideosGiveNothingAndLeaveNothing)
{
    Wall wall;
    const Indexer job = wall.job();
    std::ifstream in(clips.blackStart, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const std::string inputs[] = {
        bytes.substr(0, bytes.size() / 3), // the header, and data that ends early
        bytes.substr(0, 2000),             // the header cut short
        "not a video at all",
        bytes.substr(bytes.size() / 2), // data without its header
        "#EXTM3U\n#EXTINF:1,\n/etc/passwd\n", // a playlist that names another file
    };
    int i = 0;
    for (const std::string& input : inputs) {
        const std::string rel = "bad" + std::to_string(i++) + ".mp4";
        const fs::path file = wall.source / rel;
        std::ofstream(file, std::ios::binary) << input;
        const FileEntry entry{rel, std::int64_t(input.size()), 1};
        const auto record = process(job.photoWork(), entry);
        if (record) {
            // A video cut after its first frames may still give a poster; then it is a whole one.
            EXPECT_TRUE(fs::exists(job.wall.thumbURL(WallPaths::key(rel)))) << rel;
        } else {
            EXPECT_FALSE(fs::exists(job.wall.thumbURL(WallPaths::key(rel)))) << rel;
        }
    }
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(wall.out, ec))
        EXPECT_NE(e.path().extension(), ".tmp") << "temporary file left: " << e.path();
}

TEST_F(Media, aVideoCutShortIsAsLongAsWhatCanBePlayed)
{
    Wall wall;
    const Indexer job = wall.job();
    // The index before the frames, as phones write it; the copy breaks off 60 % of the way.
    const fs::path indexFirst = clips.dir / "index-first.mp4";
    ASSERT_TRUE(run("ffmpeg -nostdin -v error -y -i " + quoted(clips.blackStart) + " -c copy -movflags +faststart " + quoted(indexFirst)));
    const std::string bytes = bytesOf(indexFirst);
    struct Row {
        const char* rel;
        std::size_t length;
        std::int64_t minMs, maxMs;
    };
    const Row rows[] = {
        {"whole.mp4", bytes.size(), 3900, 4100},
        {"cut.mp4", bytes.size() * 6 / 10, 200, 3600},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rel);
        std::ofstream(wall.source / row.rel, std::ios::binary) << bytes.substr(0, row.length);
        const auto record = process(job.photoWork(), FileEntry{row.rel, std::int64_t(row.length), 1});
        ASSERT_TRUE(record);
        EXPECT_GE(record->media.durationMs, row.minMs);
        EXPECT_LE(record->media.durationMs, row.maxMs);
    }
}

TEST_F(Media, theWalkFindsVideosByTheRulesOfPhotos)
{
    Wall wall;
    wall.add(clips.hevc, "2020/trip.MP4");
    wall.add(clips.hevc, "2020/.hidden.mov");
    wall.add(clips.hevc, "2020/Contents/inside.mkv");
    wall.add(clips.hevc, "2020/clip.mp4.bak");
    wall.add(clips.hevc, "other/trip.mp4"); // a copy: same name and size
    const Indexer job = wall.job();
    const auto found = dedupe(scan(job.walkSettings()));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].rel, "2020/trip.MP4");
}

TEST_F(Media, aWallWithVideosCountsThemAndListsTheirMedia)
{
    Wall wall;
    const FileEntry photo = wall.add(photos / "cameras/Canon_40D.jpg", "Canon_40D.jpg");
    wall.add(clips.quickTime, "holiday.mov");
    const JobSummary summary = wall.build();
    EXPECT_EQ(summary.photos, 1);
    EXPECT_EQ(summary.videos, 1);
    const std::string manifest = wall.manifest();
    EXPECT_TRUE(std::regex_search(manifest, std::regex(R"("holiday\.mov",640,360,\d+,"holiday\.mov",\d+,3,(19|20)\d\d,"h264"\])")))
        << manifest;
    // The photo's entry ends at its mtime, as on a wall without videos.
    EXPECT_NE(manifest.find("\"Canon_40D.jpg\"," + std::to_string(photo.mtime) + "]"), std::string::npos) << manifest;
}

TEST_F(Media, aStillAndItsClipAreOneLivePhoto)
{
    Wall wall;
    wall.add(clips.still, "phone/IMG_1234.HEIC");
    wall.add(clips.quickTime, "phone/IMG_1234.MOV");
    wall.add(clips.hevc, "phone/IMG_2000.MOV"); // no still of its name: a video
    const JobSummary summary = wall.build();
    EXPECT_EQ(summary.photos, 1);
    EXPECT_EQ(summary.videos, 1);
    const std::string manifest = wall.manifest();
    EXPECT_TRUE(std::regex_search(manifest, std::regex(R"(,5,(19|20)\d\d,"h264","phone/IMG_1234\.MOV"\])")))
        << "live and with a preview: " << manifest;
    EXPECT_EQ(manifest.find("\"phone/IMG_1234.MOV\",640"), std::string::npos) << "the clip is no tile of its own";

    // The clip goes: the still is looked at again and is a plain photo with its preview.
    fs::remove(wall.source / "phone/IMG_1234.MOV");
    wall.build();
    EXPECT_EQ(wall.manifest().find("IMG_1234.MOV"), std::string::npos);
}

TEST_F(Media, aPairIsMadeOnlyOfAStillAndAShortClipThatBothOpenInOneFolder)
{
    struct Case {
        const char* name;
        std::vector<std::pair<fs::path, std::string>> files;
        std::int64_t photos, videos;
        std::vector<UnreadablePhoto> unreadable;
        std::vector<std::string> tiles; ///< the manifest's entries of their own
    };
    const fs::path broken = clips.dir / "broken.jpg";
    std::ofstream(broken, std::ios::binary) << "\xFF\xD8\xFF\xE0 this is no picture";
    const fs::path canon = photos / "cameras/Canon_40D.jpg";
    const std::vector<Case> cases = {
        {"a broken still", {{broken, "IMG_8.jpg"}, {clips.hevc, "IMG_8.mp4"}}, 0, 1, {{"IMG_8.jpg", WhyUnreadable::damaged}}, {"IMG_8.mp4"}},
        {"a broken clip", {{canon, "IMG_9.jpg"}, {broken, "IMG_9.mov"}}, 1, 0, {{"IMG_9.mov", WhyUnreadable::damaged}}, {"IMG_9.jpg"}},
        {"a film, no clip", {{canon, "IMG_2.JPG"}, {clips.film, "IMG_2.MOV"}}, 1, 1, {}, {"IMG_2.JPG", "IMG_2.MOV"}},
        {"another folder", {{canon, "Trip/IMG_5.jpg"}, {clips.hevc, "trip/IMG_5.mov"}}, 1, 1, {}, {"Trip/IMG_5.jpg", "trip/IMG_5.mov"}},
        {"only the name's case differs", {{canon, "Trip/IMG_6.JPG"}, {clips.hevc, "Trip/img_6.mov"}}, 1, 0, {}, {"Trip/IMG_6.JPG"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Wall wall;
        for (const auto& [from, rel] : c.files)
            wall.add(from, rel);
        // The second run reads what the first left and must come to the same wall.
        for (int run = 1; run <= 2; ++run) {
            SCOPED_TRACE(run);
            const JobSummary summary = wall.build();
            EXPECT_EQ(summary.photos, c.photos);
            EXPECT_EQ(summary.videos, c.videos);
            // Which files and why; what their decoders said is the libraries' own (PhotoEnds).
            std::vector<UnreadablePhoto> unreadable = summary.unreadableFiles;
            for (UnreadablePhoto& photo : unreadable)
                photo.message.clear();
            EXPECT_EQ(unreadable, c.unreadable);
            const std::string manifest = wall.manifest();
            // A tile's entry names its file before its size; a live photo names its clip last.
            std::vector<std::string> tiles;
            for (const auto& [from, rel] : c.files) {
                if (manifest.find("\"" + rel + "\",") != std::string::npos)
                    tiles.push_back(rel);
            }
            EXPECT_EQ(tiles, c.tiles) << manifest;
        }
    }
}

/// A phone's motion photo: the JPEG with an XMP packet whose camera properties are `camera` and
/// whose container directory is `directory` (both may hold {clip}, the clip's length), and the
/// clip after the picture.
std::string motionPhoto(const fs::path& jpeg, const std::string& clip, std::string camera, std::string directory = {})
{
    const auto fill = [&](std::string text) {
        const auto at = text.find("{clip}");
        return at == std::string::npos ? text : text.replace(at, 6, std::to_string(clip.size()));
    };
    const std::string packet =
        R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">)"
        R"(<rdf:Description rdf:about="" xmlns:GCamera="http://ns.google.com/photos/1.0/camera/" )"
        R"(xmlns:Container="http://ns.google.com/photos/1.0/container/" )"
        R"(xmlns:Item="http://ns.google.com/photos/1.0/container/item/" )" +
        fill(std::move(camera)) + ">" + fill(std::move(directory)) + "</rdf:Description></rdf:RDF></x:xmpmeta>";
    const std::string segment = std::string("http://ns.adobe.com/xap/1.0/") + '\0' + packet;
    const std::size_t length = segment.size() + 2;
    const std::string photo = bytesOf(jpeg);
    // The APP1 segment right after the start-of-image marker.
    return photo.substr(0, 2) + "\xFF\xE1" + char(length >> 8) + char(length & 0xFF) + segment + photo.substr(2) + clip;
}

/// `rel` is a live photo whose clip, `clip` byte for byte, was copied into the wall's motion/.
void expectClipInWall(const Indexer& job, const std::string& manifest, const std::string& rel, const std::string& clip)
{
    SCOPED_TRACE(rel);
    const std::string key = WallPaths::key(rel);
    const std::string copied = bytesOf(job.wall.motionURL(key));
    EXPECT_EQ(copied.size(), clip.size());
    EXPECT_TRUE(copied == clip) << "the clip in the wall is not the photo's";
    EXPECT_TRUE(std::regex_search(manifest, std::regex(",12,(19|20)\\d\\d,\"h264\",\"motion/" + key.substr(0, 2) + "/" + key + "\\.mp4\"\\]")))
        << manifest;
}

/// `rel` is a plain still: no clip in the wall, no media flags in its record.
void expectStill(const Indexer& job, const std::string& rel)
{
    EXPECT_FALSE(fs::exists(job.wall.motionURL(WallPaths::key(rel)))) << rel;
    EXPECT_EQ(ProgressCache::loadCache(job.wall.cacheURL()).at(rel).media.flags, 0) << rel << " stays a still";
}

TEST_F(Media, aMotionPhotoIsLiveWithItsClipCopiedIntoTheWall)
{
    const std::string clip = bytesOf(clips.quickTime);
    const fs::path jpeg = photos / "orientation/Landscape_1.jpg";
    const std::string directory =
        R"(<Container:Directory><rdf:Seq><rdf:li rdf:parseType="Resource"><Container:Item Item:Mime="image/jpeg" )"
        R"(Item:Semantic="Primary" Item:Length="0" Item:Padding="0"/></rdf:li><rdf:li rdf:parseType="Resource">)"
        R"(<Container:Item Item:Mime="video/mp4" Item:Semantic="MotionPhoto" Item:Length="{clip}"/></rdf:li>)"
        R"(</rdf:Seq></Container:Directory>)";
    Wall wall;
    const auto write = [&](const std::string& rel, const std::string& bytes) { wall.write(rel, bytes); };
    write("phone/PXL_1.MP.jpg", motionPhoto(jpeg, clip, R"(GCamera:MotionPhoto="1" GCamera:MotionPhotoVersion="1")", directory));
    write("phone/MVIMG_2.jpg", motionPhoto(jpeg, clip, R"(GCamera:MicroVideo="1" GCamera:MicroVideoOffset="{clip}")"));
    // An editor kept the packet and dropped the clip; another says the photo is no motion photo.
    write("phone/PXL_3.MP.jpg", motionPhoto(jpeg, "", R"(GCamera:MotionPhoto="1")", directory));
    write("phone/PXL_4.MP.jpg", motionPhoto(jpeg, clip, R"(GCamera:MotionPhoto="0")", directory));
    // Lengths that point outside the file.
    write("phone/MVIMG_5.jpg", motionPhoto(jpeg, clip, R"(GCamera:MicroVideo="1" GCamera:MicroVideoOffset="99999999999")"));
    write("phone/MVIMG_6.jpg", motionPhoto(jpeg, clip, R"(GCamera:MicroVideo="1" GCamera:MicroVideoOffset="-8")"));
    // A clip that begins as one and is none.
    write("phone/PXL_7.MP.jpg", motionPhoto(jpeg, std::string("\0\0\0\x18" "ftypmp42", 12) + std::string(200, 'x'),
                                            R"(GCamera:MotionPhoto="1")", directory));
    const JobSummary summary = wall.build();
    EXPECT_EQ(summary.photos, 7);
    EXPECT_EQ(summary.videos, 0);
    EXPECT_EQ(summary.unreadable, 0);
    const Indexer job = wall.job();
    const std::string manifest = wall.manifest();
    for (const std::string rel : {"phone/PXL_1.MP.jpg", "phone/MVIMG_2.jpg"})
        expectClipInWall(job, manifest, rel, clip);
    for (const std::string rel : {"phone/PXL_3.MP.jpg", "phone/PXL_4.MP.jpg", "phone/MVIMG_5.jpg", "phone/MVIMG_6.jpg", "phone/PXL_7.MP.jpg"})
        expectStill(job, rel);

    // An update copies nothing again; a clip deleted from the wall is copied again.
    const fs::path copied = job.wall.motionURL(WallPaths::key("phone/PXL_1.MP.jpg"));
    const auto copiedAt = fs::last_write_time(copied);
    const auto savedAt = fs::last_write_time(job.wall.cacheURL());
    wall.build();
    EXPECT_EQ(fs::last_write_time(copied), copiedAt);
    EXPECT_EQ(fs::last_write_time(job.wall.cacheURL()), savedAt) << "nothing was processed";
    fs::remove(copied);
    wall.build();
    EXPECT_EQ(bytesOf(copied), clip);
    // A clip of its name beside the photo wins over the one inside it.
    wall.add(clips.hevc, "phone/PXL_1.MP.mp4");
    wall.build();
    EXPECT_EQ(ProgressCache::loadCache(job.wall.cacheURL()).at("phone/PXL_1.MP.jpg").media.motion, "phone/PXL_1.MP.mp4");

    // The motion folder may not be a link planted to take the copies elsewhere.
    TempDir elsewhere;
    fs::remove_all(wall.out / "motion");
    fs::create_directory_symlink(elsewhere.path(), wall.out / "motion");
    EXPECT_THROW(wall.build(), JobError);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

std::string le16(std::uint16_t v)
{
    return {char(v & 0xFF), char(v >> 8)};
}
std::string le32(std::uint32_t v)
{
    return le16(std::uint16_t(v & 0xFFFF)) + le16(std::uint16_t(v >> 16));
}

/// A record of a Samsung trailer, and the numbers its directory entry gives unless a row bends them.
struct SefRecord {
    std::string name;
    std::string payload;
    std::uint16_t type = 0x0a30;
    std::optional<std::uint32_t> back;   ///< distance back from the directory to the record
    std::optional<std::uint32_t> length; ///< the record's length
};

/// The trailer Samsung's phones append after the JPEG: the records, the directory that lists
/// them, the directory's length and "SEFT" at the very end.
struct SefTrailer {
    std::vector<SefRecord> records;
    std::optional<std::uint32_t> count;
    std::optional<std::uint32_t> directoryLength;

    std::string bytes() const
    {
        std::string data;
        std::vector<std::size_t> starts;
        for (const SefRecord& r : records) {
            starts.push_back(data.size());
            data += le16(0) + le16(r.type) + le32(std::uint32_t(r.name.size())) + r.name + r.payload;
        }
        std::string directory = "SEFH" + le32(106) + le32(count.value_or(std::uint32_t(records.size())));
        for (std::size_t i = 0; i < records.size(); ++i) {
            const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : data.size();
            directory += le16(0) + le16(records[i].type) + le32(records[i].back.value_or(std::uint32_t(data.size() - starts[i]))) +
                         le32(records[i].length.value_or(std::uint32_t(end - starts[i])));
        }
        return data + directory + le32(directoryLength.value_or(std::uint32_t(directory.size()))) + "SEFT";
    }
};

TEST_F(Media, aSamsungMotionPhotoIsLiveWithTheClipItsTrailerLists)
{
    const std::string clip = bytesOf(clips.quickTime);
    const fs::path jpeg = photos / "orientation/Landscape_1.jpg";
    const std::string picture = bytesOf(jpeg);
    const SefRecord motion{"MotionPhoto_Data", clip};
    const SefRecord utc{"Image_UTC_Data", "1568123456789", 0x0a01};
    const std::string trailer = SefTrailer{{motion}}.bytes();
    const auto bent = [&](SefRecord record) { return picture + SefTrailer{{record}}.bytes(); };
    const auto bentDirectory = [&](std::optional<std::uint32_t> count, std::optional<std::uint32_t> length) {
        return picture + SefTrailer{{motion}, count, length}.bytes();
    };
    const auto named = [&](std::string name) { return SefRecord{std::move(name), clip}; };
    const auto withPayload = [&](std::string payload) { return SefRecord{"MotionPhoto_Data", std::move(payload)}; };
    const auto withEntry = [&](std::optional<std::uint32_t> back, std::optional<std::uint32_t> length) {
        return SefRecord{"MotionPhoto_Data", clip, 0x0a30, back, length};
    };
    const std::uint32_t recordLength = std::uint32_t(8 + motion.name.size() + clip.size());
    const std::string directory =
        R"(<Container:Directory><rdf:Seq><rdf:li rdf:parseType="Resource"><Container:Item Item:Mime="image/jpeg" )"
        R"(Item:Semantic="Primary" Item:Length="0"/></rdf:li><rdf:li rdf:parseType="Resource">)"
        R"(<Container:Item Item:Mime="video/mp4" Item:Semantic="MotionPhoto" Item:Length="{clip}"/></rdf:li>)"
        R"(</rdf:Seq></Container:Directory>)";
    struct Row {
        std::string rel;
        std::string bytes;
        bool live;
    };
    const Row rows[] = {
        {"SM_1.jpg", picture + trailer, true},
        // The clip's record among others, found by its name.
        {"SM_2.jpg", picture + SefTrailer{{utc, motion, utc}}.bytes(), true},
        // XMP that gives no clip: its length, counted from the end, lands on the trailer's first
        // record, and the trailer's clip is taken.
        {"SM_3.jpg", motionPhoto(jpeg, trailer, R"(GCamera:MotionPhoto="1")", directory), true},
        // Records that hold no clip: other names, or no MP4 at the payload's start, or too short.
        {"SM_4.jpg", bent(named("MotionPhoto_Info")), false},
        {"SM_5.jpg", bent(named("Image_UTC_Data")), false},
        {"SM_6.jpg", bent(withPayload(std::string(8, '\0') + clip)), false},
        {"SM_7.jpg", bent(withPayload(std::string("\0\0\0\x0c" "ftypmp42", 12))), false},
        // Entries that point outside the bytes before the directory: back past the file's start,
        // lengths that overflow or run into the directory, a length shorter than the record's name.
        {"SM_8.jpg", bent(withEntry(0xFFFFFFFF, std::nullopt)), false},
        {"SM_9.jpg", bent(withEntry(std::uint32_t(picture.size() + recordLength + 1), std::nullopt)), false},
        {"SM_10.jpg", bent(withEntry(std::nullopt, 0xFFFFFFFF)), false},
        {"SM_11.jpg", bent(withEntry(std::nullopt, recordLength + 1)), false},
        {"SM_12.jpg", bent(withEntry(std::nullopt, 4)), false},
        // Directories that do not hold what they claim: a count far past their entries, one entry
        // more than written, a length past the file, one that misses "SEFH", one of nothing.
        {"SM_13.jpg", bentDirectory(0xFFFFFFFF, std::nullopt), false},
        {"SM_14.jpg", bentDirectory(2, std::nullopt), false},
        {"SM_15.jpg", bentDirectory(std::nullopt, 0xFFFFFFF0), false},
        {"SM_16.jpg", bentDirectory(std::nullopt, 12 + 12 - 4), false},
        {"SM_17.jpg", bentDirectory(std::nullopt, 0), false},
        // Files cut short, in the tail and in the directory.
        {"SM_18.jpg", (picture + trailer).substr(0, picture.size() + trailer.size() - 1), false},
        {"SM_19.jpg", (picture + trailer).substr(0, picture.size() + trailer.size() - 16), false},
    };
    Wall wall;
    for (const Row& row : rows)
        wall.write(row.rel, row.bytes);
    const JobSummary summary = wall.build();
    EXPECT_EQ(summary.photos, std::int64_t(std::size(rows)));
    EXPECT_EQ(summary.videos, 0);
    EXPECT_EQ(summary.unreadable, 0);
    const Indexer job = wall.job();
    const std::string manifest = wall.manifest();
    for (const Row& row : rows) {
        if (row.live)
            expectClipInWall(job, manifest, row.rel, clip);
        else
            expectStill(job, row.rel);
    }
}

TEST_F(Media, previewsComeOnlyForFormatsBrowsersCannotShow)
{
    Wall wall;
    wall.add(clips.still, "IMG_1.heic");
    wall.add(photos / "heif/samplefilehub.heif", "small.heif");
    wall.add(photos / "orientation/Landscape_6.jpg", "portrait.jpg");
    wall.build();
    Indexer job = wall.job();
    // The still is 1800x1200, larger than a preview: scaled to the preview's size.
    static_assert(WallImages::previewSize < 1800);
    const Jpeg preview = inspect(job.wall.previewURL(WallPaths::key("IMG_1.heic")));
    EXPECT_EQ(preview.width, WallImages::previewSize);
    EXPECT_EQ(preview.height, std::lround(1200.0 * WallImages::previewSize / 1800));
    const Jpeg small = inspect(job.wall.previewURL(WallPaths::key("small.heif")));
    EXPECT_EQ(small.width, 640) << "a photo smaller than the preview keeps its size";
    EXPECT_EQ(small.height, 426);
    EXPECT_FALSE(fs::exists(job.wall.previewURL(WallPaths::key("portrait.jpg"))));
    const std::string manifest = wall.manifest();
    EXPECT_NE(manifest.find("\"IMG_1.heic\",1800,1200,0,\"IMG_1.heic\","), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(",1]"), std::string::npos) << manifest;

    // A preview deleted by hand is made again on the next run; the thumbnail is kept as it is.
    const fs::path thumb = job.wall.thumbURL(WallPaths::key("IMG_1.heic"));
    const auto thumbTime = fs::last_write_time(thumb);
    fs::remove(job.wall.previewURL(WallPaths::key("IMG_1.heic")));
    wall.build();
    EXPECT_TRUE(fs::exists(job.wall.previewURL(WallPaths::key("IMG_1.heic"))));
    EXPECT_EQ(fs::last_write_time(thumb), thumbTime);
}

TEST_F(Media, aWallBuiltBeforePreviewsGetsThemOnlyWhenAsked)
{
    Wall wall;
    const FileEntry entry = wall.add(clips.still, "IMG_1.heic");
    Indexer job = wall.job();
    // What an older version left: a plain record and the thumbnail.
    fs::create_directories(job.wall.thumbURL(WallPaths::key(entry.rel)).parent_path());
    fs::copy_file(photos / "cameras/Canon_40D.jpg", job.wall.thumbURL(WallPaths::key(entry.rel)));
    CacheMap map{{entry.rel, Record::make(WallPaths::key(entry.rel), 1800, 1200, "", entry.mtime, entry.size)}};
    ProgressCache::saveCache(job.wall.cacheURL(), map);

    wall.build();
    EXPECT_FALSE(fs::exists(job.wall.previewURL(WallPaths::key(entry.rel)))) << "an update decodes nothing again";
    EXPECT_EQ(ProgressCache::loadCache(job.wall.cacheURL()).at(entry.rel).media.flags, 0) << "still a record without a preview";

    wall.build(/*fillPreviews=*/true);
    EXPECT_TRUE(fs::exists(job.wall.previewURL(WallPaths::key(entry.rel))));
    EXPECT_EQ(ProgressCache::loadCache(job.wall.cacheURL()).at(entry.rel).media.flags, Record::hasPreview);
    EXPECT_EQ(inspect(job.wall.thumbURL(WallPaths::key(entry.rel))).width, 100) << "the old thumbnail stays";
}

TEST_F(Media, aPlantedLinkInPlaceOfThePreviewsIsRefused)
{
    Wall wall;
    wall.add(clips.still, "IMG_1.heic");
    TempDir elsewhere;
    fs::create_directories(wall.out);
    fs::create_directory_symlink(elsewhere.path(), wall.out / "previews");
    EXPECT_THROW(wall.build(), JobError);
    fs::remove(wall.out / "previews");
    fs::create_directories(wall.out / "previews");
    fs::create_directory_symlink(elsewhere.path(), wall.out / "previews/ab");
    EXPECT_THROW(wall.build(), JobError);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

} // namespace
