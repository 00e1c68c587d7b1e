// Wall titles and output folders: writable and read-only sources, "/", an existing wall.
#include "TestSupport.h"

#include "engine/base/Md5.h"
#include "model/PathText.h"
#include "model/WallLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace fs = std::filesystem;
using namespace TestSupport;

namespace {

fs::path pictures()
{
    return PathText::toPath(home()) / "Pictures";
}

/// Where a source that cannot take its wall gets it.
fs::path fallback(const fs::path& root, const std::string& folderTitle)
{
    return pictures() / "Kestova" / (folderTitle + " " + md5Hex(root.native()).substr(0, 6));
}

struct TitleCase {
    std::string path;
    std::string title;
};

TEST(WallTitle, DisplayNames)
{
    Folder folder;
    const TitleCase cases[] = {
        {"/", "Computer"},
        {folder.path().native() + "/Holiday 2019", "Holiday 2019"},
        {folder.path().native() + "/caf\xE9", "caf\xE9"}, // a name that is not UTF-8 keeps its bytes
        {folder.path().native() + "/DCIM", "DCIM"},
    };
    for (const auto& c : cases) {
        fs::create_directories(c.path);
        EXPECT_EQ(PathText::toBytes(Model::title(c.path)), c.title) << c.path;
    }
}

TEST(WallLocation, StandardizedRoots)
{
    const fs::path cwd = fs::current_path();
    const std::pair<std::string, std::string> cases[] = {
        {"/a/b/", "/a/b"},      {"/a/./b/../c", "/a/c"}, {"/", "/"},
        {"/a//b", "/a/b"},      {"/..", "/"},            {"rel/x/..", (cwd / "rel").native()},
    };
    for (const auto& [given, expected] : cases)
        EXPECT_EQ(WallLocation::standardized(given).native(), expected) << given;
}

TEST(GalleryDir, WritableSourceGetsAWallInsideItself)
{
    Folder folder;
    const fs::path root = folder.path() / "DCIM";
    fs::create_directories(root);
    ASSERT_TRUE(WallLocation::isWritable(root));
    EXPECT_EQ(Model::galleryDir(root, QStringLiteral("DCIM")), root / "_Photo Gallery");
    EXPECT_FALSE(fs::exists(root / "_Photo Gallery")); // nothing is created
    fs::create_directory(root / "_Photo Gallery");
    EXPECT_EQ(Model::galleryDir(root, QStringLiteral("DCIM")), root / "_Photo Gallery");
}

TEST(GalleryDir, FileSystemRootGoesToPictures)
{
    std::error_code ec;
    if (fs::exists("/_Photo Gallery", ec))
        GTEST_SKIP() << "this machine has a /_Photo Gallery, which would be reused";
    // "/" never gets a new wall inside itself, writable or not.
    EXPECT_EQ(Model::galleryDir("/", QStringLiteral("Computer")), pictures() / "Kestova" / "Computer 6666cd");
    EXPECT_EQ(Model::galleryDir("/", QStringLiteral("a/b/c")), pictures() / "Kestova" / "a-b-c 6666cd");
    EXPECT_FALSE(fs::exists(pictures() / "Kestova"));
}

TEST(GalleryDir, PicturesFolderFromXdgUserDirs)
{
    Folder folder;
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const QString file = QString::fromLocal8Bit(config) + QStringLiteral("/user-dirs.dirs");
    QDir().mkpath(QString::fromLocal8Bit(config));
    {
        QFile dirs(file);
        ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_PICTURES_DIR=\"" + folder.text().toUtf8() + "/Bilder\"\n");
    }
    EXPECT_EQ(WallLocation::picturesDir(), folder.path() / "Bilder");
    QFile::remove(file);
    EXPECT_EQ(WallLocation::picturesDir(), pictures());
}

// --- read-only sources

/// The checks on the folders that read-only-base prepared: base/Card read-only, base/Card2
/// read-only with a writable "_Photo Gallery" inside, a photo in each.
void checkReadOnly(const fs::path& base)
{
    const fs::path card = base / "Card";
    const fs::path card2 = base / "Card2";
    ASSERT_FALSE(WallLocation::isWritable(card)) << "the test folder is writable, so it proves nothing";
    EXPECT_TRUE(WallLocation::isWritable(card2 / "_Photo Gallery"));

    EXPECT_EQ(Model::galleryDir(card, QStringLiteral("Card")), fallback(card, "Card"));
    EXPECT_EQ(Model::galleryDir(card, QStringLiteral("Card")), Model::galleryDir(card, QStringLiteral("Card")));
    EXPECT_EQ(Model::galleryDir(card, QStringLiteral("My/Card")), fallback(card, "My-Card"));
    // An earlier wall inside a read-only source is used when it can still be written.
    EXPECT_EQ(Model::galleryDir(card2, QStringLiteral("Card2")), card2 / "_Photo Gallery");

    // The whole run: the wall lands under Pictures and enters the list; the source is untouched.
    TestModel t;
    t.model.start(card);
    ASSERT_TRUE(waitForRunEnd(t.model));
    ASSERT_EQ(t.model.stage(), Model::Stage::done) << t.model.error().toStdString();
    EXPECT_EQ(t.model.summary()->gallery, fallback(card, "Card") / "index.html");
    EXPECT_EQ(t.model.summary()->photos, 1);
    EXPECT_TRUE(fs::exists(fallback(card, "Card") / "manifest.js"));
    EXPECT_EQ(t.model.recents().front().root, PathText::fromPath(card));
    EXPECT_EQ(std::distance(fs::directory_iterator(card), fs::directory_iterator()), 1);
}

void prepareReadOnlyBase(const fs::path& base)
{
    copyPhotos(base / "Card", {{"DCIM/100CANON/IMG_0001.JPG", "cameras/Canon_40D.jpg"}});
    copyPhotos(base / "Card2", {{"IMG_0002.JPG", "cameras/Nikon_D70.jpg"}});
    fs::create_directories(base / "Card2" / "_Photo Gallery");
}

TEST(ReadOnlySource, GetsItsWallUnderPictures)
{
    Folder folder;
    const fs::path base = folder.path();
    prepareReadOnlyBase(base);

    if (geteuid() != 0) {
        // An unprivileged user: permission bits stop writes.
        chmod((base / "Card").c_str(), 0555);
        chmod((base / "Card2").c_str(), 0555);
        checkReadOnly(base);
        chmod((base / "Card").c_str(), 0755);
        chmod((base / "Card2").c_str(), 0755);
        return;
    }
    // Root writes through permission bits, so the folders become a read-only mount instead, in
    // a private mount namespace, and the checks run there in a child run of this program.
    if (QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("-rm"), QStringLiteral("true")}) != 0)
        GTEST_SKIP() << "running as root and unshare -rm is not available, so no folder here is read-only for "
                        "this process";
    const QString script = QStringLiteral(
        "set -e; mount --bind \"$1/Card\" \"$1/Card\"; mount -o remount,bind,ro \"$1/Card\"; "
        // The wall folder is mounted on its own before Card2 turns read-only, so it stays writable.
        "mount --bind \"$1/Card2\" \"$1/Card2\"; mount --bind \"$1/Card2/_Photo Gallery\" \"$1/Card2/_Photo Gallery\"; "
        "mount -o remount,bind,ro \"$1/Card2\"; "
        "exec \"$2\" --gtest_filter=ReadOnlyChild.*");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KESTOVA_TEST_CHILD"), PathText::fromPath(base));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("unshare"), {QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                                            QStringLiteral("sh"), PathText::fromPath(base),
                                            QCoreApplication::applicationFilePath()});
    ASSERT_TRUE(child.waitForFinished(300000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST(ReadOnlyChild, Checks)
{
    const char* base = std::getenv("KESTOVA_TEST_CHILD");
    if (!base)
        GTEST_SKIP() << "runs inside the read-only mount that ReadOnlySource sets up";
    checkReadOnly(base);
}

} // namespace
