// The program ending in the middle of a run (SIGTERM as at shut-down, the window closed) saves
// the run's work as Stop does: the cache, a partial wall and its entry in Your walls.
#include "model/SettingsStore.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

/// Many distinct photos that cost no disk: hard links to one copy of a large real photo.
fs::path manyPhotos(const fs::path& root, int count)
{
    fs::copy_file(fs::path(KESTOVA_SHARED_PHOTOS) / "cameras/iphone_hdr_NO.jpg", root / "first.jpg");
    for (int i = 0; i < count; ++i)
        fs::create_hard_link(root / "first.jpg", root / ("IMG_" + std::to_string(1000 + i) + ".jpg"));
    return root / "_Photo Gallery";
}

/// Waits (without the event loop: the program is another process) until `done` holds; false
/// when the program ends first. However long that takes on a busy machine: the test's own time
/// limit is the only one.
bool waitUntil(const std::function<bool()>& done, QProcess& process)
{
    while (!done()) {
        if (process.waitForFinished(20))
            return done();
    }
    return true;
}

/// Whether the run's journal says that a photo has ended: its record is then in the run's map,
/// which a stop saves. (A thumbnail standing is not enough: its photo's record may be a moment
/// behind, and a stop on a busy machine may leave that photo behind.)
bool somePhotoEnded(const fs::path& wall)
{
    std::ifstream journal(wall / ".inflight");
    std::string line;
    while (std::getline(journal, line)) {
        if (line.starts_with("E "))
            return true;
    }
    return false;
}

std::int64_t records(const fs::path& wall)
{
    std::ifstream cache(wall / ".cache.json");
    const std::string text((std::istreambuf_iterator<char>(cache)), std::istreambuf_iterator<char>());
    return std::count(text.begin(), text.end(), '[');
}

} // namespace

TEST(SessionEnd, TermInTheMiddleOfARunSavesItsWorkAsStopDoes)
{
    for (const int signal : {SIGTERM, SIGHUP}) {
        QTemporaryDir dir;
        const fs::path source = dir.path().toStdString();
        const fs::path wall = manyPhotos(source, 300);
        QProcess app;
        app.start(QStringLiteral(KESTOVA_APP), {dir.path()});
        ASSERT_TRUE(app.waitForStarted());
        // Once a photo has ended there is work to save.
        ASSERT_TRUE(waitUntil([&] { return somePhotoEnded(wall); }, app)) << "the run never finished a photo";
        kill(static_cast<pid_t>(app.processId()), signal);
        ASSERT_TRUE(app.waitForFinished(-1));
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(app.exitCode(), 128 + signal);
        EXPECT_TRUE(fs::exists(wall / "index.html")) << "no partial wall was written";
        const QList<Recent> recents = SettingsStore::loadRecents();
        ASSERT_FALSE(recents.isEmpty()) << "the wall is not in Your walls";
        EXPECT_EQ(recents.front().root, dir.path());
        EXPECT_GT(recents.front().photos, 0);
        EXPECT_EQ(recents.front().photos, records(wall)) << "the cache and the wall disagree";
        EXPECT_LT(recents.front().photos, 301);
    }
}
