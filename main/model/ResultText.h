// The result screen's sentences for a finished run.
#pragma once

#include "engine/JobSummary.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

struct ResultText {
    Q_DECLARE_TR_FUNCTIONS(ResultText)

public:
    bool paused = false;    ///< the run was stopped early: a pause sign instead of a check
    QString headline;
    QStringList details;    ///< in the order shown; none for a complete run without remarks
    bool hasWall = false;   ///< photos to open and show: the open and show buttons, the saved-at line
    QString savedAt;        ///< where the wall is; empty without photos

    /// The words for a run's summary; `title` is the wall's title.
    static ResultText of(const JobSummary& summary, const QString& title);
};
