// The walk: which files are photos, which folders are pruned, and how a stop ends it.
#include "engine/run/Indexer.h"
#include "engine/walk/LivePhotos.h"
#include "engine/walk/PhotoKinds.h"
#include "engine/decode/Processors.h"

#include "PrivateMounts.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <system_error>
#include <thread>
#include <tuple>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

namespace {

std::vector<std::string> rels(const std::vector<FileEntry>& entries)
{
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.rel);
    return out;
}

struct Walk {
    explicit Walk(const std::filesystem::path& root, std::filesystem::path out = {})
        : job(root, out.empty() ? root / "_Photo Gallery" : out, "t", true,
              [this](const JobUpdate& u) { updates.push_back(u); })
    {
    }
    std::vector<std::string> files() { return rels(scan(job.walkSettings())); }
    std::vector<JobUpdate> updates;
    Indexer job;
};

/// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name(name)
    {
        if (const char* old = std::getenv(name))
            previous = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (previous)
            setenv(name, previous->c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    std::optional<std::string> previous;
};

} // namespace

TEST(WalkNames, LivePairsKeepTheOrderOfWhatRemainsAndTakeOnlyTheClipsThatPaired)
{
    const auto entry = [](const char* rel) { return FileEntry{rel, 1000, 1}; };
    std::vector<FileEntry> walked{entry("a/IMG_1.HEIC"), entry("a/IMG_1.MOV"), entry("a/IMG_2.jpg"),
                                  entry("a/IMG_3.mov"),  entry("b/IMG_1.mov"), entry("b/IMG_4.jpg"),
                                  entry("b/img_4.MP4"),  entry("c/IMG_5.jpg")};
    const LivePhotos::LivePairs live = LivePhotos::pairLivePhotos(walked);
    std::vector<std::pair<std::string, std::string>> kept;
    for (const FileEntry& e : live.entries)
        kept.emplace_back(e.rel, e.motion);
    EXPECT_THAT(kept, ElementsAre(Pair("a/IMG_1.HEIC", "a/IMG_1.MOV"), Pair("a/IMG_2.jpg", ""), Pair("a/IMG_3.mov", ""),
                                  Pair("b/IMG_1.mov", ""), Pair("b/IMG_4.jpg", "b/img_4.MP4"), Pair("c/IMG_5.jpg", "")));
    std::vector<std::string> clips;
    for (const FileEntry& e : live.clips)
        clips.push_back(e.rel);
    EXPECT_THAT(clips, ElementsAre("a/IMG_1.MOV", "b/img_4.MP4"));
}

TEST(WalkNames, PhotoExtensionsInAnyCaseCountAndNothingElse)
{
    TempDir dir;
    for (const char* name : {"DSC0001.JPG", "a.JPEG", "b.HeIc", "c.png", "d.gif", "e.webp", "f.tif", "g.tiff", "h.bmp",
                             "i.dng", "j.CR2", "k.cr3", "l.nef", "m.arw", "n.raf", "o.orf", "p.rw2", "q.heif",
                             ".hidden.jpg", "._IMG_1.jpg", "x.jpg.txt", "README", "photo.jpg.bak", "jpg", "noext."})
        dir.write(name);
    EXPECT_THAT(Walk(dir.path()).files(),
                UnorderedElementsAre("DSC0001.JPG", "a.JPEG", "b.HeIc", "c.png", "d.gif", "e.webp", "f.tif", "g.tiff",
                                     "h.bmp", "i.dng", "j.CR2", "k.cr3", "l.nef", "m.arw", "n.raf", "o.orf", "p.rw2",
                                     "q.heif"));
}

TEST(WalkNames, RelIsRelativeWithSlashesAndSizeAndMtimeComeFromTheFile)
{
    TempDir dir;
    const auto file = dir.write("2019/Rome/IMG_0001.JPG", "12345");
    setMtime(file, 1563210000, 999999999);
    const auto entries = scan(Walk(dir.path()).job.walkSettings());
    ASSERT_EQ(entries.size(), 1u);
    struct stat st{};
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    const std::int64_t ctimeNs = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    EXPECT_EQ(entries[0], (FileEntry{"2019/Rome/IMG_0001.JPG", 5, 1563210000, {}, ctimeNs, std::int64_t(st.st_ino)}));
}

TEST(WalkNames, PhotosAreFoundInTheByteOrderOfTheirPaths)
{
    // A folder's photos sort as if its name ended in "/": after "a b" and "a.jpg", before "a0".
    TempDir dir;
    const std::vector<std::string> sorted{"A.jpg", "B/x.jpg", "Z.jpg", "a b/x.jpg", "a.jpg", "a/b.jpg", "a/b/c.jpg",
                                          "a/z.jpg", "a0.jpg", "b.jpg", "caf\xC3\xA9.jpg", "\xFF.jpg"};
    for (auto name = sorted.rbegin(); name != sorted.rend(); ++name)
        dir.write(*name);
    EXPECT_EQ(Walk(dir.path()).files(), sorted);
}

TEST(WalkNames, MtimeBefore1970IsCutTowardZero)
{
    TempDir dir;
    setMtime(dir.write("old.jpg"), -2, 500000000); // -1.5 s
    setMtime(dir.write("older.jpg"), -100, 0);
    auto entries = scan(Walk(dir.path()).job.walkSettings());
    std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.rel < b.rel; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].mtime, -1);
    EXPECT_EQ(entries[1].mtime, -100);
}

TEST(WalkNames, OddNamesAreListedWithTheirOwnBytes)
{
    TempDir dir;
    const std::vector<std::string> names{"with space.jpg", "quote\"s'.jpg", "new\nline.jpg", "Caf\xC3\xA9.jpg",
                                         "bad\xFF\xFE.jpg", "tab\t.jpg", "back\\slash.jpg"};
    for (const auto& name : names)
        dir.write("odd/" + name);
    std::vector<std::string> expected;
    for (const auto& name : names)
        expected.push_back("odd/" + name);
    EXPECT_THAT(Walk(dir.path()).files(), UnorderedElementsAreArray(expected));
}

TEST(WalkPruning, FoldersArePrunedByEachRule)
{
    TempDir dir;
    const std::vector<std::string> pruned{
        ".hidden/a.jpg",          ".Trashes/a.jpg",         ".Spotlight-V100/a.jpg", ".fseventsd/a.jpg",
        "System Volume Information/a.jpg", "$RECYCLE.BIN/a.jpg", "deep/node_modules/a.jpg", "deep/.git/a.jpg",
        "_Photo Gallery/thumbs/ab/a.jpg", "Disk.sparsebundle/a.jpg", "2020/Contents/a.jpg", "assets/a.jpg",
        "ASSETS/a.jpg",           "x/Resources/a.jpg",      "x/icon/a.jpg",          "x/icons/a.jpg",
        "Node_Modules/a.jpg",     "Thing.app/a.jpg",        "Kit.framework/a.jpg",   "x/AppDomain-com.foo/a.jpg",
        "u/Library/Caches/a.jpg", "u/Library/Application Support/a.jpg", "u/Library/Frameworks/a.jpg",
        "Photos Library.photoslibrary/resources/a.jpg", "P.PHOTOSLIBRARY/Resources/b.jpg"};
    const std::vector<std::string> kept{
        "Contents.jpg",           "Assets.jpg",             "_photo gallery/a.jpg",  "Disk.SPARSEBUNDLE/a.jpg",
        "Photos Library.photoslibrary/originals/a.jpg", "u/Library/Mobile Documents/a.jpg", "Library/a.jpg",
        "myapp/a.jpg",            "contents2/a.jpg",        "x.app.bak/a.jpg"};
    for (const auto& rel : pruned)
        dir.write(rel);
    for (const auto& rel : kept)
        dir.write(rel);
    EXPECT_THAT(Walk(dir.path()).files(), UnorderedElementsAreArray(kept));
}

TEST(WalkPruning, TheOutputFolderIsNeverWalkedWhereverItIs)
{
    TempDir dir;
    dir.write("a.jpg");
    dir.write("walls/mine/thumbs/00/x.jpg");
    EXPECT_THAT(Walk(dir.path(), dir / "walls/mine").files(), ElementsAre("a.jpg"));
    // Named with "." and ".." and a trailing slash, the output folder is still recognised.
    EXPECT_THAT(Walk(dir.path(), dir / "walls/./other/../mine/").files(), ElementsAre("a.jpg"));
}

TEST(WalkPruning, TheOutputFolderIsRecognisedThroughALinkedRoot)
{
    TempDir dir;
    dir.write("real/a.jpg");
    dir.write("real/wall/thumbs/00/x.jpg");
    std::filesystem::create_directory_symlink(dir / "real", dir / "link");
    Walk walk(dir / "link", dir / "real/wall");
    EXPECT_THAT(walk.files(), ElementsAre("a.jpg"));
}

TEST(WalkPruning, HomeLibraryIsPrunedOnlyWhenTheRootIsHome)
{
    TempDir dir;
    dir.write("Library/a.jpg");
    dir.write("Pictures/Library/b.jpg");
    {
        ScopedEnv home("HOME", dir.path().string());
        EXPECT_THAT(Walk(dir.path()).files(), ElementsAre("Pictures/Library/b.jpg"));
        EXPECT_THAT(Walk(dir / "Pictures").files(), ElementsAre("Library/b.jpg"));
    }
    ScopedEnv home("HOME", (dir / "elsewhere").string());
    EXPECT_THAT(Walk(dir.path()).files(), UnorderedElementsAre("Library/a.jpg", "Pictures/Library/b.jpg"));
}

TEST(WalkPruning, SystemFolderNamesArePrunedOnlyBelowTheFileSystemRoot)
{
    // Below any other root they are ordinary folders.
    TempDir dir;
    for (const char* name : {"bin", "boot", "etc", "lib", "lib32", "lib64", "libx32", "opt", "sbin", "snap", "usr", "var",
                             "proc", "sys", "dev", "run"})
        dir.write(std::string(name) + "/a.jpg");
    EXPECT_EQ(Walk(dir.path()).files().size(), 16u);
}

namespace {

/// Mounts a file system of `type` on `folder`, made when missing.
bool mountOn(const std::filesystem::path& folder, const char* type)
{
    std::filesystem::create_directories(folder);
    return mount(type, folder.c_str(), type, 0, nullptr) == 0;
}

/// The kernel's own file systems, each with a memory file system of photos mounted inside it,
/// which a walk that went in would list.
bool mountKernelFileSystems(const std::filesystem::path& at)
{
    for (const auto& [name, type, inside] : {std::tuple{"proc", "proc", "fs"}, {"sys", "sysfs", "kernel"}}) {
        if (!mountOn(at / name, type) || !mountOn(at / name / inside, "tmpfs"))
            return false;
        std::ofstream(at / name / inside / "inside.jpg") << "x";
    }
    return true;
}

/// The files a walk of `root` lists, sorted, one per line, as the exit status cannot carry them.
int expectFiles(const std::filesystem::path& root, std::vector<std::string> expected)
{
    std::vector<std::string> files = Walk(root).files();
    std::sort(files.begin(), files.end());
    if (files == expected)
        return 0;
    for (const std::string& file : files)
        std::fprintf(stderr, "listed: %s\n", file.c_str());
    return 1;
}

} // namespace

TEST(WalkSystemMounts, TheKernelsFileSystemsInsideASourceAreNeverEntered)
{
    TempDir dir;
    dir.write("Trip/a.jpg");
    const int status = inPrivateMounts([&] {
        if (!mountKernelFileSystems(dir / "Trip") || !mountOn(dir / "Stick", "tmpfs"))
            return 77;
        // A memory file system of the user's own is walked like any folder.
        std::ofstream(dir / "Stick/b.jpg") << "x";
        return expectFiles(dir.path(), {"Stick/b.jpg", "Trip/a.jpg"});
    });
    if (status == 77)
        GTEST_SKIP() << "no private mounts here";
    EXPECT_EQ(status, 0) << "the walk went into a file system of the kernel's";
}

TEST(WalkSystemMounts, AWallOfTheWholeSystemSkipsTheKernelsFileSystemsAndTheSystemsOwnFolders)
{
    // A whole system of its own, as the root of the file system.
    TempDir dir;
    const std::filesystem::path system = dir / "system";
    dir.write("system/home/ana/Pictures/a.jpg");
    dir.write("system/usr/share/wallpaper.jpg");
    dir.write("system/media/ana/STICK/b.jpg");
    // Compiled before the walk leaves the real root behind.
    ASSERT_FALSE(PhotoKinds::isJunk("/a/"));
    const int status = inPrivateMounts([&] {
        if (!mountKernelFileSystems(system) || !mountOn(system / "run", "tmpfs"))
            return 77;
        std::ofstream(system / "run/lock.jpg") << "x";
        if (chroot(system.c_str()) != 0 || chdir("/") != 0)
            return 77;
        return expectFiles("/", {"home/ana/Pictures/a.jpg", "media/ana/STICK/b.jpg"});
    });
    if (status == 77)
        GTEST_SKIP() << "no private mounts here";
    EXPECT_EQ(status, 0) << "the walk of / went into a system folder";
}

TEST(WalkLinks, LinksToPhotosAndFoldersAreIgnoredAndLoopsEndTheWalk)
{
    TempDir dir;
    dir.write("real/a.jpg");
    std::filesystem::create_symlink(dir / "real/a.jpg", dir / "link.jpg");
    std::filesystem::create_directory_symlink(dir / "real", dir / "linked");
    std::filesystem::create_directory_symlink(dir.path(), dir / "real/loop");
    EXPECT_THAT(Walk(dir.path()).files(), ElementsAre("real/a.jpg"));
}

TEST(WalkLinks, ARootThatIsALinkToAFolderIsWalked)
{
    TempDir dir;
    dir.write("real/sub/a.jpg");
    std::filesystem::create_directory_symlink(dir / "real", dir / "link");
    EXPECT_THAT(Walk(dir / "link").files(), ElementsAre("sub/a.jpg"));
    EXPECT_THAT(Walk(dir.path() / "link/").files(), ElementsAre("sub/a.jpg"));
}

TEST(WalkLinks, PipesNamedLikePhotosAreSkipped)
{
    // Opening a pipe to read a photo would block the run forever.
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "pipe.jpg").c_str(), 0644), 0);
    dir.write("a.jpg");
    EXPECT_THAT(Walk(dir.path()).files(), ElementsAre("a.jpg"));
}

TEST(WalkFailures, AMissingOrUnreadableRootGivesAnEmptyListWithoutReports)
{
    TempDir dir;
    Walk missing(dir / "nope");
    EXPECT_THAT(missing.files(), IsEmpty());
    EXPECT_THAT(missing.updates, IsEmpty());
}

namespace {

/// Exit status of a check that could not be made here.
constexpr int cannotCheck = 100;

/// Runs `check` in a child process as an ordinary user (root reads any folder whatever its
/// permission bits, and is bound by no limit of processes); its exit status, or -1 when it
/// did not exit.
int asOrdinaryUser(const std::function<int()>& check)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(cannotCheck);
        _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(WalkFailures, AnUnreadableFolderIsPassedOver)
{
    TempDir dir;
    dir.write("open/a.jpg");
    dir.write("closed/b.jpg");
    chmod(dir.path().c_str(), 0755);
    chmod((dir / "closed").c_str(), 0);
    const int status = asOrdinaryUser([&] { return Walk(dir.path()).files() == std::vector<std::string>{"open/a.jpg"} ? 0 : 1; });
    if (status == cannotCheck)
        GTEST_SKIP() << "cannot switch to an unprivileged user here";
    EXPECT_EQ(status, 0) << "the walk did not list exactly open/a.jpg";
}

TEST(WalkFailures, WithNoThreadToBeHadTheWalkRunsOnTheCallingThread)
{
    TempDir dir;
    dir.write("a.jpg");
    dir.write("Trip/b.jpg");
    chmod(dir.path().c_str(), 0755);
    const int status = asOrdinaryUser([&] {
        // The limit of processes counts threads; this process is the one allowed.
        const rlimit one{1, 1};
        if (setrlimit(RLIMIT_NPROC, &one) != 0)
            return cannotCheck;
        try {
            std::thread([] {}).join();
            return cannotCheck; // threads are still to be had here
        } catch (const std::system_error&) {
        }
        Walk walk(dir.path());
        std::vector<std::string> files = walk.files();
        std::sort(files.begin(), files.end());
        return files == std::vector<std::string>{"Trip/b.jpg", "a.jpg"} && !walk.updates.empty() ? 0 : 1;
    });
    if (status == cannotCheck)
        GTEST_SKIP() << "cannot limit the threads of an unprivileged user here";
    EXPECT_EQ(status, 0) << "the walk did not list both photos";
}

TEST(WalkReports, AnEmptyRootReportsZeroOnce)
{
    TempDir dir;
    Walk walk(dir.path());
    EXPECT_THAT(walk.files(), IsEmpty());
    ASSERT_EQ(walk.updates.size(), 1u);
    EXPECT_EQ(std::get<JobUpdates::Scanning>(walk.updates[0]).found, 0);
}

TEST(WalkReports, TheFirstPhotoIsReportedAtOnceAndTheFinalCountLast)
{
    TempDir dir;
    for (int i = 0; i < 50; ++i)
        dir.write("p" + std::to_string(i) + ".jpg");
    Walk walk(dir.path());
    walk.files();
    ASSERT_GE(walk.updates.size(), 2u);
    EXPECT_EQ(std::get<JobUpdates::Scanning>(walk.updates.front()).found, 1);
    EXPECT_EQ(std::get<JobUpdates::Scanning>(walk.updates.back()).found, 50);
}

TEST(WalkStop, AStopBeforeOrDuringTheWalkThrowsAndDeliversNothing)
{
    TempDir dir;
    for (int i = 0; i < 20; ++i)
        dir.write("f" + std::to_string(i % 4) + "/p" + std::to_string(i) + ".jpg");
    {
        Walk walk(dir.path());
        walk.job.cancel();
        EXPECT_THROW(scan(walk.job.walkSettings()), JobCancelled);
        EXPECT_THAT(walk.updates, IsEmpty());
    }
    // A stop raised from the first report ends the walk at the next item.
    Indexer* self = nullptr;
    int reports = 0;
    Indexer job(dir.path(), dir / "_Photo Gallery", "t", true, [&](const JobUpdate&) {
        ++reports;
        self->cancel();
    });
    self = &job;
    EXPECT_THROW(scan(job.walkSettings()), JobCancelled);
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(job.cancelled());
}

TEST(WalkJunk, PatternBranchesIgnoreCaseAndNeedAFolder)
{
    struct Case {
        const char* path;
        bool junk;
    };
    const Case cases[] = {
        {"/.Trashes/", true},           {"/x/.trashes/", true},          {"/.Spotlight-V100/", true},
        {"/.fseventsd/", true},         {"/System Volume Information/", true}, {"/$RECYCLE.BIN/", true},
        {"/$recycle.bin/", true},       {"/NODE_MODULES/", true},         {"/a/.git/", true},
        {"/a/.github/", false},         {"/Photos.photoslibrary/resources/", true},
        {"/Photos.photoslibrary/originals/", false},                      {"/x/AppDomain-x/", true},
        {"/appdomainfoo/", true},       {"/Library/Caches/", true},       {"/a/library/application support/", true},
        {"/Library/Frameworks/", true}, {"/Library/Preferences/", false}, {"/Foo.app/", true},
        {"/Foo.APP/", true},            {"/Foo.framework/", true},        {"/a/Contents/", true},
        {"/a/Resources/", true},        {"/a/icon/", true},               {"/a/ICONS/", true},
        {"/a/assets/", true},           {"/Contents.jpg", false},         {"/a/assets.jpg", false},
        {"/.git", false},               {"/a/contents2/", false},         {"/a/my assets/", false},
        {"/node_modules.jpg", false},   {"/Caf\xC3\xA9/Contents/", true},  {"/bad\xFF/Contents/", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PhotoKinds::isJunk(c.path), c.junk) << c.path;
}

TEST(WalkJobs, JobsFollowTheProcessorCountWithinTwoToSix)
{
    EXPECT_EQ(Processors::jobsFor(1), 2);
    EXPECT_EQ(Processors::jobsFor(2), 2);
    EXPECT_EQ(Processors::jobsFor(3), 3);
    EXPECT_EQ(Processors::jobsFor(5), 5);
    EXPECT_EQ(Processors::jobsFor(6), 6);
    EXPECT_EQ(Processors::jobsFor(12), 6);
    EXPECT_GE(Processors::available(), 1);
}
