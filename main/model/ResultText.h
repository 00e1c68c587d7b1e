// The result screen's sentences for a finished run.
#pragma once

#include "engine/JobSummary.h"

#include <QString>
#include <QStringList>

struct ResultText {
    bool paused = false;    ///< the run was stopped early: a pause sign instead of a check
    QString headline;
    QStringList details;    ///< in the order shown; none for a complete run without remarks
    bool hasWall = false;   ///< photos to open and show: the open and show buttons, the saved-at line
    QString savedAt;        ///< where the wall is; empty without photos

    /// The words for a run's summary; `title` is the wall's title.
    static ResultText of(const JobSummary& summary, const QString& title);

    /// Why a run did not start: another process (0 when unknown) is writing the wall in `wall`.
    static QString wallInUse(qint64 holder, const QString& wall);
    /// Why a run left the wall as it was: `root` holds no photo now, or cannot be read.
    static QString sourceMissing(const QString& root, qint64 photosLastTime);
};
