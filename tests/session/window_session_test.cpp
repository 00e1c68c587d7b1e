// What the desktop learns of the window's runs: the sleep lock, the dock's progress and the
// notification at the end, as the fake desktop on the private bus receives them.
#include "SessionEnvironment.h"

#include "model/Model.h"
#include "session/RunSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QtTest/QTest>

#include <fstream>

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

/// A window that is active or not, and counts how often it was brought forward.
struct FakeWindow {
    bool active = false;
    int raised = 0;
    RunSession::Window hooks()
    {
        return {[this] { return active; }, [this] { ++raised; }};
    }
};

/// Waits until the fake desktop has handled everything this process sent before: one
/// connection's messages arrive in the order they were sent.
void syncWithDesktop()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.kestova.FakeDesktop"), QStringLiteral("/"), QStringLiteral("org.kestova.FakeDesktop"),
        QStringLiteral("Sync")));
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
}

bool runEnds(Model& m)
{
    return QTest::qWaitFor([&] { return m.stage() != Model::Stage::running; }, 120000);
}

QStringList linesFrom(const QStringList& lines, qsizetype from, const QString& prefix)
{
    QStringList found;
    for (qsizetype i = from; i < lines.size(); ++i)
        if (lines[i].startsWith(prefix))
            found << lines[i];
    return found;
}

} // namespace

TEST(WindowSession, aRunEndingInTheBackgroundKeepsTheComputerAwakeShowsProgressAndNotifies)
{
    PrivateDesktop& desktop = sessionDesktop();
    const qsizetype from = desktop.lines().size();
    const auto folder = freshFolder("holiday");
    copyRealPhotos(folder, 3);
    addJunkPhotos(folder, 400);

    Model m;
    FakeWindow window;
    RunSession session(m, window.hooks());
    m.start(QString::fromStdString(folder.string()));
    ASSERT_EQ(m.stage(), Model::Stage::running);
    // The lock is asked for before the run's first report.
    EXPECT_EQ(session.sleepHolder(), QStringLiteral("login1"));
    EXPECT_EQ(desktop.waitForLine(QStringLiteral("inhibit login1"), from),
              QStringLiteral("inhibit login1 sleep:idle Kestova Building a wall of photos block"));
    ASSERT_TRUE(runEnds(m));
    ASSERT_EQ(m.stage(), Model::Stage::done);
    EXPECT_EQ(session.sleepHolder(), QString());

    ASSERT_FALSE(desktop.waitForLine(QStringLiteral("release login1"), from).isEmpty());
    const QString notified = desktop.waitForLine(QStringLiteral("notify "), from);
    EXPECT_THAT(notified.toStdString(), StartsWith("notify Kestova|3 photos ready|holiday|default,Show Kestova "));
    syncWithDesktop();

    // The dock showed the progress during the run and hides it at its end.
    const QStringList launcher = linesFrom(desktop.lines(), from, QStringLiteral("launcher "));
    ASSERT_GE(launcher.size(), 2) << desktop.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_THAT(launcher.first().toStdString(), HasSubstr("application://kestova.desktop"));
    EXPECT_TRUE(launcher.filter(QStringLiteral(" visible")).size() >= 1);
    EXPECT_THAT(launcher.last().toStdString(), ::testing::EndsWith(" hidden"));

    // Clicking the notification brings the window back.
    const QString id = notified.section(QLatin1Char(' '), -1);
    desktop.command(QStringLiteral("click ") + id);
    ASSERT_FALSE(desktop.waitForLine(QStringLiteral("clicked ") + id, from).isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.raised == 1; }, 30000))
        << "raised " << window.raised << " times; the desktop saw:\n"
        << desktop.lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(qEnvironmentVariable("XDG_ACTIVATION_TOKEN"), QStringLiteral("fake-token"));
}

TEST(WindowSession, aRunEndingInFrontOfTheUserSendsNoNotification)
{
    PrivateDesktop& desktop = sessionDesktop();
    const qsizetype from = desktop.lines().size();
    const auto folder = freshFolder("front");
    copyRealPhotos(folder, 1);

    Model m;
    FakeWindow window;
    window.active = true;
    RunSession session(m, window.hooks());
    m.start(QString::fromStdString(folder.string()));
    ASSERT_TRUE(runEnds(m));
    ASSERT_FALSE(desktop.waitForLine(QStringLiteral("release login1"), from).isEmpty());
    syncWithDesktop();
    ASSERT_FALSE(desktop.waitForLine(QStringLiteral("sync"), from).isEmpty());
    EXPECT_TRUE(linesFrom(desktop.lines(), from, QStringLiteral("notify ")).isEmpty());
}

TEST(WindowSession, aFailedRunReleasesTheLockAndSaysWhatWentWrong)
{
    PrivateDesktop& desktop = sessionDesktop();
    const qsizetype from = desktop.lines().size();
    const auto folder = freshFolder("blocked");
    copyRealPhotos(folder, 1);
    // A file where the wall's folder should go.
    std::ofstream(folder / "wall") << "in the way";

    Model m;
    FakeWindow window;
    RunSession session(m, window.hooks());
    m.start(folder, RunOptions{folder / "wall", std::nullopt, std::nullopt});
    ASSERT_TRUE(runEnds(m));
    ASSERT_EQ(m.stage(), Model::Stage::failed);
    ASSERT_FALSE(desktop.waitForLine(QStringLiteral("release login1"), from).isEmpty());
    const QString notified = desktop.waitForLine(QStringLiteral("notify "), from);
    EXPECT_THAT(notified.toStdString(), StartsWith("notify Kestova|Something went wrong|Couldn't create the folder"));
    EXPECT_THAT(notified.toStdString(), HasSubstr("wall/thumbs"));
}

TEST(WindowSession, aRunStoppedDuringTheWalkReleasesTheLockQuietly)
{
    PrivateDesktop& desktop = sessionDesktop();
    const qsizetype from = desktop.lines().size();
    const auto folder = freshFolder("stopped");
    for (int i = 0; i < 200; ++i)
        addJunkPhotos(folder / ("roll " + std::to_string(i)), 50);

    Model m;
    FakeWindow window;
    RunSession session(m, window.hooks());
    m.start(QString::fromStdString(folder.string()));
    ASSERT_FALSE(desktop.waitForLine(QStringLiteral("inhibit login1"), from).isEmpty());
    m.cancel();
    ASSERT_TRUE(runEnds(m));
    ASSERT_FALSE(desktop.waitForLine(QStringLiteral("release login1"), from).isEmpty());
    syncWithDesktop();
    ASSERT_FALSE(desktop.waitForLine(QStringLiteral("sync"), from).isEmpty());
    if (m.stage() == Model::Stage::idle)
        EXPECT_TRUE(linesFrom(desktop.lines(), from, QStringLiteral("notify ")).isEmpty());
}
