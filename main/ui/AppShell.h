// The application's one window: its title, its menus and its content.
#pragma once

#include "model/Model.h"

#include <QWidget>

class ContentView;
class PlatformActions;
class QAction;
class QMenuBar;

/// Exactly as wide as its content (540) and at least as tall; closing it ends the program.
/// Closed during a run, it first stops the run and stays in sight, saying "Stopping…", until
/// the run has saved its work; closed again meanwhile, it closes at once.
class AppShell : public QWidget {
    Q_OBJECT
public:
    AppShell(Model& m, PlatformActions& desktop, QWidget* parent = nullptr);

    ContentView* content() const { return _content; }
    QMenuBar* menuBar() const { return bar; }
    QAction* chooseAction() const { return choose; }

    /// The maker's page, optionally with a query and a fragment.
    static QUrl webPage(const QString& query = {}, const QString& fragment = {});

    /// Whether a close stopped a run (whose threads may still be leaving).
    bool stoppedToClose() const { return stopping; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ContentView* _content;
    QMenuBar* bar;
    QAction* choose;
    Model& model;
    bool stopping = false;
};
