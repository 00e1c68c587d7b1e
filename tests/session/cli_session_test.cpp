// kestova-cli keeps the computer awake through a build, whichever service the desktop offers,
// releases the lock however the build ends, and builds all the same without any bus.
#include "SessionEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>

#include <csignal>

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

QString text(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

} // namespace

TEST(CliSession, aBuildHoldsLogindsLockUntilItEndsAndSendsNoNotification)
{
    PrivateDesktop desktop({QStringLiteral("login1"), QStringLiteral("notifications")});
    ASSERT_TRUE(desktop.ready());
    const fs::path folder = freshFolder("cli-build");
    copyRealPhotos(folder, 2);

    const CliRun run = runCli({QStringLiteral("build"), text(folder)}, desktop.environment());
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_THAT(run.out.toStdString(), HasSubstr("2 photos ready"));
    EXPECT_EQ(desktop.waitForLine(QStringLiteral("inhibit login1")),
              QStringLiteral("inhibit login1 sleep:idle Kestova Building a wall of photos block"));
    EXPECT_FALSE(desktop.waitForLine(QStringLiteral("release login1")).isEmpty());
    EXPECT_TRUE(desktop.lines().filter(QStringLiteral("notify ")).isEmpty());
    EXPECT_TRUE(desktop.lines().filter(QStringLiteral("launcher ")).isEmpty());
}

TEST(CliSession, aBuildKilledHalfWayReleasesTheLockWithTheProcess)
{
    PrivateDesktop desktop({QStringLiteral("login1")});
    ASSERT_TRUE(desktop.ready());
    const fs::path folder = freshFolder("cli-killed");
    for (int i = 0; i < 100; ++i)
        addJunkPhotos(folder / ("roll " + std::to_string(i)), 100);

    QProcess cli;
    cli.setProcessEnvironment(desktop.environment());
    cli.start(QStringLiteral(KESTOVA_CLI), {QStringLiteral("build"), text(folder)});
    ASSERT_TRUE(cli.waitForStarted());
    ASSERT_FALSE(desktop.waitForLine(QStringLiteral("inhibit login1")).isEmpty());
    ASSERT_TRUE(desktop.lines().filter(QStringLiteral("release")).isEmpty());
    // No chance to clean up: only the kernel closing the lock's descriptor can release it.
    ::kill(static_cast<pid_t>(cli.processId()), SIGKILL);
    cli.waitForFinished();
    EXPECT_FALSE(desktop.waitForLine(QStringLiteral("release login1")).isEmpty());
}

TEST(CliSession, withoutLogindTheSessionsScreenSaverHoldsTheLock)
{
    PrivateDesktop desktop({QStringLiteral("screensaver")});
    ASSERT_TRUE(desktop.ready());
    const fs::path folder = freshFolder("cli-screensaver");
    copyRealPhotos(folder, 1);

    const CliRun run = runCli({QStringLiteral("build"), text(folder)}, desktop.environment());
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString inhibit = desktop.waitForLine(QStringLiteral("inhibit screensaver"));
    EXPECT_EQ(inhibit, QStringLiteral("inhibit screensaver Kestova Building a wall of photos 1"));
    EXPECT_EQ(desktop.waitForLine(QStringLiteral("release screensaver")), QStringLiteral("release screensaver 1"));
    // Released once: by UnInhibit, or by the process leaving the bus, whichever comes first.
    EXPECT_EQ(desktop.lines().filter(QStringLiteral("release")).size(), 1);
}

TEST(CliSession, withNoBusAtAllTheBuildProceedsWithoutAWord)
{
    const fs::path folder = freshFolder("cli-nowhere");
    copyRealPhotos(folder, 2);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString nowhere = QStringLiteral("unix:path=") + text(folder / "no-bus-here");
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), nowhere);
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), nowhere);

    const CliRun run = runCli({QStringLiteral("build"), text(folder)}, env);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_THAT(run.out.toStdString(), HasSubstr("2 photos ready"));
    EXPECT_TRUE(fs::exists(folder / "_Photo Gallery" / "index.html"));
    EXPECT_THAT(run.err.toLower().toStdString(), Not(HasSubstr("d-bus")));
    EXPECT_THAT(run.err.toLower().toStdString(), Not(HasSubstr("dbus")));
}
