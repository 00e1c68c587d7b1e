// The screen for each stage, and what the progress, result and failure screens show.
#include "UiTest.h"

#include "ui/ContentView.h"
#include "ui/DoneView.h"
#include "ui/ElidedLabel.h"
#include "ui/FailedView.h"
#include "ui/IdleView.h"
#include "ui/Look.h"
#include "ui/RunningView.h"
#include "ui/Symbol.h"
#include "ui/UnreadableDialog.h"
#include "ui/WrapLabel.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextDocumentFragment>

namespace {

using Stage = Model::Stage;

JobSummary summary(qint64 photos, qint64 duplicates, qint64 undated, qint64 unreadable, bool partial)
{
    return ModelStates::summary(photos, duplicates, undated, unreadable, partial, "/walls/Holiday/_Photo Gallery/index.html");
}

/// A run stopped with `toDo` photos still to do.
JobSummary stopped(qint64 photos, qint64 toDo, qint64 duplicates = 0, qint64 undated = 0, qint64 unreadable = 0)
{
    JobSummary s = summary(photos, duplicates, undated, unreadable, true);
    s.toDo = toDo;
    return s;
}

/// The words a label shows, also when they are a link.
QString shownText(const QLabel* label)
{
    return label->textFormat() == Qt::RichText ? QTextDocumentFragment::fromHtml(label->text()).toPlainText() : label->text();
}

QStringList texts(const QList<QLabel*>& labels)
{
    QStringList list;
    for (const QLabel* label : labels)
        list << shownText(label);
    return list;
}

class ScreensTest : public UiTest {};

TEST_F(ScreensTest, EachStageShowsItsScreen)
{
    ContentView view(*m);
    EXPECT_TRUE(qobject_cast<IdleView*>(view.screen()));

    ModelStates::running(*m, QStringLiteral("Card"), QStringLiteral("Looking for photos…"), QStringLiteral("/media/card"),
                         std::nullopt);
    settle();
    EXPECT_TRUE(qobject_cast<RunningView*>(view.screen()));

    ModelStates::done(*m, summary(3, 0, 0, 0, false), QStringLiteral("Card"));
    settle();
    EXPECT_TRUE(qobject_cast<DoneView*>(view.screen()));

    ModelStates::failed(*m, QStringLiteral("Broken."));
    settle();
    EXPECT_TRUE(qobject_cast<FailedView*>(view.screen()));

    ModelStates::idle(*m);
    settle();
    EXPECT_TRUE(qobject_cast<IdleView*>(view.screen()));
    // Exactly one screen at a time.
    EXPECT_EQ(view.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
}

TEST_F(ScreensTest, DoneAndOkReturnToTheStartScreenKeepingTheirFields)
{
    ContentView view(*m);
    ModelStates::done(*m, summary(3, 0, 0, 0, false), QStringLiteral("Card"));
    settle();
    qobject_cast<DoneView*>(view.screen())->doneButton()->click();
    settle();
    EXPECT_EQ(m->stage(), Stage::idle);
    EXPECT_TRUE(qobject_cast<IdleView*>(view.screen()));
    EXPECT_TRUE(m->summary().has_value());

    ModelStates::failed(*m, QStringLiteral("Broken."));
    settle();
    auto* failed = qobject_cast<FailedView*>(view.screen());
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->messageLabel()->text(), QStringLiteral("Broken."));
    failed->okButton()->click();
    settle();
    EXPECT_EQ(m->stage(), Stage::idle);
    EXPECT_EQ(m->error(), QStringLiteral("Broken."));
}

TEST_F(ScreensTest, ANewRunAfterDoneShowsTheNewTitle)
{
    ContentView view(*m);
    ModelStates::done(*m, summary(3, 0, 0, 0, false), QStringLiteral("Old card"));
    settle();
    qobject_cast<DoneView*>(view.screen())->doneButton()->click();
    settle();
    ModelStates::running(*m, QStringLiteral("New card"), QStringLiteral("Looking for photos…"), QStringLiteral("/x"), std::nullopt);
    settle();
    auto* running = qobject_cast<RunningView*>(view.screen());
    ASSERT_TRUE(running);
    EXPECT_EQ(running->titleLabel()->text(), QStringLiteral("New card"));
}

struct ResultCase {
    const char* name;
    JobSummary summary;
    SymbolName symbol;
    QString headline;
    QStringList details;
    bool wallButtons;
    bool updateButton = false;
};

TEST_F(ScreensTest, ResultScreenWordsForEachKindOfRun)
{
    const QString nothing = QStringLiteral("Nothing in Holiday looked like a photo (JPEG, HEIC, PNG, RAW and so on).");
    const QString later = QStringLiteral("520 photos are still to do. The work so far is saved: choose Update to finish the wall.");
    const std::vector<ResultCase> cases = {
        {"one photo", summary(1, 0, 0, 0, false), SymbolName::checkmark, QStringLiteral("1 photo ready"), {}, true},
        {"partial with duplicates", stopped(250, 520, 3), SymbolName::pause,
         QStringLiteral("Stopped early: 250 photos so far"), {later, QStringLiteral("3 duplicate copies shown once")}, true, true},
        {"one duplicate", summary(20, 1, 0, 0, false), SymbolName::checkmark, QStringLiteral("20 photos ready"),
         {QStringLiteral("1 duplicate copy shown once")}, true},
        {"empty", summary(0, 0, 0, 0, false), SymbolName::checkmark, QStringLiteral("No photos found"), {nothing}, false},
        {"partial and empty", summary(0, 0, 0, 0, true), SymbolName::pause, QStringLiteral("No photos found"), {nothing}, false},
        // Stopped before the first photo was done: the photos are there, only not done yet.
        {"stopped before any photo", stopped(0, 6), SymbolName::pause, QStringLiteral("Stopped early: 0 photos so far"),
         {QStringLiteral("6 photos are still to do. The work so far is saved: choose Update to finish the wall.")}, false, true},
        {"undated 1", summary(40, 0, 1, 0, false), SymbolName::checkmark, QStringLiteral("40 photos ready"),
         {QStringLiteral("1 photo has no date and is grouped at the end")}, true},
        {"undated 2", summary(40, 0, 2, 0, false), SymbolName::checkmark, QStringLiteral("40 photos ready"),
         {QStringLiteral("2 photos have no date and are grouped at the end")}, true},
        {"unreadable 1", summary(40, 0, 0, 1, false), SymbolName::checkmark, QStringLiteral("40 photos ready"),
         {QStringLiteral("1 file couldn't be read and was skipped")}, true},
        {"unreadable 1,024", summary(12480, 0, 0, 1024, false), SymbolName::checkmark, QStringLiteral("12,480 photos ready"),
         {QStringLiteral("1,024 files couldn't be read and were skipped")}, true},
        {"every line", stopped(1500, 1, 2, 3, 4), SymbolName::pause, QStringLiteral("Stopped early: 1,500 photos so far"),
         {QStringLiteral("1 photo is still to do. The work so far is saved: choose Update to finish the wall."),
          QStringLiteral("2 duplicate copies shown once"), QStringLiteral("3 photos have no date and are grouped at the end"),
          QStringLiteral("4 files couldn't be read and were skipped")},
         true, true},
    };
    for (const ResultCase& c : cases) {
        SCOPED_TRACE(c.name);
        ModelStates::done(*m, c.summary, QStringLiteral("Holiday"));
        DoneView view(*m);
        ASSERT_TRUE(view.symbol());
        EXPECT_EQ(view.symbol()->name(), c.symbol);
        EXPECT_EQ(view.symbol()->tint(), c.symbol == SymbolName::pause ? Look::orange() : Look::green());
        EXPECT_EQ(view.headlineLabel()->text(), c.headline);
        EXPECT_EQ(texts(view.detailLabels()), c.details);
        ASSERT_TRUE(view.doneButton());
        EXPECT_EQ(view.doneButton()->text(), QStringLiteral("Done"));
        // The line that says how to finish the wall has its button beside it.
        ASSERT_EQ(view.updateButton() != nullptr, c.updateButton);
        if (c.updateButton)
            EXPECT_EQ(view.updateButton()->text(), QStringLiteral("Update"));
        if (c.wallButtons) {
            ASSERT_TRUE(view.openButton() && view.showButton() && view.savedAtLabel());
            EXPECT_EQ(view.openButton()->text(), QStringLiteral("Open Kestova"));
            EXPECT_EQ(view.showButton()->text(), QStringLiteral("Show in Folder"));
            EXPECT_EQ(view.savedAtLabel()->text(),
                      QStringLiteral("The wall is saved at /walls/Holiday/_Photo Gallery. It opens in your web browser, and you "
                                     "can open it any time, even without this app."));
        } else {
            EXPECT_FALSE(view.openButton());
            EXPECT_FALSE(view.showButton());
            EXPECT_FALSE(view.savedAtLabel());
        }
    }
}

TEST_F(ScreensTest, TheUnreadableLineIsALinkToTheNamesOfThoseFiles)
{
    JobSummary s = summary(40, 2, 0, 3, false);
    s.unreadableFiles = {{"DCIM/broken.jpg", WhyUnreadable::damaged, "VipsJpeg: Premature end of JPEG file"},
                         {"DCIM/half.heic", WhyUnreadable::tooLarge},
                         {"Old/\xff.png", WhyUnreadable::passedOver}};
    ModelStates::done(*m, s, QStringLiteral("Holiday"));
    DoneView view(*m);
    view.show();
    settle();
    // Only that line is a link, and it keeps its words.
    ASSERT_TRUE(view.unreadableLabel());
    EXPECT_EQ(view.detailLabels().size(), 2);
    EXPECT_EQ(view.detailLabels().at(1), view.unreadableLabel());
    EXPECT_EQ(view.detailLabels().at(0)->textFormat(), Qt::PlainText);
    EXPECT_EQ(shownText(view.unreadableLabel()), QStringLiteral("3 files couldn't be read and were skipped"));
    EXPECT_FALSE(view.unreadableDialog());

    Q_EMIT view.unreadableLabel()->linkActivated(QStringLiteral("unreadable"));
    settle();
    UnreadableDialog* dialog = view.unreadableDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    // Each with why, in the words of the result, and the decoder's own after it.
    EXPECT_EQ(dialog->listText(), QStringLiteral("DCIM/broken.jpg (damaged, or not a kind of photo Kestova reads \u2014 "
                                                 "VipsJpeg: Premature end of JPEG file)\n"
                                                 "DCIM/half.heic (too large)\nOld/")
                                      + QChar(0xDCFF) + QStringLiteral(".png (passed over: the decoder crashed on it before)"));
    dialog->copyButton()->click();
    EXPECT_EQ(desktop->copied, QStringList{dialog->listText() + QLatin1Char('\n')});
    dialog->reject();
    EXPECT_EQ(m->stage(), Stage::done); // the list changes nothing

    // A run that read every file has no link.
    ModelStates::done(*m, summary(40, 2, 0, 0, false), QStringLiteral("Holiday"));
    DoneView clean(*m);
    EXPECT_FALSE(clean.unreadableLabel());
}

TEST_F(ScreensTest, ResultButtonsOpenAndRevealTheWallInOrder)
{
    ModelStates::done(*m, summary(5, 0, 0, 0, false), QStringLiteral("Holiday"));
    DoneView view(*m);
    view.resize(484, 400);
    view.show();
    settle();
    EXPECT_LT(view.openButton()->x(), view.showButton()->x());
    EXPECT_LT(view.showButton()->x(), view.doneButton()->x());
    view.openButton()->click();
    view.showButton()->click();
    EXPECT_EQ(desktop->opened, QStringList{QStringLiteral("/walls/Holiday/_Photo Gallery/index.html")});
    EXPECT_EQ(desktop->revealed, QStringList{QStringLiteral("/walls/Holiday/_Photo Gallery/index.html")});
    EXPECT_EQ(m->stage(), Stage::done);
}

TEST_F(ScreensTest, ProgressBarFollowsTheFraction)
{
    ModelStates::running(*m, QStringLiteral("Card"), QStringLiteral("Looking for photos…"), QStringLiteral("0 found so far"),
                         std::nullopt);
    RunningView view(*m);
    // No fraction: the moving bar, not a spinner, 340 wide.
    EXPECT_EQ(view.progressBar()->minimum(), 0);
    EXPECT_EQ(view.progressBar()->maximum(), 0);
    EXPECT_EQ(view.progressBar()->width(), 340);

    ModelStates::progress(*m, QStringLiteral("Making thumbnails"), QStringLiteral("1,204 of 3,000 · about 5 minutes left"),
                          1204.0 / 3000.0);
    EXPECT_EQ(view.progressBar()->maximum(), RunningView::barSteps);
    EXPECT_EQ(view.progressBar()->value(), 401);
    EXPECT_EQ(view.statusLabel()->text(), QStringLiteral("Making thumbnails"));
    EXPECT_EQ(view.detailLabel()->text(), QStringLiteral("1,204 of 3,000 · about 5 minutes left"));

    ModelStates::progress(*m, QStringLiteral("Building your wall…"), QString(), std::nullopt);
    EXPECT_EQ(view.progressBar()->maximum(), 0);
    EXPECT_EQ(view.detailLabel()->text(), QString());
}

TEST_F(ScreensTest, ALongPathKeepsItsBeginningAndEnd)
{
    const QString path = QStringLiteral("/media/ana/Backup drive from the old laptop/Users/ana/Pictures/Photos "
                                        "Library.photoslibrary/originals/2019/summer");
    ModelStates::running(*m, QStringLiteral("Card"), QStringLiteral("Looking for photos…"), path, std::nullopt);
    ContentView content(*m);
    content.show();
    settle();
    auto* view = qobject_cast<RunningView*>(content.screen());
    ASSERT_TRUE(view);
    const QString shown = view->detailLabel()->shownText();
    EXPECT_NE(shown, path);
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/media/")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("summer")));
    EXPECT_LE(view->detailLabel()->width(), 484);
}

TEST_F(ScreensTest, StopAsksTheModelToStopAndStaysEnabled)
{
    ModelStates::running(*m, QStringLiteral("Card"), QStringLiteral("Making thumbnails"), QStringLiteral("3 of 9"), 1.0 / 3);
    RunningView view(*m);
    view.stopButton()->click();
    EXPECT_EQ(view.statusLabel()->text(), QStringLiteral("Stopping…"));
    EXPECT_TRUE(view.stopButton()->isEnabled());
    EXPECT_EQ(m->stage(), Stage::running);
}

} // namespace

namespace {

TEST_F(ScreensTest, WrappedTextsGetEveryLineTheyNeed)
{
    ContentView content(*m);
    content.show();
    const auto check = [&](const char* name) {
        SCOPED_TRACE(name);
        content.resize(content.width(), 0);
        settle();
        const QList<WrapLabel*> labels = content.findChildren<WrapLabel*>();
        ASSERT_FALSE(labels.isEmpty());
        for (WrapLabel* label : labels) {
            if (label->isVisible())
                EXPECT_GE(label->height(), label->QLabel::heightForWidth(label->width())) << label->text().toStdString();
        }
    };
    check("start");
    ModelStates::failed(*m, QStringLiteral("Can't find /media/ana/SD Card. If it's an external drive, plug it in and try again."));
    check("failure");
    JobSummary s;
    s.photos = 12480;
    s.duplicates = 310;
    s.undated = 57;
    s.unreadable = 1024;
    s.partial = true;
    s.gallery = "/home/ana/Pictures/Kestova/A rather long wall title for a card 3f9a2c/index.html";
    ModelStates::done(*m, s, QStringLiteral("Card"));
    check("result");
    ModelStates::running(*m, QStringLiteral("Card"), QStringLiteral("Looking for photos…"), QStringLiteral("/media"), std::nullopt);
    check("progress");
}

} // namespace
