// The window's screens in every state worth looking at.
#include "ui/states/ScreenStates.h"

#include "engine/base/JobErrors.h"
#include "model/FailureText.h"
#include "model/Model.h"
#include "model/ProgressText.h"
#include "model/ResultText.h"
#include "ui/AppShell.h"
#include "ui/ContentView.h"
#include "ui/DoneView.h"
#include "ui/states/ModelStates.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>

namespace {

JobSummary summary(qint64 photos, qint64 duplicates, qint64 undated, qint64 unreadable, bool partial)
{
    return ModelStates::summary(photos, duplicates, undated, unreadable, partial,
                                "/home/ana/Pictures/Holiday 2023/_Photo Gallery/index.html");
}

Recent wall(const QString& title, qint64 photos, qint64 daysAgo)
{
    const QString root = QStringLiteral("/media/ana/") + title;
    return Recent{root, root + QStringLiteral("/_Photo Gallery/index.html"), title, photos,
                  QDateTime::currentDateTimeUtc().addDays(-daysAgo)};
}

JobUpdate thumbnails()
{
    return JobUpdates::Thumbnails{1204, 3000, 300.0};
}

} // namespace

std::vector<ScreenState> screenStates()
{
    std::vector<ScreenState> states;
    states.push_back({QStringLiteral("start-empty"), [](Model& m, AppShell&) {
        ModelStates::idle(m);
    }});
    states.push_back({QStringLiteral("start-three-walls"), [](Model& m, AppShell&) {
        ModelStates::recents(m, {wall(QStringLiteral("Holiday 2023"), 1, 1), wall(QStringLiteral("SD Card"), 12480, 21),
                                 wall(QStringLiteral("Family archive with a very long name that will not fit on one row"), 0, 400)});
    }});
    states.push_back({QStringLiteral("start-unfinished-wall"), [](Model& m, AppShell&) {
        Recent stopped = wall(QStringLiteral("SD Card"), 2289, 0);
        stopped.toDo = 520;
        ModelStates::recents(m, {stopped, wall(QStringLiteral("Holiday 2023"), 1204, 21)});
    }});
    states.push_back({QStringLiteral("start-drag-hovering"), [](Model&, AppShell& window) {
        QMimeData dragged;
        dragged.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp"))});
        QDragEnterEvent enter(QPoint(270, 200), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.content(), &enter);
    }});
    states.push_back({QStringLiteral("start-eight-walls"), [](Model& m, AppShell& window) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(window.content(), &leave);
        QList<Recent> walls;
        for (int i = 0; i < 8; ++i)
            walls << wall(QStringLiteral("Card ") + QString::number(i + 1), 100 * (i + 1), i * 3);
        ModelStates::recents(m, walls);
    }});

    states.push_back({QStringLiteral("progress-indeterminate"), [](Model& m, AppShell&) {
        const RunProgress texts = ProgressText::forUpdate(JobUpdates::Scanning{2512});
        ModelStates::running(m, QStringLiteral("Holiday 2023"), texts.status, texts.detail, texts.fraction);
    }});
    states.push_back({QStringLiteral("progress-time-left"), [](Model& m, AppShell&) {
        const RunProgress texts = ProgressText::forUpdate(thumbnails());
        ModelStates::progress(m, texts.status, texts.detail, texts.fraction);
    }});
    states.push_back({QStringLiteral("progress-long-path"), [](Model& m, AppShell&) {
        ModelStates::progress(m, ProgressText::forUpdate(JobUpdates::Scanning{0}).status,
                              QStringLiteral("/media/ana/Backup drive from the old laptop/Users/ana/Pictures/Photos "
                                             "Library.photoslibrary/originals/2019/summer"),
                              std::nullopt);
    }});
    states.push_back({QStringLiteral("progress-waiting"), [](Model& m, AppShell&) {
        const RunProgress texts = ProgressText::forUpdate(JobUpdates::Waiting{4242});
        ModelStates::progress(m, texts.status, texts.detail, texts.fraction);
    }});
    states.push_back({QStringLiteral("progress-stopping"), [](Model& m, AppShell&) {
        const RunProgress texts = ProgressText::forUpdate(thumbnails());
        ModelStates::progress(m, Model::tr("Stopping…"), texts.detail, texts.fraction);
    }});

    states.push_back({QStringLiteral("result-one-photo"), [](Model& m, AppShell&) {
        ModelStates::done(m, summary(1, 0, 0, 0, false), QStringLiteral("Holiday"));
    }});
    states.push_back({QStringLiteral("result-partial-duplicates"), [](Model& m, AppShell&) {
        JobSummary stopped = summary(250, 3, 0, 0, true);
        stopped.toDo = 520;
        ModelStates::done(m, stopped, QStringLiteral("Holiday"));
    }});
    states.push_back({QStringLiteral("result-empty"), [](Model& m, AppShell&) {
        ModelStates::done(m, summary(0, 0, 0, 0, false), QStringLiteral("Holiday"));
    }});
    states.push_back({QStringLiteral("result-partial-empty"), [](Model& m, AppShell&) {
        ModelStates::done(m, summary(0, 0, 0, 0, true), QStringLiteral("Holiday"));
    }});
    states.push_back({QStringLiteral("result-undated-one"), [](Model& m, AppShell&) {
        ModelStates::done(m, summary(40, 0, 1, 0, false), QStringLiteral("Holiday"));
    }});
    states.push_back({QStringLiteral("result-undated-two"), [](Model& m, AppShell&) {
        ModelStates::done(m, summary(40, 0, 2, 0, false), QStringLiteral("Holiday"));
    }});
    states.push_back({QStringLiteral("result-unreadable-one"), [](Model& m, AppShell&) {
        ModelStates::done(m, summary(40, 0, 0, 1, false), QStringLiteral("Holiday"));
    }});
    states.push_back({QStringLiteral("result-unreadable-1024"), [](Model& m, AppShell&) {
        ModelStates::done(m, summary(12480, 0, 0, 1024, false), QStringLiteral("Holiday"));
    }});
    // The list behind the unreadable line, open as the user opens it from the link.
    states.push_back({QStringLiteral("result-unreadable-list"), [](Model& m, AppShell& window) {
        ModelStates::done(m, summary(12480, 0, 0, 1024, false), QStringLiteral("Holiday"));
        QApplication::processEvents();
        if (auto* done = qobject_cast<DoneView*>(window.content()->screen()); done && done->unreadableLabel())
            Q_EMIT done->unreadableLabel()->linkActivated(QStringLiteral("unreadable"));
    }});
    states.push_back({QStringLiteral("result-every-line"), [](Model& m, AppShell&) {
        ModelStates::done(m, summary(12480, 310, 57, 1024, true), QStringLiteral("Holiday"));
    }});
    states.push_back({QStringLiteral("result-with-videos"), [](Model& m, AppShell&) {
        JobSummary s = summary(1204, 0, 0, 0, false);
        s.videos = 37;
        ModelStates::done(m, s, QStringLiteral("Holiday"));
    }});
    // What an update of a big library can also have to say.
    states.push_back({QStringLiteral("result-remarks"), [](Model& m, AppShell&) {
        JobSummary s = summary(12480, 0, 0, 0, false);
        s.unreadableFolders = {"DCIM/Locked"};
        s.passedOver = {"DCIM/100APPLE/IMG_4001.HEIC", "DCIM/100APPLE/IMG_4002.HEIC", "DCIM/100APPLE/IMG_4003.HEIC",
                        "DCIM/100APPLE/IMG_4004.HEIC", "DCIM/100APPLE/IMG_4005.HEIC"};
        s.changed = 2;
        s.tooLong = 1;
        ModelStates::done(m, s, QStringLiteral("Holiday"));
    }});

    states.push_back({QStringLiteral("failure"), [](Model& m, AppShell&) {
        ModelStates::failed(m, Model::tr("Kestova works on folders and drives. Choose a folder rather than a single file."));
    }});
    states.push_back({QStringLiteral("failure-missing-source"), [](Model& m, AppShell&) {
        ModelStates::failed(m, Model::tr("Can't find %1. If it's an external drive, plug it in and try again.")
                                   .arg(QStringLiteral("/media/ana/SD Card")));
    }});
    states.push_back({QStringLiteral("failure-drive-gone"), [](Model& m, AppShell&) {
        ModelStates::failed(m, ResultText::sourceMissing(QStringLiteral("/media/ana/SD Card"), 12480));
    }});
    states.push_back({QStringLiteral("failure-wall-in-use"), [](Model& m, AppShell&) {
        ModelStates::failed(m, ResultText::wallInUse(4242, QStringLiteral("/media/ana/SD Card/_Photo Gallery")));
    }});
    states.push_back({QStringLiteral("failure-folder-refused"), [](Model& m, AppShell&) {
        ModelStates::failed(m, FailureText::of(JobError(JobErrorTexts::holdsPhotos, {"/home/ana/Pictures/Scans"})));
    }});
    return states;
}
