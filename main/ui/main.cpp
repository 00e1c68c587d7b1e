// The program: one window on the one model, folders from the command line and from later launches.
#include "model/Model.h"
#include "model/PathText.h"
#include "model/ProgramVersion.h"
#include "model/StopSignals.h"
#include "model/Terminal.h"
#include "model/Translations.h"
#include "session/RunSession.h"
#include "ui/AppMark.h"
#include "ui/AppShell.h"
#include "ui/CommandLine.h"
#include "ui/ContentView.h"
#include "ui/QtDesktop.h"
#include "ui/SingleInstance.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <cstdlib>
#include <memory>

namespace {

/// How long the end of the program waits for a run to save its work and write its wall. A stop
/// leaves photos that hang behind after a second, so this is only reached by a wall too large
/// to write in time.
constexpr int quitWaitMs = 20000;

/// Receives the folders the desktop hands to the program (`kestova FOLDER…` from a file
/// manager's "Open With", or a later launch) and starts a run on the first one.
class AppDelegate {
public:
    AppDelegate(Model& model, AppShell& window) : model(model), window(window) {}

    /// Raw path bytes, as the command line gives them; an empty list only shows the window.
    void open(const QList<QByteArray>& folders)
    {
        window.show();
        window.raise();
        window.activateWindow();
        if (folders.isEmpty() || folders.first().isEmpty())
            return;
        const QString path = PathText::fromBytes(std::string_view(folders.first().constData(),
                                                                  static_cast<std::size_t>(folders.first().size())));
        // After the caller has returned, as the desktop's own hand-over would be; start()
        // judges whether it is a folder and ignores it during a run.
        QTimer::singleShot(0, &model, [model = &model, path] { model->start(path); });
    }

private:
    Model& model;
    AppShell& window;
};

/// The application: the one model with the desktop's services, its window and its delegate.
class KestovaApp {
public:
    KestovaApp()
        : model(Model::shared()), desktop(new QtDesktop), window(model, *desktop), delegate(model, window),
          session(model, RunSession::Window{[this] { return window.isActiveWindow(); }, [this] { delegate.open({}); }})
    {
        desktop->setWindow(&window);
        model.installActions(std::unique_ptr<PlatformActions>(desktop));
    }

    Model& model;
    QtDesktop* desktop; ///< owned by the model once installed
    AppShell window;
    AppDelegate delegate;
    RunSession session;
};

} // namespace

int main(int argc, char** argv)
{
    surviveClosedOutput();
    // Questions to the program are answered without a display.
    if (const auto request = CommandLine::request(argc, argv); request != CommandLine::Request::window) {
        QCoreApplication app(argc, argv);
        const Translations translations;
        print(stdout, request == CommandLine::Request::help
                          ? CommandLine::helpText()
                          : ProgramVersion::line(QStringLiteral("kestova")) + QLatin1Char('\n'));
        return EXIT_SUCCESS;
    }

    // QApplication takes its own options (-platform and the like) out of argv.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestova"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kestova"));
    QApplication::setDesktopFileName(QStringLiteral("kestova"));
    QApplication::setWindowIcon(appIcon());
    const Translations translations;
    const CommandLine::Folders arguments = CommandLine::folders(argc, argv);
    if (!arguments.error.isEmpty()) {
        print(stderr, arguments.error + QLatin1Char('\n'));
        return 2;
    }
    const QList<QByteArray>& folders = arguments.folders;

    SingleInstance instance(SingleInstance::defaultName());
    const QByteArray first = folders.value(0);
    if (instance.handOff(first))
        return EXIT_SUCCESS;
    if (!instance.listen() && instance.handOff(first))
        return EXIT_SUCCESS;

    KestovaApp kestova;
    QObject::connect(&instance, &SingleInstance::received, &kestova.window,
                     [&kestova](const QByteArray& folder) { kestova.delegate.open({folder}); });
    kestova.delegate.open(folders);

    // The end of the session (log-out, shut-down) and a SIGTERM or SIGHUP save a run's work
    // as Stop does, and so does closing the window: the next run then resumes from all of it.
    StopSignals signals;
    QObject::connect(&signals, &StopSignals::received, &app, [] { QApplication::quit(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &kestova.model,
                     [&kestova](QSessionManager&) { kestova.model.stopRunBeforeQuitting(quitWaitMs); });

    const int status = QApplication::exec();
    // From here on the program is ending: a later launch must not hand its folder to it.
    instance.close();
    const bool hadRun = kestova.model.stage() == Model::Stage::running || kestova.window.stoppedToClose();
    kestova.model.stopRunBeforeQuitting(quitWaitMs);
    const int signal = signals.first();
    const int result = signal ? 128 + signal : status;
    // After a run, workers left behind in a read that never returns (or a run that could not
    // finish in time) may still be at work: leaving without the usual teardown keeps it from
    // freeing what they use. The recent walls are already written to disk.
    if (hadRun)
        std::_Exit(result);
    return result;
}
