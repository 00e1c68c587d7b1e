// kestova-cli build and walls, run as a user would run them, on real photos.
#include "TestSupport.h"
#include "MinimalDng.h"

#include "model/PathText.h"
#include "model/RecentsJson.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;
using namespace TestSupport;

namespace {

// What libvips says of the shared corrupted photo and of a file that is no image at all.
const std::string corruptedSaid = "VipsJpeg: Corrupt JPEG data: premature end of data segment; "
                                  "VipsJpeg: Corrupt JPEG data: found marker 0xd1 instead of RST5";
const std::string notAnImageSaid = "VipsForeignLoad: source is not in a known format";

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

Result cli(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(KESTOVA_CLI), args);
    EXPECT_TRUE(process.waitForFinished(300000));
    Result result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

QString arg(const fs::path& path)
{
    return PathText::fromPath(path);
}

std::optional<QList<Recent>> walls()
{
    const Result result = cli({QStringLiteral("walls"), QStringLiteral("--json")});
    EXPECT_EQ(result.status, 0) << result.err;
    std::string text = result.out;
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return RecentsJson::decode(text);
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }

    /// Two photos, a duplicate copy in a subfolder, an undated photo and a damaged file.
    static void mixedSource(const fs::path& root)
    {
        copyPhotos(root, {{"IMG_0001.JPG", "cameras/Canon_40D.jpg"},
                          {"IMG_0002.JPG", "cameras/Nikon_D70.jpg"},
                          {"backup/IMG_0001.JPG", "cameras/Canon_40D.jpg"},
                          {"misc/Landscape.jpg", "orientation/Landscape_1.jpg"},
                          {"misc/damaged.jpg", "broken/corrupted.jpg"}});
    }

    /// Many distinct photos that cost no disk: hard links to one copy of a large real photo.
    static void manyPhotos(const fs::path& root, int count)
    {
        copyPhotos(root, {{"first.jpg", "cameras/iphone_hdr_NO.jpg"}});
        for (int i = 0; i < count; ++i)
            fs::create_hard_link(root / "first.jpg", root / ("IMG_" + std::to_string(1000 + i) + ".jpg"));
    }
};

TEST_F(Cli, BuildPrintsTheResultAndTheWallThenUpdates)
{
    Folder folder;
    const fs::path root = folder.path() / "Summer";
    mixedSource(root);
    const fs::path wall = root / "_Photo Gallery";

    const Result first = cli({QStringLiteral("build"), arg(root)});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "3 photos ready\n"
                         "1 duplicate copy shown once\n"
                         "1 photo has no date and is grouped at the end\n"
                         "1 file couldn't be read and was skipped\n"
                         "The wall is saved at " + wall.native() + ". It opens in your web browser, and you can open "
                         "it any time, even without this app.\n"
                         "This file couldn't be read:\n"
                         "  misc/damaged.jpg (damaged, or not a kind of photo Kestova reads \u2014 " + corruptedSaid + ")\n" + (wall / "index.html").native() + "\n");
    EXPECT_TRUE(fs::exists(wall / "manifest.js"));
    EXPECT_NE(first.err.find("Looking for photos…"), std::string::npos) << first.err;

    const auto listed = walls();
    ASSERT_TRUE(listed && listed->size() == 1);
    EXPECT_EQ(listed->front().root, arg(root));
    EXPECT_EQ(listed->front().gallery, arg(wall / "index.html"));
    EXPECT_EQ(listed->front().title.toStdString(), "Summer");
    EXPECT_EQ(listed->front().photos, 3);

    // Again, as an update: one more photo; the entry is replaced, not added.
    copyPhotos(root, {{"IMG_0003.JPG", "cameras/Pentax_K10D.jpg"}});
    const Result again = cli({QStringLiteral("build"), arg(root), QStringLiteral("--json")});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, "{\"photos\":4,\"found\":6,\"duplicates\":1,\"unreadable\":1,"
                         "\"unreadableFiles\":[\"misc/damaged.jpg\"],\"undated\":1,\"gallery\":\""
                             + (wall / "index.html").native()
                             + "\",\"partial\":false,\"unreadableReasons\":{\"misc/damaged.jpg\":\"damaged\"},"
                               "\"unreadableMessages\":{\"misc/damaged.jpg\":\"" + corruptedSaid + "\"}}\n");
    const auto updated = walls();
    ASSERT_TRUE(updated && updated->size() == 1);
    EXPECT_EQ(updated->front().photos, 4);
    EXPECT_GE(updated->front().updated, listed->front().updated);

    const Result text = cli({QStringLiteral("walls")});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out.rfind("Summer\n  4 photos · updated ", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("\n  source: " + root.native() + "\n  wall:   " + (wall / "index.html").native() + "\n"),
              std::string::npos)
        << text.out;
}

TEST_F(Cli, ARawFileBesideItsJpegIsOnePhotoAsOnThePage)
{
    Folder folder;
    const fs::path root = folder.path() / "Card";
    copyPhotos(root, {{"DCIM/IMG_1.JPG", "cameras/Canon_40D.jpg"}, {"DCIM/IMG_2.JPG", "cameras/Nikon_D70.jpg"}});
    std::ofstream(root / "DCIM/IMG_1.DNG", std::ios::binary) << dngOf(240, 160, 1, "2008:05:30 15:56:01");
    // A raw file alone is a photo of its own.
    std::ofstream(root / "DCIM/IMG_3.DNG", std::ios::binary) << dngOf(240, 160, 1, "2019:07:04 12:00:00");

    const Result text = cli({QStringLiteral("build"), arg(root)});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.rfind("3 photos ready\n1 raw and JPEG pair shown once\n", 0), 0u) << text.out;
    // The wall holds all four files: the page pairs them, and its count says 3 photos too.
    std::ifstream manifest(root / "_Photo Gallery/manifest.js");
    const std::string written((std::istreambuf_iterator<char>(manifest)), std::istreambuf_iterator<char>());
    EXPECT_NE(written.find("\"DCIM/IMG_1.DNG\""), std::string::npos);
    EXPECT_EQ(walls()->front().photos, 3);

    const Result json = cli({QStringLiteral("build"), arg(root), QStringLiteral("--json")});
    EXPECT_NE(json.out.find("{\"photos\":3,\"found\":4,"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find(",\"rawPairs\":1,"), std::string::npos) << json.out;
    EXPECT_EQ(cli({QStringLiteral("walls")}).out.find("Card\n  3 photos · updated "), 0u);
}

TEST_F(Cli, NamesTheFirstTenFilesItCouldNotReadAndJsonNamesThemAll)
{
    Folder folder;
    const fs::path root = folder.path() / "Card";
    copyPhotos(root, {{"IMG_0001.JPG", "cameras/Canon_40D.jpg"}});
    std::vector<std::string> bad;
    for (int i = 1; i <= 12; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "junk/bad-%02d.jpg", i);
        bad.emplace_back(name);
    }
    bad.emplace_back("junk/bad-\xff.jpg"); // not UTF-8: printed as its bytes, escaped in JSON
    fs::create_directories(root / "junk");
    for (const std::string& rel : bad)
        std::ofstream(root / rel) << "not a photo";

    const Result text = cli({QStringLiteral("build"), arg(root)});
    ASSERT_EQ(text.status, 0) << text.err;
    std::string list = "These files couldn't be read:\n";
    for (int i = 0; i < 10; ++i)
        list += "  " + bad[static_cast<std::size_t>(i)] + " (damaged, or not a kind of photo Kestova reads \u2014 " + notAnImageSaid + ")\n";
    list += "  and 3 more\n";
    EXPECT_NE(text.out.find("13 files couldn't be read and were skipped\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("even without this app.\n" + list + (root / "_Photo Gallery" / "index.html").native() + "\n"),
              std::string::npos)
        << text.out;

    const Result json = cli({QStringLiteral("build"), arg(root), QStringLiteral("--json")});
    ASSERT_EQ(json.status, 0) << json.err;
    std::string names;
    for (std::size_t i = 0; i + 1 < bad.size(); ++i)
        names += (i ? ",\"" : "\"") + bad[i] + "\"";
    names += ",\"junk/bad-\\udcff.jpg\"";
    EXPECT_NE(json.out.find(",\"unreadable\":13,\"unreadableFiles\":[" + names + "],"), std::string::npos) << json.out;
}

TEST_F(Cli, OverridesAreForThisBuildOnly)
{
    Folder folder;
    mixedSource(folder.path() / "src");
    const fs::path out = folder.path() / "walls" / "mine";
    const Result result = cli({QStringLiteral("build"), arg(folder.path() / "src"), QStringLiteral("--out"), arg(out),
                               QStringLiteral("--title"), QStringLiteral("Beach / 2019"), QStringLiteral("--no-dedupe"),
                               QStringLiteral("--json")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "{\"photos\":4,\"found\":5,\"duplicates\":0,\"unreadable\":1,"
                          "\"unreadableFiles\":[\"misc/damaged.jpg\"],\"undated\":1,\"gallery\":\""
                              + (out / "index.html").native()
                              + "\",\"partial\":false,\"unreadableReasons\":{\"misc/damaged.jpg\":\"damaged\"},"
                               "\"unreadableMessages\":{\"misc/damaged.jpg\":\"" + corruptedSaid + "\"}}\n");
    EXPECT_FALSE(fs::exists(folder.path() / "src" / "_Photo Gallery"));
    std::ifstream manifest(out / "manifest.js");
    const std::string page((std::istreambuf_iterator<char>(manifest)), std::istreambuf_iterator<char>());
    EXPECT_NE(page.find("Beach / 2019"), std::string::npos);
    EXPECT_FALSE(settings().contains(QStringLiteral("dedupe"))); // the stored setting is untouched
    const auto listed = walls();
    ASSERT_TRUE(listed && listed->size() == 1);
    EXPECT_EQ(listed->front().title.toStdString(), "Beach / 2019");
}

struct RefusalCase {
    const char* name;
    QStringList args;
    int status;
    const char* message;
};

TEST_F(Cli, RefusesWhatIsNotAFolderAndBadArguments)
{
    Folder folder;
    copyPhotos(folder.path(), {{"IMG_0001.JPG", "cameras/Canon_40D.jpg"}});
    std::ofstream(folder.path() / "blocked");
    const QString notAFolder = QStringLiteral(
        "kestova-cli build: Kestova works on folders and drives. Choose a folder rather than a single file.\n");
    const std::string missing = "kestova-cli build: " + folder.text().toStdString()
                                + "/missing doesn't exist. Check the name, or connect the drive it is on.\n";
    const RefusalCase cases[] = {
        {"missing folder", {QStringLiteral("build"), folder.text() + QStringLiteral("/missing")}, 2, missing.c_str()},
        {"missing parent", {QStringLiteral("build"), QStringLiteral("/nonexistent/x")}, 2,
         "kestova-cli build: /nonexistent/x doesn't exist. Check the name, or connect the drive it is on.\n"},
        {"a file", {QStringLiteral("build"), folder.text() + QStringLiteral("/IMG_0001.JPG")}, 2, ""},
        {"no source", {QStringLiteral("build")}, 2, "kestova-cli build: give a SOURCE folder.\n"},
        {"two sources", {QStringLiteral("build"), folder.text(), folder.text()}, 2,
         "kestova-cli build: give one SOURCE folder.\n"},
        {"unknown option", {QStringLiteral("build"), folder.text(), QStringLiteral("--fast")}, 2,
         "kestova-cli build: unknown option \"--fast\".\n"},
        {"--out without folder", {QStringLiteral("build"), folder.text(), QStringLiteral("--out")}, 2,
         "kestova-cli build: --out needs a folder.\n"},
        {"walls with a stray argument", {QStringLiteral("walls"), QStringLiteral("x")}, 2,
         "kestova-cli walls: unknown argument \"x\".\n"},
    };
    for (const auto& c : cases) {
        const Result result = cli(c.args);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.out, "") << c.name;
        const std::string expected = *c.message ? std::string(c.message) : notAFolder.toStdString();
        EXPECT_EQ(result.err.substr(0, expected.size()), expected) << c.name;
    }
    EXPECT_FALSE(fs::exists(folder.path() / "_Photo Gallery"));
    EXPECT_TRUE(walls()->isEmpty());
}

TEST_F(Cli, FailureGivesTheMessageAndStatusOne)
{
    Folder folder;
    copyPhotos(folder.path() / "src", {{"IMG_0001.JPG", "cameras/Canon_40D.jpg"}});
    std::ofstream(folder.path() / "blocked");
    const Result result =
        cli({QStringLiteral("build"), arg(folder.path() / "src"), QStringLiteral("--out"), arg(folder.path() / "blocked")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("kestova-cli build: Couldn't create the folder"), std::string::npos) << result.err;
    EXPECT_TRUE(walls()->isEmpty());
}

TEST_F(Cli, NoPhotosFound)
{
    Folder folder;
    fs::create_directories(folder.path() / "Empty");
    const Result result = cli({QStringLiteral("build"), arg(folder.path() / "Empty")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "No photos found\nNothing in Empty looked like a photo (JPEG, HEIC, PNG, RAW and so on).\n");
    EXPECT_EQ(walls()->size(), 1);
}

/// Reads standard error until it matches `pattern`; false when the program ends first. However
/// long the phase takes on a busy machine: the test's own time limit is the only one.
bool waitUntilErr(QProcess& process, const QRegularExpression& pattern, QByteArray& err)
{
    while (!pattern.match(QString::fromUtf8(err)).hasMatch()) {
        if (!process.waitForReadyRead(-1))
            return false;
        err += process.readAllStandardError();
    }
    return true;
}

/// Starts a build and returns once its progress on standard error matches `pattern`.
bool startUntil(QProcess& process, const QStringList& args, const QString& pattern, QByteArray& err)
{
    process.setReadChannel(QProcess::StandardError); // waitForReadyRead watches this channel only
    process.start(QStringLiteral(KESTOVA_CLI), args);
    return process.waitForStarted() && waitUntilErr(process, QRegularExpression(pattern), err);
}

/// The progress once at least one thumbnail is done, so that stopping leaves something to save.
const QString someThumbnailsDone = QStringLiteral("Making thumbnails  [1-9]");

TEST_F(Cli, InterruptTermAndHangUpWhileMakingThumbnailsFinishAPartialWallAndSaySoInTheStatus)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        clearSettings();
        Folder folder;
        manyPhotos(folder.path(), 400);
        QProcess process;
        QByteArray err;
        ASSERT_TRUE(startUntil(process, {QStringLiteral("build"), folder.text(), QStringLiteral("--json")},
                               someThumbnailsDone, err))
            << err.toStdString();
        kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(300000));
        err += process.readAllStandardError();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(process.exitCode(), 128 + signal) << "a wall cut short is no success";
        EXPECT_TRUE(err.contains("Stopping…")) << err.toStdString();
        const std::string out = process.readAllStandardOutput().toStdString();
        EXPECT_NE(out.find("\"partial\":true}"), std::string::npos) << out;
        // The work so far is saved: the cache holds every photo on the partial wall.
        const fs::path wall = folder.path() / "_Photo Gallery";
        EXPECT_TRUE(fs::exists(wall / "index.html"));
        std::ifstream cache(wall / ".cache.json");
        const std::string text((std::istreambuf_iterator<char>(cache)), std::istreambuf_iterator<char>());
        const auto listed = walls();
        ASSERT_TRUE(listed && listed->size() == 1);
        EXPECT_GT(listed->front().photos, 0) << signal;
        EXPECT_EQ(static_cast<qint64>(std::count(text.begin(), text.end(), '[')), listed->front().photos) << signal;
        // What is missing is counted, and Your walls marks the wall until a build finishes it.
        const QRegularExpressionMatch toDo = QRegularExpression(QStringLiteral("\"toDo\":(\\d+),\"partial\":true"))
                                                 .match(QString::fromStdString(out));
        ASSERT_TRUE(toDo.hasMatch()) << out;
        EXPECT_EQ(listed->front().toDo, toDo.captured(1).toLongLong());
        EXPECT_EQ(listed->front().photos + listed->front().toDo, 401);
        const Result listing = cli({QStringLiteral("walls")});
        EXPECT_NE(listing.out.find("\n  Unfinished: " + toDo.captured(1).toStdString() + " photos still to do\n"), std::string::npos)
            << listing.out;
    }
}

TEST_F(Cli, AStoppedBuildSaysWhatIsStillToDoAndTheNextBuildFinishesIt)
{
    Folder folder;
    manyPhotos(folder.path(), 200);
    QProcess process;
    QByteArray err;
    ASSERT_TRUE(startUntil(process, {QStringLiteral("build"), folder.text()}, someThumbnailsDone, err)) << err.toStdString();
    kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(300000));
    EXPECT_EQ(process.exitCode(), 130);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpressionMatch said = QRegularExpression(QStringLiteral(
        "^Stopped early: (\\d+) photos? so far\n(\\d+) (?:photos are|photo is) still to do\\. The work so far is saved: run the same build "
        "again to finish the wall\\.\n")).match(out);
    ASSERT_TRUE(said.hasMatch()) << out.toStdString();
    EXPECT_EQ(said.captured(1).toLongLong() + said.captured(2).toLongLong(), 201);

    const Result again = cli({QStringLiteral("build"), folder.text()});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out.rfind("201 photos ready\n", 0), 0u) << again.out;
    EXPECT_EQ(walls()->front().toDo, 0);
    EXPECT_EQ(cli({QStringLiteral("walls")}).out.find("Unfinished"), std::string::npos);
}

TEST_F(Cli, ASecondBuildOfTheSameWallDoesNotStartOrWaitsWithWait)
{
    Folder folder;
    manyPhotos(folder.path(), 300);
    QProcess first;
    QByteArray firstErr;
    ASSERT_TRUE(startUntil(first, {QStringLiteral("build"), folder.text(), QStringLiteral("--json")}, "Making thumbnails",
                           firstErr));
    const std::string holder = std::to_string(first.processId());

    const Result refused = cli({QStringLiteral("build"), folder.text()});
    EXPECT_EQ(refused.status, 75);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("kestova-cli build: Another Kestova (process " + holder + ") is writing the wall in "
                               + (folder.path() / "_Photo Gallery").native() + " right now."),
              std::string::npos)
        << refused.err;

    QProcess waiter;
    QByteArray waitErr;
    ASSERT_TRUE(startUntil(waiter, {QStringLiteral("build"), folder.text(), QStringLiteral("--wait"), QStringLiteral("--json")},
                           "Waiting for the other Kestova…", waitErr))
        << waitErr.toStdString();
    EXPECT_TRUE(waitErr.contains(QByteArray("Process ") + QByteArray::fromStdString(holder) + " is writing this wall."))
        << waitErr.toStdString();
    ASSERT_TRUE(first.waitForFinished(300000));
    EXPECT_EQ(first.exitCode(), 0);
    ASSERT_TRUE(waiter.waitForFinished(300000));
    EXPECT_EQ(waiter.exitCode(), 0);
    const std::string out = waiter.readAllStandardOutput().toStdString();
    EXPECT_EQ(out.rfind("{\"photos\":301,\"found\":301,", 0), 0u) << out;
}

TEST_F(Cli, TwoBuildsStartedTogetherLoseNoPhoto)
{
    Folder folder;
    manyPhotos(folder.path(), 200);
    QProcess a, b;
    const QStringList args{QStringLiteral("build"), folder.text(), QStringLiteral("--json")};
    a.start(QStringLiteral(KESTOVA_CLI), args);
    b.start(QStringLiteral(KESTOVA_CLI), args);
    ASSERT_TRUE(a.waitForFinished(300000) && b.waitForFinished(300000));
    const std::vector<int> statuses{a.exitCode(), b.exitCode()};
    // Either one waited its turn out (75) or they ran one after the other; never a lost photo.
    for (const int status : statuses)
        EXPECT_TRUE(status == 0 || status == 75) << status;
    EXPECT_TRUE(statuses[0] == 0 || statuses[1] == 0);
    const Result after = cli({QStringLiteral("build"), folder.text(), QStringLiteral("--json")});
    ASSERT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(after.out.rfind("{\"photos\":201,\"found\":201,\"duplicates\":0,\"unreadable\":0,", 0), 0u) << after.out;
    for (QProcess* p : {&a, &b}) {
        const std::string out = p->readAllStandardOutput().toStdString();
        if (!out.empty())
            EXPECT_EQ(out.rfind("{\"photos\":201,\"found\":201,\"duplicates\":0,\"unreadable\":0,", 0), 0u) << out;
    }
}

TEST_F(Cli, AnUpdateOfAMovedSourceLeavesTheWallAndSaysWhere)
{
    Folder folder;
    const fs::path card = folder.path() / "Card";
    copyPhotos(card, {{"IMG_0001.JPG", "cameras/Canon_40D.jpg"}, {"IMG_0002.JPG", "cameras/Nikon_D70.jpg"}});
    const fs::path wall = folder.path() / "wall";
    ASSERT_EQ(cli({QStringLiteral("build"), arg(card), QStringLiteral("--out"), arg(wall)}).status, 0);
    std::ifstream before(wall / "manifest.js");
    const std::string manifest((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
    for (const char* name : {"IMG_0001.JPG", "IMG_0002.JPG"})
        fs::rename(card / name, folder.path() / name);
    const Result result = cli({QStringLiteral("build"), arg(card), QStringLiteral("--out"), arg(wall)});
    EXPECT_EQ(result.status, 1);
    const std::string said = "kestova-cli build: " + card.native() + " held 2 photos last time, but Kestova can't find "
                             "any there now. Is the drive connected? The wall was left as it was.\n";
    EXPECT_TRUE(result.err.ends_with(said)) << result.err;
    std::ifstream after(wall / "manifest.js");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), manifest);
    EXPECT_EQ(walls()->front().photos, 2);
}

TEST_F(Cli, InterruptWhileLookingForPhotosWritesNoWall)
{
    Folder folder;
    // 100,000 names: the walk of them takes long enough, even on a fast idle machine, for the
    // signal sent on the first status line to land while it is still going.
    makeLongWalk(folder.path(), 500, 200);
    QProcess process;
    QByteArray err;
    ASSERT_TRUE(startUntil(process, {QStringLiteral("build"), folder.text()}, "Looking for photos…", err));
    kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(300000));
    err += process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 130) << err.toStdString();
    EXPECT_TRUE(err.contains("Stopped while looking for photos. No wall was written.")) << err.toStdString();
    EXPECT_FALSE(fs::exists(folder.path() / "_Photo Gallery" / "index.html"));
    EXPECT_TRUE(walls()->isEmpty());
}

TEST_F(Cli, SecondInterruptEndsAtOnce)
{
    Folder folder;
    manyPhotos(folder.path(), 400);
    QProcess process;
    QByteArray err;
    ASSERT_TRUE(startUntil(process, {QStringLiteral("build"), folder.text()}, "Making thumbnails", err));
    // Two signals sent together may reach the process as one, so the second waits until the
    // first has been taken; the run then still needs its running photos and the wall.
    kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(waitUntilErr(process, QRegularExpression(QStringLiteral("Press Ctrl-C again")), err));
    kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(300000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 143) << "the second signal's own status";
    EXPECT_EQ(process.readAllStandardOutput().toStdString(), "");
    EXPECT_FALSE(fs::exists(folder.path() / "_Photo Gallery" / "index.html"));
}

/// Runs kestova-cli with its output and its errors into a pipe that nobody reads any more, as
/// `| head -n 1` leaves it once its line is read or `| tee` once its terminal closed; the status.
int cliIntoClosedPipe(const QStringList& args)
{
    int ends[2];
    if (pipe(ends) != 0)
        return -2;
    close(ends[0]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, ends[1]);
    std::vector<std::string> words{KESTOVA_CLI};
    for (const QString& a : args)
        words.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, KESTOVA_CLI, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (spawned != 0)
        return -2;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

TEST_F(Cli, AClosedPipeStopsThePrintingButNotTheRun)
{
    Folder folder;
    mixedSource(folder.path());
    for (const QString& format : {QStringLiteral("--json"), QStringLiteral("--no-dedupe")}) {
        SCOPED_TRACE(format.toStdString());
        EXPECT_EQ(cliIntoClosedPipe({QStringLiteral("build"), folder.text(), format}), 0) << "141 is the broken pipe's signal";
        const fs::path wall = folder.path() / "_Photo Gallery";
        EXPECT_TRUE(fs::exists(wall / "index.html"));
        EXPECT_TRUE(fs::exists(wall / ".cache.json"));
        EXPECT_FALSE(fs::exists(wall / ".lock")) << "the lock outlived its run";
        const auto listed = walls();
        ASSERT_TRUE(listed && listed->size() == 1);
        EXPECT_GT(listed->front().photos, 0);
    }
}
