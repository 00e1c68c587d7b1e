// Every text of every screen of the window changes when the German translation is installed:
// a text that reads the same in English and German escaped translation, unless it is a name,
// a path or a number.
#include "GermanEnvironment.h"

#include "model/Model.h"
#include "ui/AppShell.h"
#include "ui/ElidedLabel.h"
#include "ui/QtDesktop.h"
#include "ui/states/ScreenStates.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include <map>
#include <set>

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void addActions(const QList<QAction*>& actions, std::set<QString>& texts)
{
    for (QAction* action : actions) {
        if (action->isSeparator())
            continue;
        texts.insert(QString(action->text()).remove(QLatin1Char('&')));
        if (action->menu())
            addActions(action->menu()->actions(), texts);
    }
}

/// Every text the user can read in the window and its open dialogs: labels, buttons, tooltips,
/// accessible names, menus and the titles.
std::set<QString> visibleTexts(AppShell& window)
{
    std::set<QString> texts{window.windowTitle()};
    addActions(window.menuBar()->actions(), texts);
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window))
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts.insert(label->text());
        if (auto* elided = qobject_cast<ElidedLabel*>(widget))
            texts.insert(elided->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts.insert(button->text());
        if (auto* dialog = qobject_cast<QDialog*>(widget))
            texts.insert(dialog->windowTitle());
        texts.insert(widget->toolTip());
        texts.insert(widget->accessibleName());
    }
    return texts;
}

/// Each screen state's texts, in the language installed now.
std::map<QString, std::set<QString>> everyScreen()
{
    std::map<QString, std::set<QString>> screens;
    Model m;
    QtDesktop desktop;
    AppShell window(m, desktop);
    window.show();
    settle();
    for (const ScreenState& state : screenStates()) {
        state.enter(m, window);
        settle();
        screens[state.name] = visibleTexts(window);
        for (QDialog* dialog : window.findChildren<QDialog*>())
            dialog->close();
    }
    return screens;
}

} // namespace

TEST(GermanScreens, noTextOfAnyScreenStaysEnglish)
{
    std::map<QString, std::set<QString>> english;
    {
        const auto en = ::english();
        english = everyScreen();
    }
    std::map<QString, std::set<QString>> german;
    {
        const auto de = ::german();
        ASSERT_EQ(de->language(), QStringLiteral("de"));
        german = everyScreen();
    }
    ASSERT_EQ(english.size(), german.size());
    ASSERT_GE(english.size(), 15u);
    for (const auto& [screen, texts] : german) {
        for (const QString& text : texts) {
            if (english[screen].count(text) && !sameInEveryLanguage(text))
                ADD_FAILURE() << screen.toStdString() << ": \"" << text.toStdString() << "\" is not translated";
        }
    }
    // The counts on the screens follow German too.
    EXPECT_TRUE(german[QStringLiteral("progress-time-left")].count(QStringLiteral("1.204 von 3.000 · noch etwa 5 Minuten")));
    EXPECT_TRUE(german[QStringLiteral("result-every-line")].count(QStringLiteral("Vorzeitig angehalten: bisher 12.480 Fotos")));
}
