// Return and Escape on each screen, and Ctrl+O, in a shown and active window.
#include "UiTest.h"

#include "ui/AppShell.h"
#include "ui/ContentView.h"

#include <QTest>

namespace {

using Stage = Model::Stage;

JobSummary wallOf(qint64 photos)
{
    JobSummary s;
    s.photos = photos;
    s.gallery = "/walls/Card/_Photo Gallery/index.html";
    return s;
}

class KeysTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = std::make_unique<AppShell>(*m, *desktop);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void TearDown() override { window.reset(); }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        settle();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(target, key, modifiers);
        settle();
    }

    std::unique_ptr<AppShell> window;
};

TEST_F(KeysTest, ReturnOnTheStartScreenOpensTheChooser)
{
    press(Qt::Key_Return);
    EXPECT_EQ(desktop->chooses, 1);
    EXPECT_EQ(desktop->prompt, QStringLiteral("Build Kestova"));
    EXPECT_EQ(desktop->message,
              QStringLiteral("Choose a drive or folder. Kestova finds every photo inside it, including in subfolders."));
    press(Qt::Key_Enter);
    EXPECT_EQ(desktop->chooses, 2);
    press(Qt::Key_Escape);
    EXPECT_EQ(desktop->chooses, 2);
    EXPECT_EQ(m->stage(), Stage::idle);
}

TEST_F(KeysTest, EscapeOnTheProgressScreenStops)
{
    ModelStates::running(*m, QStringLiteral("Card"), QStringLiteral("Making thumbnails"), QStringLiteral("3 of 9"), 1.0 / 3);
    press(Qt::Key_Return);
    EXPECT_EQ(m->progress().status, QStringLiteral("Making thumbnails"));
    EXPECT_EQ(desktop->chooses, 0);
    press(Qt::Key_Escape);
    EXPECT_EQ(m->progress().status, QStringLiteral("Stopping…"));
    EXPECT_EQ(m->stage(), Stage::running);
}

TEST_F(KeysTest, ReturnOpensTheWallAndEscapeLeavesTheResultScreen)
{
    ModelStates::done(*m, wallOf(12), QStringLiteral("Card"));
    press(Qt::Key_Return);
    EXPECT_EQ(desktop->opened, QStringList{QStringLiteral("/walls/Card/_Photo Gallery/index.html")});
    EXPECT_EQ(m->stage(), Stage::done);
    press(Qt::Key_Escape);
    EXPECT_EQ(m->stage(), Stage::idle);
}

TEST_F(KeysTest, ReturnDoesNothingOnAnEmptyResult)
{
    ModelStates::done(*m, wallOf(0), QStringLiteral("Card"));
    press(Qt::Key_Return);
    EXPECT_TRUE(desktop->opened.isEmpty());
    EXPECT_EQ(m->stage(), Stage::done);
    press(Qt::Key_Escape);
    EXPECT_EQ(m->stage(), Stage::idle);
}

TEST_F(KeysTest, ReturnOnTheFailureScreenIsOk)
{
    ModelStates::failed(*m, QStringLiteral("Broken."));
    press(Qt::Key_Escape);
    EXPECT_EQ(m->stage(), Stage::failed);
    press(Qt::Key_Return);
    EXPECT_EQ(m->stage(), Stage::idle);
}

TEST_F(KeysTest, CtrlOChoosesFromEveryScreenButDoesNothingDuringARun)
{
    ModelStates::failed(*m, QStringLiteral("Broken."));
    press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(desktop->chooses, 1);
    ModelStates::done(*m, wallOf(3), QStringLiteral("Card"));
    press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(desktop->chooses, 2);
    ModelStates::running(*m, QStringLiteral("Card"), QStringLiteral("Making thumbnails"), QStringLiteral("3 of 9"), 1.0 / 3);
    press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(desktop->chooses, 2);
    EXPECT_TRUE(window->chooseAction()->isEnabled());
}

} // namespace
