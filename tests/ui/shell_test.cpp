// The window's size, its menus, and handing a folder to the copy already running.
#include "UiTest.h"

#include "TempDir.h"
#include "ui/AppShell.h"
#include "ui/BuildInfo.h"
#include "ui/ContentView.h"
#include "ui/RecentRow.h"
#include "ui/SingleInstance.h"

#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include <thread>

namespace {

class ShellTest : public UiTest {};

QStringList itemsOf(QMenu* menu)
{
    QStringList items;
    for (const QAction* action : menu->actions())
        items << (action->isSeparator() ? QStringLiteral("---") : action->text());
    return items;
}

TEST_F(ShellTest, TheWindowIsExactly540WideAndGrowsWithTheList)
{
    AppShell window(*m, *desktop);
    window.show();
    settle();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Kestova"));
    EXPECT_EQ(window.width(), 540);
    EXPECT_EQ(window.minimumWidth(), 540);
    EXPECT_EQ(window.maximumWidth(), 540);
    EXPECT_GE(window.content()->height(), 460);
    const int empty = window.height();

    window.resize(900, empty);
    settle();
    EXPECT_EQ(window.width(), 540);

    QList<Recent> walls;
    for (int i = 0; i < 8; ++i)
        walls << wall(QStringLiteral("/media/card") + QString::number(i));
    ModelStates::recents(*m, walls);
    settle();
    EXPECT_GT(window.height(), empty);
    EXPECT_EQ(window.width(), 540);
    for (const RecentRow* row : window.findChildren<RecentRow*>()) {
        EXPECT_GE(row->height(), row->minimumSizeHint().height());
        EXPECT_LE(row->mapTo(&window, QPoint(0, row->height())).y(), window.height());
    }
    // Taller by hand is allowed.
    window.resize(540, window.height() + 100);
    settle();
    EXPECT_EQ(window.content()->height() + window.menuBar()->height(), window.height());
}

TEST_F(ShellTest, MenusHoldTheCommandsInOrder)
{
    AppShell window(*m, *desktop);
    const QList<QAction*> menus = window.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(itemsOf(menus[0]->menu()), (QStringList{QStringLiteral("Choose a Folder or Drive…"), QStringLiteral("---"),
                                                      QStringLiteral("Quit")}));
    EXPECT_EQ(window.chooseAction()->shortcut(), QKeySequence(QKeySequence::Open));
    QMenu* help = menus[1]->menu();
    EXPECT_EQ(itemsOf(help), (QStringList{QStringLiteral("Send Feedback…"), QStringLiteral("Join the Kestova Pro Waitlist…"),
                                          QStringLiteral("---"), QStringLiteral("Kestova Website")}));

    const QString host = QString::fromUtf8(BuildInfo::webHost);
    help->actions()[1]->trigger();
    help->actions()[3]->trigger();
    EXPECT_EQ(desktop->urls, (QList<QUrl>{QUrl(QStringLiteral("https://") + host + QStringLiteral("/kestova?src=app#pro")),
                                          QUrl(QStringLiteral("https://") + host + QStringLiteral("/kestova"))}));
    desktop->urlsOpen = false;
    help->actions()[0]->trigger();
    EXPECT_EQ(desktop->copied, QStringList{QString::fromUtf8(BuildInfo::feedbackAddress)});
    ASSERT_EQ(desktop->alerts.size(), 1);
}

TEST_F(ShellTest, ALaterLaunchHandsItsFolderToTheRunningCopy)
{
    TempDir dir;
    const QString socket = QString::fromStdString((dir.path() / "kestova.socket").string());
    SingleInstance later(socket);
    EXPECT_FALSE(later.handOff("/media/card"));

    SingleInstance running(socket);
    ASSERT_TRUE(running.listen());
    QSignalSpy received(&running, &SingleInstance::received);
    const QByteArray odd("/media/Caf\xe9 card/DCIM");
    // The hand-over blocks the later launch; the running copy answers from its event loop,
    // which here runs on a second thread of the test.
    bool handed = false;
    std::thread launch([&] { handed = SingleInstance(socket).handOff(odd); });
    ASSERT_TRUE(waitFor([&] { return received.count() == 1; }, 10000));
    launch.join();
    EXPECT_TRUE(handed);
    EXPECT_EQ(received.takeFirst().at(0).toByteArray(), odd);

    std::thread plain([&] { handed = SingleInstance(socket).handOff(QByteArray()); });
    ASSERT_TRUE(waitFor([&] { return received.count() == 1; }, 10000));
    plain.join();
    EXPECT_EQ(received.takeFirst().at(0).toByteArray(), QByteArray());
}

TEST_F(ShellTest, ASocketLeftByACrashedCopyIsReplaced)
{
    TempDir dir;
    const std::string path = (dir.path() / "kestova.socket").string();
    dir.write("kestova.socket", "");
    SingleInstance running(QString::fromStdString(path));
    EXPECT_TRUE(running.listen());
}

TEST_F(ShellTest, QuittingDuringARunStopsItInSightAndClosesOnceItsWorkIsSaved)
{
    TempDir dir;
    copyPhoto(dir / "first.jpg", "cameras/iphone_hdr_NO.jpg");
    for (int i = 0; i < 300; ++i)
        std::filesystem::create_hard_link(dir / "first.jpg", dir / ("IMG_" + std::to_string(1000 + i) + ".jpg"));
    AppShell window(*m, *desktop);
    window.show();
    m->start(dir.path());
    ASSERT_TRUE(waitFor([&] { return m->stage() != Model::Stage::running || m->progress().fraction > 0; }, 120000));
    ASSERT_EQ(m->stage(), Model::Stage::running) << "the run ended before it could be stopped";

    window.close();
    EXPECT_TRUE(window.isVisible()) << "the window went while its run lives on";
    EXPECT_EQ(m->progress().status, QStringLiteral("Stopping\u2026"));
    ASSERT_TRUE(waitFor([&] { return !window.isVisible(); }, 120000));
    EXPECT_NE(m->stage(), Model::Stage::running);
    EXPECT_TRUE(std::filesystem::exists(dir / "_Photo Gallery/.cache.json")) << "the work so far was not saved";
}

} // namespace
