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

/// Waits (without the event loop: the program is another process) until `done` holds.
bool waitUntil(const std::function<bool()>& done, QProcess& process)
{
    for (int i = 0; i < 6000 && !done(); ++i) {
        if (process.waitForFinished(20))
            return done();
    }
    return done();
}

/// Whether a finished thumbnail stands in the wall (temporary files are hidden names).
bool someThumbnail(const fs::path& thumbs)
{
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(thumbs, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (it->is_regular_file(error) && it->path().filename().native().front() != '.')
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
        // Once a thumbnail stands there is work to save.
        ASSERT_TRUE(waitUntil([&] { return someThumbnail(wall / "thumbs"); }, app)) << "the run never made a thumbnail";
        kill(static_cast<pid_t>(app.processId()), signal);
        ASSERT_TRUE(app.waitForFinished(60000));
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
