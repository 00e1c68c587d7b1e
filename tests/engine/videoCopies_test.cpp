// Playable copies of the videos browsers cannot play: real clips made at test time with ffmpeg
// (and a live photo's still with heif-enc), copied by the real engine in its worker processes,
// and read back with ffprobe.
#include "engine/run/Indexer.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <string>

namespace fs = std::filesystem;

namespace {

bool run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

/// What ffprobe says of a file: its streams' codecs, the picture's stored size and turn, and
/// the length.
struct Probe {
    std::string video, profile, audio, pixels;
    int width = 0, height = 0, rotation = 0;
    double seconds = 0;
    bool moovFirst = false;
};

/// The lines key=value ffprobe prints for these entries of the file.
std::map<std::string, std::string> ffprobe(const fs::path& file, const std::string& entries)
{
    std::map<std::string, std::string> values;
    FILE* pipe = popen(("ffprobe -v error " + entries + " -of default=nw=1 " + quoted(file) + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return values;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (const auto eq = text.find('='); eq != std::string::npos)
            values.emplace(text.substr(0, eq), text.substr(eq + 1));
    }
    pclose(pipe);
    return values;
}

Probe probe(const fs::path& file)
{
    Probe p;
    auto video = ffprobe(file, "-select_streams v:0 -show_entries "
                               "stream=codec_name,profile,width,height,pix_fmt:stream_side_data=rotation");
    auto audio = ffprobe(file, "-select_streams a:0 -show_entries stream=codec_name");
    auto format = ffprobe(file, "-show_entries format=duration");
    p.video = video["codec_name"];
    p.profile = video["profile"];
    p.pixels = video["pix_fmt"];
    p.width = std::atoi(video["width"].c_str());
    p.height = std::atoi(video["height"].c_str());
    p.rotation = std::atoi(video["rotation"].c_str());
    p.audio = audio["codec_name"];
    p.seconds = std::atof(format["duration"].c_str());
    std::ifstream in(file, std::ios::binary);
    char head[16] = {};
    in.read(head, sizeof head);
    // The index before the frames: the box after 'ftyp' is 'moov'.
    const auto ftyp = (std::uint32_t(std::uint8_t(head[0])) << 24) | (std::uint8_t(head[1]) << 16) |
                      (std::uint8_t(head[2]) << 8) | std::uint8_t(head[3]);
    in.seekg(ftyp);
    char next[8] = {};
    in.read(next, sizeof next);
    p.moovFirst = std::string(next + 4, 4) == "moov";
    return p;
}

std::int64_t modifiedNs(const fs::path& file)
{
    struct stat st{};
    if (::stat(file.c_str(), &st) != 0)
        return -1;
    return std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

/// The clips, made once for every test of this file.
class Clips {
public:
    static const Clips& get()
    {
        static const Clips clips;
        return clips;
    }
    TempDir dir;
    fs::path turned, mjpeg, divx, h264, film, liveStill, liveClip;
    bool ready = false;

private:
    Clips()
    {
        const fs::path d = dir.path();
        turned = d / "IMG_0001.MOV";
        mjpeg = d / "MVI_0002.AVI";
        divx = d / "DSCF0003.AVI";
        h264 = d / "VID_0004.mp4";
        film = d / "film.mov";
        liveStill = d / "IMG_0005.HEIC";
        liveClip = d / "IMG_0005.MOV";
        const std::string ffmpeg = "ffmpeg -nostdin -v error -y ";
        const std::string x265 = " -c:v libx265 -tag:v hvc1 -pix_fmt yuv420p -x265-params log-level=none -c:a aac ";
        ready =
            // Larger than a screen, held upright: the rotation goes into the container when the
            // stream is copied, as a phone writes it.
            run(ffmpeg + "-f lavfi -i testsrc2=s=2560x1440:r=30:d=2 -f lavfi -i sine=f=440:d=2" + x265 +
                quoted(d / "wide.mov")) &&
            run(ffmpeg + "-i " + quoted(d / "wide.mov") + " -c copy -metadata:s:v:0 rotate=90 " + quoted(turned)) &&
            run(ffmpeg + "-f lavfi -i testsrc2=s=640x480:r=25:d=2 -f lavfi -i sine=f=330:r=22050:d=2 "
                         "-c:v mjpeg -q:v 5 -c:a pcm_s16le " + quoted(mjpeg)) &&
            run(ffmpeg + "-f lavfi -i testsrc2=s=640x480:r=25:d=2 -f lavfi -i sine=f=550:d=2 "
                         "-c:v mpeg4 -q:v 5 -c:a libmp3lame " + quoted(divx)) &&
            run(ffmpeg + "-f lavfi -i testsrc2=s=640x360:r=25:d=2 -f lavfi -i sine=d=2 -c:v libx264 "
                         "-pix_fmt yuv420p -c:a aac " + quoted(h264)) &&
            run(ffmpeg + "-f lavfi -i testsrc2=s=320x180:r=10:d=40 -f lavfi -i sine=d=40" + x265 + quoted(film)) &&
            run(ffmpeg + "-f lavfi -i testsrc2=s=1440x1080:r=30:d=2 -f lavfi -i sine=f=660:d=2" + x265 +
                quoted(liveClip)) &&
            run(ffmpeg + "-f lavfi -i testsrc2=s=1440x1080 -frames:v 1 " + quoted(d / "still.png")) &&
            run("heif-enc -q 50 -o " + quoted(liveStill) + " " + quoted(d / "still.png"));
    }
};

/// A source of the clips, and its wall.
struct Library {
    TempDir dir;
    fs::path src = dir.mkdir("src");
    fs::path out = dir / "wall";

    explicit Library(const Clips& clips)
    {
        fs::create_directories(src / "phone");
        for (const fs::path& clip : {clips.turned, clips.mjpeg, clips.divx, clips.h264, clips.film, clips.liveStill,
                                     clips.liveClip})
            fs::copy_file(clip, src / "phone" / clip.filename());
    }

    JobSummary build(bool everyVideo = false, const std::string& fault = {},
                     const std::function<void(Indexer&, const JobUpdate&)>& watch = {}) const
    {
        if (!fault.empty())
            setenv("KESTOVA_WORKER_FAULT", fault.c_str(), 1);
        Indexer* self = nullptr;
        Indexer job(src, out, "Phone", true, [&](const JobUpdate& update) {
            if (watch && self)
                watch(*self, update);
        });
        self = &job;
        job.templateFile = KESTOVA_TEMPLATE;
        job.everyVideoCopy = everyVideo;
        JobSummary summary = job.run();
        unsetenv("KESTOVA_WORKER_FAULT");
        return summary;
    }

    fs::path copyOf(const std::string& name) const { return out / WallPaths::videoCopyName(WallPaths::key("phone/" + name)); }

    /// The media flags of the photo's entry in manifest.js.
    std::int64_t flagsOf(const std::string& name) const
    {
        std::ifstream in(out / "manifest.js", std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        const std::regex entry("\\[\"[0-9a-f]{16}\",\"phone/" + std::regex_replace(name, std::regex("\\."), "\\.") +
                               "\",(?:[^,\\]]*,){5}(\\d+)");
        std::smatch m;
        return std::regex_search(text, m, entry) ? std::stoll(m[1]) : 0;
    }
};

constexpr std::int64_t playableCopy = WallSchema::playableCopy;

class VideoCopies : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!clips.ready)
            GTEST_FAIL() << "ffmpeg or heif-enc could not make the test clips";
    }
    const Clips& clips = Clips::get();
};

struct Row {
    std::string name;
    bool copied;        ///< by default
    int width, height;  ///< of the copy's stored frame
    int rotation;       ///< as ffprobe tells the copy's display matrix (the original's: 90)
    double seconds;
};

TEST_F(VideoCopies, EveryVideoTheBrowserCannotPlayGetsAPlayableCopyAndAnUpdateMakesNoneAgain)
{
    const Library library(clips);
    const Row rows[] = {
        // Scaled down to fit a screen, still upright.
        {"IMG_0001.MOV", true, 1920, 1080, 90, 2},
        {"MVI_0002.AVI", true, 640, 480, 0, 2},
        {"DSCF0003.AVI", true, 640, 480, 0, 2},
        // H.264 in MP4 plays as it is.
        {"VID_0004.mp4", false, 0, 0, 0, 0},
        // Forty seconds: copied only when asked.
        {"film.mov", false, 320, 180, 0, 40},
        // A live photo's copy is its motion's, under the still's name.
        {"IMG_0005.HEIC", true, 1440, 1080, 0, 2},
    };
    const JobSummary first = library.build();
    EXPECT_EQ(first.videoCopies, 4);
    EXPECT_TRUE(first.noCopy.empty());
    EXPECT_FALSE(first.partial);
    std::map<std::string, std::int64_t> made;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fs::exists(library.copyOf(row.name)), row.copied);
        EXPECT_EQ((library.flagsOf(row.name) & playableCopy) != 0, row.copied);
        if (!row.copied)
            continue;
        const Probe p = probe(library.copyOf(row.name));
        EXPECT_EQ(p.video, "h264");
        EXPECT_EQ(p.profile, "High");
        EXPECT_EQ(p.pixels, "yuv420p");
        EXPECT_EQ(p.audio, "aac");
        EXPECT_EQ(p.width, row.width);
        EXPECT_EQ(p.height, row.height);
        EXPECT_EQ(p.rotation, row.rotation);
        EXPECT_NEAR(p.seconds, row.seconds, 0.15);
        EXPECT_TRUE(p.moovFirst);
        made[row.name] = modifiedNs(library.copyOf(row.name));
    }
    // Asked for every video: the film gets its copy, and no copy that stands is made again.
    const JobSummary every = library.build(true);
    EXPECT_EQ(every.videoCopies, 1);
    for (const auto& [name, when] : made)
        EXPECT_EQ(modifiedNs(library.copyOf(name)), when) << name;
    const Probe film = probe(library.copyOf("film.mov"));
    EXPECT_EQ(film.video, "h264");
    EXPECT_NEAR(film.seconds, 40, 0.15);
    EXPECT_NE(library.flagsOf("film.mov") & playableCopy, 0);
    // Without asking again the film keeps its copy: a run removes none.
    const JobSummary again = library.build();
    EXPECT_EQ(again.videoCopies, 0);
    EXPECT_NE(library.flagsOf("film.mov") & playableCopy, 0);
    // A video replaced gets its copy anew.
    fs::copy_file(clips.divx, library.src / "phone/MVI_0002.AVI", fs::copy_options::overwrite_existing);
    const JobSummary replaced = library.build();
    EXPECT_EQ(replaced.videoCopies, 1);
    EXPECT_EQ(probe(library.copyOf("MVI_0002.AVI")).video, "h264");
}

TEST_F(VideoCopies, AStopDuringTheCopiesLeavesAWholeWallAndTheNextRunFinishesThem)
{
    const Library library(clips);
    bool stopped = false;
    const JobSummary first = library.build(false, {}, [&](Indexer& job, const JobUpdate& update) {
        const auto* progress = std::get_if<JobUpdates::Thumbnails>(&update);
        if (progress && progress->making == JobUpdates::Thumbnails::Making::videoCopies && !stopped) {
            stopped = true;
            job.cancel();
        }
    });
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(first.partial);
    EXPECT_FALSE(first.unfinished()); // every photo is on the wall
    EXPECT_GT(first.copiesToDo, 0);
    EXPECT_EQ(first.videoCopies + first.copiesToDo, 4);
    // Nothing half made under a copy's name, and no temporary file left behind.
    for (const auto& file : fs::recursive_directory_iterator(library.out / "videos")) {
        if (!file.is_regular_file())
            continue;
        EXPECT_EQ(file.path().extension(), ".mp4") << file.path();
        EXPECT_EQ(probe(file.path()).video, "h264") << file.path();
    }
    const JobSummary resumed = library.build();
    EXPECT_FALSE(resumed.partial);
    EXPECT_EQ(resumed.videoCopies, first.copiesToDo);
    for (const char* name : {"IMG_0001.MOV", "MVI_0002.AVI", "DSCF0003.AVI", "IMG_0005.HEIC"})
        EXPECT_NE(library.flagsOf(name) & playableCopy, 0) << name;
}

TEST_F(VideoCopies, AVideoWhoseCopyFailsIsNamedWithWhyAndKeepsItsPlaceOnTheWall)
{
    struct Case {
        const char* fault;
        WhyUnreadable why;
    };
    const Case cases[] = {{"copy-segv:MVI_0002.AVI", WhyUnreadable::crashed}, {"copy-abort:MVI_0002.AVI", WhyUnreadable::crashed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const Library library(clips);
        const JobSummary summary = library.build(false, c.fault);
        ASSERT_EQ(summary.noCopy.size(), 1u);
        EXPECT_EQ(summary.noCopy[0].rel, "phone/MVI_0002.AVI");
        EXPECT_EQ(summary.noCopy[0].why, c.why);
        EXPECT_TRUE(summary.noCopy[0].message.empty()); // a crash leaves no words
        EXPECT_TRUE(summary.unreadableFiles.empty());
        EXPECT_EQ(summary.videoCopies, 3);
        EXPECT_EQ(summary.videos, 5);
        // On the wall as a video that plays where the browser plays it, without a copy.
        EXPECT_EQ(library.flagsOf("MVI_0002.AVI"), 3);
        EXPECT_FALSE(fs::exists(library.copyOf("MVI_0002.AVI")));
        // The next run tries again, and with a working encoder makes it.
        EXPECT_EQ(library.build().videoCopies, 1);
        EXPECT_NE(library.flagsOf("MVI_0002.AVI") & playableCopy, 0);
    }
}

} // namespace
