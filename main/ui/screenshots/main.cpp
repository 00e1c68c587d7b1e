// Renders every screen state of the window to PNG files, for looking at them as a user would.
#include "ui/states/ModelStates.h"
#include "ui/AppMark.h"
#include "ui/AppShell.h"
#include "ui/ContentView.h"
#include "ui/DoneView.h"
#include "ui/QtDesktop.h"
#include "ui/UnreadableDialog.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMimeData>
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

JobSummary summary(qint64 photos, qint64 duplicates, qint64 undated, qint64 unreadable, bool partial)
{
    return ModelStates::summary(photos, duplicates, undated, unreadable, partial, "/home/ana/Pictures/Holiday 2023/_Photo Gallery/index.html");
}

Recent wall(const QString& title, qint64 photos, qint64 daysAgo)
{
    const QString root = QStringLiteral("/media/ana/") + title;
    return Recent{root, root + QStringLiteral("/_Photo Gallery/index.html"), title, photos,
                  QDateTime::currentDateTimeUtc().addDays(-daysAgo)};
}

} // namespace

int main(int argc, char** argv)
{
    // The screenshots must not read or change the user's own settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setWindowIcon(appIcon());
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

    shoot(QStringLiteral("start-empty"), [&] { ModelStates::idle(m); });
    shoot(QStringLiteral("start-three-walls"), [&] {
        ModelStates::recents(m, {wall(QStringLiteral("Holiday 2023"), 1, 1), wall(QStringLiteral("SD Card"), 12480, 21),
                                 wall(QStringLiteral("Family archive with a very long name that will not fit on one row"), 0, 400)});
    });
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp"))});
    shoot(QStringLiteral("start-drag-hovering"), [&] {
        QDragEnterEvent enter(QPoint(270, 200), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.content(), &enter);
    });
    QDragLeaveEvent leave;
    QApplication::sendEvent(window.content(), &leave);
    shoot(QStringLiteral("start-eight-walls"), [&] {
        QList<Recent> walls;
        for (int i = 0; i < 8; ++i)
            walls << wall(QStringLiteral("Card ") + QString::number(i + 1), 100 * (i + 1), i * 3);
        ModelStates::recents(m, walls);
    });

    shoot(QStringLiteral("progress-indeterminate"), [&] {
        ModelStates::running(m, QStringLiteral("Holiday 2023"), QStringLiteral("Looking for photos…"),
                             QStringLiteral("2,512 found so far"), std::nullopt);
    });
    shoot(QStringLiteral("progress-time-left"), [&] {
        ModelStates::progress(m, QStringLiteral("Making thumbnails"), QStringLiteral("1,204 of 3,000 · about 5 minutes left"),
                              1204.0 / 3000.0);
    });
    shoot(QStringLiteral("progress-long-path"), [&] {
        ModelStates::progress(m, QStringLiteral("Looking for photos…"),
                              QStringLiteral("/media/ana/Backup drive from the old laptop/Users/ana/Pictures/Photos "
                                             "Library.photoslibrary/originals/2019/summer"),
                              std::nullopt);
    });
    shoot(QStringLiteral("progress-stopping"), [&] {
        ModelStates::progress(m, QStringLiteral("Stopping…"), QStringLiteral("1,204 of 3,000 · about 5 minutes left"),
                              1204.0 / 3000.0);
    });

    shoot(QStringLiteral("result-one-photo"), [&] { ModelStates::done(m, summary(1, 0, 0, 0, false), QStringLiteral("Holiday")); });
    shoot(QStringLiteral("result-partial-duplicates"),
          [&] { ModelStates::done(m, summary(250, 3, 0, 0, true), QStringLiteral("Holiday")); });
    shoot(QStringLiteral("result-empty"), [&] { ModelStates::done(m, summary(0, 0, 0, 0, false), QStringLiteral("Holiday")); });
    shoot(QStringLiteral("result-partial-empty"), [&] { ModelStates::done(m, summary(0, 0, 0, 0, true), QStringLiteral("Holiday")); });
    shoot(QStringLiteral("result-undated-one"), [&] { ModelStates::done(m, summary(40, 0, 1, 0, false), QStringLiteral("Holiday")); });
    shoot(QStringLiteral("result-undated-two"), [&] { ModelStates::done(m, summary(40, 0, 2, 0, false), QStringLiteral("Holiday")); });
    shoot(QStringLiteral("result-unreadable-one"), [&] { ModelStates::done(m, summary(40, 0, 0, 1, false), QStringLiteral("Holiday")); });
    shoot(QStringLiteral("result-unreadable-1024"),
          [&] { ModelStates::done(m, summary(12480, 0, 0, 1024, false), QStringLiteral("Holiday")); });
    // The list behind the unreadable line, as the user opens it from the link.
    if (auto* done = qobject_cast<DoneView*>(window.content()->screen()); done && done->unreadableLabel()) {
        Q_EMIT done->unreadableLabel()->linkActivated(QStringLiteral("unreadable"));
        settle();
        if (UnreadableDialog* dialog = done->unreadableDialog()) {
            const QString file = out + QStringLiteral("/result-unreadable-list.png");
            dialog->grab().save(file);
            report << file << " " << dialog->width() << "x" << dialog->height() << Qt::endl;
            dialog->close();
        }
    }
    shoot(QStringLiteral("result-every-line"),
          [&] { ModelStates::done(m, summary(12480, 310, 57, 1024, true), QStringLiteral("Holiday")); });

    shoot(QStringLiteral("failure"), [&] {
        ModelStates::failed(m, QStringLiteral("Kestova works on folders and drives. Choose a folder rather than a single file."));
    });
    shoot(QStringLiteral("failure-missing-source"), [&] {
        ModelStates::failed(m, QStringLiteral("Can't find /media/ana/SD Card. If it's an external drive, plug it in and try again."));
    });
    return 0;
}
