// What the window's tests share: a fresh model on fresh settings, recording desktop services,
// and waiting for the event loop.
#pragma once

#include "RecordingDesktop.h"
#include "model/Model.h"
#include "ui/states/ModelStates.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>

#include <functional>
#include <memory>

/// Runs the event loop until `done` holds or `ms` have passed; whether it held.
inline bool waitFor(const std::function<bool()>& done, int ms = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

/// Lets posted calls and deferred deletions happen.
inline void settle()
{
    for (int i = 0; i < 3; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

class UiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearSettings();
        makeModel();
    }

    static void clearSettings()
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestova"), QStringLiteral("Kestova"));
        settings.clear();
        settings.sync();
    }

    /// A new model on the stored settings, as after a restart.
    void makeModel()
    {
        m = std::make_unique<Model>();
        auto recording = std::make_unique<RecordingDesktop>();
        desktop = recording.get();
        m->installActions(std::move(recording));
    }

    std::unique_ptr<Model> m;
    RecordingDesktop* desktop = nullptr;
};

inline Recent wall(const QString& root, qint64 photos = 10)
{
    return Recent{root, root + QStringLiteral("/_Photo Gallery/index.html"), root.section(QLatin1Char('/'), -1), photos,
                  QDateTime::currentDateTimeUtc().addDays(-2)};
}
