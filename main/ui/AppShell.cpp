// The window, its File and Help menus, and how it sizes itself to its content.
#include "ui/AppShell.h"

#include "ui/BuildInfo.h"
#include "ui/ContentView.h"
#include "ui/Feedback.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QVBoxLayout>

AppShell::AppShell(Model& m, PlatformActions& desktop, QWidget* parent)
    : QWidget(parent), _content(new ContentView(m, this)), bar(new QMenuBar(this)), choose(nullptr), model(m)
{
    setWindowTitle(QStringLiteral("Kestova"));

    QMenu* file = bar->addMenu(tr("&File"));
    choose = file->addAction(tr("Choose a Folder or Drive…"));
    choose->setShortcut(QKeySequence::Open);
    // While a run is in progress the command stays enabled and choose() ignores it.
    connect(choose, &QAction::triggered, &m, &Model::choose);
    file->addSeparator();
    QAction* quit = file->addAction(tr("Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* help = bar->addMenu(tr("&Help"));
    connect(help->addAction(tr("Send Feedback…")), &QAction::triggered, this,
            [&desktop] { Feedback::send(desktop); });
    connect(help->addAction(tr("Join the Kestova Pro Waitlist…")), &QAction::triggered, this,
            [&desktop] { desktop.openUrl(webPage(QStringLiteral("src=app"), QStringLiteral("pro"))); });
    help->addSeparator();
    connect(help->addAction(tr("Kestova Website")), &QAction::triggered, this,
            [&desktop] { desktop.openUrl(webPage()); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(bar);
    layout->addWidget(_content);
    // The window takes its limits from the content: fixed width, a height that grows with a
    // long list of walls and may be made taller by hand.
    layout->setSizeConstraint(QLayout::SetMinAndMaxSize);
}

void AppShell::closeEvent(QCloseEvent* event)
{
    // A hidden window over a run still saving its work would be a program living on unseen,
    // holding its wall, and taking the next launch's folder without showing anything.
    if (model.stage() != Model::Stage::running || stopping) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    stopping = true;
    connect(&model, &Model::stageChanged, this, [this](Model::Stage stage) {
        if (stage != Model::Stage::running)
            close();
    });
    model.cancel();
}

QUrl AppShell::webPage(const QString& query, const QString& fragment)
{
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(QString::fromUtf8(BuildInfo::webHost));
    url.setPath(QStringLiteral("/kestova"));
    if (!query.isEmpty())
        url.setQuery(query);
    if (!fragment.isEmpty())
        url.setFragment(fragment);
    return url;
}
