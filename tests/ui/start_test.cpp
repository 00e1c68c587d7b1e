// The start screen: the walls list, the duplicate setting, the row actions and the drop hint.
#include "UiTest.h"

#include "TempDir.h"
#include "ui/AboutBox.h"
#include "ui/ContentView.h"
#include "ui/ElidedLabel.h"
#include "ui/IdleView.h"
#include "ui/LinkButton.h"
#include "ui/RecentRow.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>

namespace {

using Stage = Model::Stage;

QList<QFrame*> dividers(const QWidget* panel)
{
    return panel ? panel->findChildren<QFrame*>(QStringLiteral("divider")) : QList<QFrame*>{};
}

class StartTest : public UiTest {};

TEST_F(StartTest, NoWallsNoPanelAndTheLinkAtTheBottom)
{
    ContentView content(*m);
    content.show();
    settle();
    auto* idle = qobject_cast<IdleView*>(content.screen());
    ASSERT_TRUE(idle);
    EXPECT_FALSE(idle->wallsPanel());
    EXPECT_TRUE(idle->findChildren<RecentRow*>().isEmpty());
    for (const QLabel* label : idle->findChildren<QLabel*>())
        EXPECT_NE(label->text(), QStringLiteral("Your walls"));
    EXPECT_EQ(idle->feedbackLink()->text(), QStringLiteral("Send feedback or request a feature"));
    EXPECT_EQ(idle->feedbackLink()->geometry().bottom(), idle->height() - 1);
}

TEST_F(StartTest, DividersSeparateRowsWithNoneUnderTheLast)
{
    struct Case {
        int walls;
        int dividers;
    };
    for (const Case c : {Case{1, 0}, Case{2, 1}, Case{3, 2}, Case{8, 7}}) {
        SCOPED_TRACE(c.walls);
        QList<Recent> walls;
        for (int i = 0; i < c.walls; ++i)
            walls << wall(QStringLiteral("/media/card") + QString::number(i));
        ModelStates::recents(*m, walls);
        ContentView content(*m);
        content.show();
        settle();
        auto* idle = qobject_cast<IdleView*>(content.screen());
        ASSERT_TRUE(idle->wallsPanel());
        const QList<RecentRow*> rows = idle->wallsPanel()->findChildren<RecentRow*>();
        const QList<QFrame*> lines = dividers(idle->wallsPanel());
        ASSERT_EQ(rows.size(), c.walls);
        ASSERT_EQ(lines.size(), c.dividers);
        for (int i = 0; i < lines.size(); ++i) {
            EXPECT_GT(lines[i]->y(), rows[i]->geometry().bottom());
            EXPECT_LT(lines[i]->y(), rows[i + 1]->y());
        }
        // Newest first, as the list holds them.
        EXPECT_EQ(rows.first()->titleLabel()->text(), QStringLiteral("card0"));
        // No row is squeezed below its height, however long the list.
        for (const RecentRow* row : rows)
            EXPECT_GE(row->height(), row->minimumSizeHint().height());
    }
}

TEST_F(StartTest, RowCaptionCountsWithGroupingAndTheSingularForOne)
{
    const QDateTime now = QDateTime(QDate(2024, 5, 15), QTime(12, 0), Qt::UTC);
    struct Case {
        qint64 photos;
        QDateTime updated;
        QString caption;
    };
    const std::vector<Case> cases = {
        {1, now.addDays(-1), QStringLiteral("1 photo · updated yesterday")},
        {0, now.addDays(-21), QStringLiteral("0 photos · updated 3 weeks ago")},
        {1500, now.addDays(-21), QStringLiteral("1,500 photos · updated 3 weeks ago")},
        {12480, now.addDays(-21), QStringLiteral("12,480 photos · updated 3 weeks ago")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.photos);
        EXPECT_EQ(RecentText::caption(Recent{QStringLiteral("/a"), QStringLiteral("/a/i.html"), QStringLiteral("a"), c.photos, c.updated}, now),
                  c.caption);
    }
}

TEST_F(StartTest, TheDuplicateSettingSurvivesARestart)
{
    {
        IdleView idle(*m, false);
        EXPECT_TRUE(idle.dedupeBox()->isChecked());
        EXPECT_EQ(idle.dedupeBox()->text(), QStringLiteral("Show duplicate copies once"));
        idle.dedupeBox()->click();
        EXPECT_FALSE(m->dedupe());
    }
    makeModel();
    EXPECT_FALSE(m->dedupe());
    IdleView idle(*m, false);
    EXPECT_FALSE(idle.dedupeBox()->isChecked());
    idle.dedupeBox()->click();
    makeModel();
    EXPECT_TRUE(m->dedupe());
}

TEST_F(StartTest, ThePortableSettingSurvivesARestart)
{
    {
        IdleView idle(*m, false);
        EXPECT_FALSE(idle.portableBox()->isChecked());
        EXPECT_EQ(idle.portableBox()->text(), QStringLiteral("Keep a screen-size copy of every photo"));
        idle.portableBox()->click();
        EXPECT_TRUE(m->portable());
    }
    makeModel();
    IdleView idle(*m, false);
    EXPECT_TRUE(idle.portableBox()->isChecked());
}

TEST_F(StartTest, TheLongVideosSettingSurvivesARestartAndReachesTheRun)
{
    {
        IdleView idle(*m, false);
        EXPECT_FALSE(idle.videoCopiesBox()->isChecked());
        EXPECT_EQ(idle.videoCopiesBox()->text(), QStringLiteral("Make long videos playable too"));
        idle.videoCopiesBox()->click();
        EXPECT_TRUE(m->videoCopies());
    }
    makeModel();
    EXPECT_TRUE(m->videoCopies());
    IdleView idle(*m, false);
    EXPECT_TRUE(idle.videoCopiesBox()->isChecked());
    idle.videoCopiesBox()->click();
    makeModel();
    EXPECT_FALSE(m->videoCopies());
}

TEST_F(StartTest, TheCrossRemovesOnlyItsRowAndNoFile)
{
    TempDir dir;
    const auto page = dir.write("B/_Photo Gallery/index.html", "<html>");
    const Recent a = wall(QStringLiteral("/media/A"));
    const Recent b{QString::fromStdString(dir.path() / "B"), QString::fromStdString(page.string()), QStringLiteral("B"), 4,
                   QDateTime::currentDateTimeUtc()};
    const Recent c = wall(QStringLiteral("/media/C"));
    ModelStates::recents(*m, {a, b, c});
    ContentView content(*m);
    content.show();
    settle();
    auto* idle = qobject_cast<IdleView*>(content.screen());
    idle->wallsPanel()->findChildren<RecentRow*>()[1]->removeButton()->click();
    settle();
    EXPECT_EQ(m->recents(), (QList<Recent>{a, c}));
    EXPECT_EQ(idle->wallsPanel()->findChildren<RecentRow*>().size(), 2);
    EXPECT_EQ(dividers(idle->wallsPanel()).size(), 1);
    EXPECT_EQ(readFile(page), "<html>");
    EXPECT_EQ(m->stage(), Stage::idle);
}

TEST_F(StartTest, OpenAndUpdateGoThroughTheModel)
{
    TempDir dir;
    const auto page = dir.write("Trip/_Photo Gallery/index.html", "<html>");
    const Recent there{QString::fromStdString((dir.path() / "Trip").string()), QString::fromStdString(page.string()),
                       QStringLiteral("Trip"), 4, QDateTime::currentDateTimeUtc()};
    const Recent gone = wall(QStringLiteral("/media/Unplugged"));
    ModelStates::recents(*m, {there, gone});
    ContentView content(*m);
    settle();
    auto rows = [&] { return qobject_cast<IdleView*>(content.screen())->wallsPanel()->findChildren<RecentRow*>(); };

    rows()[0]->openButton()->click();
    EXPECT_EQ(desktop->opened, QStringList{there.gallery});
    EXPECT_EQ(m->stage(), Stage::idle);

    rows()[1]->openButton()->click();
    settle();
    EXPECT_EQ(m->stage(), Stage::failed);
    EXPECT_EQ(m->error(), QStringLiteral("That gallery isn't there anymore. If it was on an external drive, plug the drive in "
                                         "and try again, or choose Update to rebuild it."));
    m->setStage(Stage::idle);
    settle();
    ASSERT_EQ(rows().size(), 2);
    rows()[1]->updateButton()->click();
    settle();
    EXPECT_EQ(m->stage(), Stage::failed);
    EXPECT_EQ(m->error(), QStringLiteral("Can't find /media/Unplugged. If it's an external drive, plug it in and try again."));
    EXPECT_EQ(m->recents().size(), 2);
}

TEST_F(StartTest, ADragOverTheWindowChangesTheHintUntilItLeaves)
{
    ContentView content(*m);
    auto* idle = qobject_cast<IdleView*>(content.screen());
    EXPECT_EQ(idle->dropHint()->text(), QStringLiteral("or drag a folder or drive onto this window"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp"))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&content, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(content.dropping());
    EXPECT_EQ(idle->dropHint()->text(), QStringLiteral("Drop it here"));
    EXPECT_EQ(idle->dropHint()->palette().color(QPalette::WindowText), content.palette().color(QPalette::Highlight));

    QDragLeaveEvent leave;
    QApplication::sendEvent(&content, &leave);
    EXPECT_FALSE(content.dropping());
    EXPECT_EQ(idle->dropHint()->text(), QStringLiteral("or drag a folder or drive onto this window"));
    EXPECT_EQ(m->stage(), Stage::idle);
}

TEST_F(StartTest, TheFeedbackLinkSendsFeedback)
{
    desktop->urlsOpen = true;
    IdleView idle(*m, false);
    idle.feedbackLink()->click();
    ASSERT_EQ(desktop->urls.size(), 1);
    EXPECT_EQ(desktop->urls.first().scheme(), QStringLiteral("mailto"));
    EXPECT_TRUE(desktop->alerts.isEmpty());
}

TEST_F(StartTest, TheAboutLinkShowsTheVersionAndCreditsThePlaceNames)
{
    IdleView idle(*m, false);
    idle.show();
    settle();
    EXPECT_EQ(idle.aboutLink()->text(), QStringLiteral("About Kestova"));
    EXPECT_EQ(idle.aboutLink()->geometry().bottom(), idle.feedbackLink()->geometry().bottom()) << "beside the feedback link";
    idle.aboutLink()->click();
    settle();
    auto* box = idle.findChild<QMessageBox*>();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), AboutBox::text());
    EXPECT_TRUE(box->text().startsWith(QStringLiteral("Kestova ")));
    EXPECT_TRUE(box->text().endsWith(QStringLiteral("Place names: GeoNames (geonames.org), CC BY 4.0")));
    box->close();
}

} // namespace
