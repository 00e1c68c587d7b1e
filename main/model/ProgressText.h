// The progress screen's texts for one report of a run.
#pragma once

#include "engine/run/JobUpdate.h"

#include <QCoreApplication>
#include <QString>

#include <optional>

struct ProgressText {
    Q_DECLARE_TR_FUNCTIONS(ProgressText)

public:
    QString status;
    QString detail;
    std::optional<double> fraction; ///< nothing while the progress cannot be told

    /// "Looking for photos…" / "12 found so far"; "Making thumbnails" / "1,204 of 3,000 ·
    /// about 5 minutes left"; "Building your wall…".
    static ProgressText forUpdate(const JobUpdate& update);

    friend bool operator==(const ProgressText&, const ProgressText&) = default;
};
