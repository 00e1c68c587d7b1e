// Renders every screen state of the window to PNG files, for looking at them as a user would.
#include "ui/states/ScreenStates.h"
#include "model/Translations.h"
#include "ui/AppMark.h"
#include "ui/AppShell.h"
#include "ui/ContentView.h"
#include "ui/QtDesktop.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

void settle(int ms = 150)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char** argv)
{
    // The screenshots must not read or change the user's own settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setWindowIcon(appIcon());
    const Translations translations;
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);

    Model m;
    QtDesktop desktop;
    AppShell window(m, desktop);
    window.show();
    settle(300);

    QTextStream report(stdout);
    const auto shoot = [&](const QString& name, const std::function<void()>& state) {
        state();
        settle();
        // Each picture at the smallest height the screen allows, as a fresh window would be.
        window.resize(window.width(), 0);
        settle();
        const QString file = out + QLatin1Char('/') + name + QStringLiteral(".png");
        // A state that opens a dialog is pictured by the dialog.
        QDialog* dialog = nullptr;
        for (QDialog* open : window.findChildren<QDialog*>())
            if (open->isVisible())
                dialog = open;
        if (dialog) {
            dialog->grab().save(file);
            report << file << " " << dialog->width() << "x" << dialog->height() << Qt::endl;
            dialog->close();
            return;
        }
        window.grab().save(file);
        // KESTOVA_DUMP=1 lists every visible widget with its place and size hints, for layout faults.
        if (qEnvironmentVariableIsSet("KESTOVA_DUMP")) {
            for (QWidget* w : window.findChildren<QWidget*>())
                if (w->isVisible())
                    report << "  " << w->metaObject()->className() << " " << w->geometry().y() << "+" << w->height()
                           << " min " << w->minimumSizeHint().height() << " hint " << w->sizeHint().height() << Qt::endl;
        }
        report << file << " " << window.width() << "x" << window.height() << Qt::endl;
    };

    for (const ScreenState& state : screenStates())
        shoot(state.name, [&] { state.enter(m, window); });
    return 0;
}
