// The progress screen's texts for one report of a run.
#pragma once

#include "engine/run/JobUpdate.h"
#include "model/RunProgress.h"

#include <QCoreApplication>

/// The words of the reports; the translations know them under this name.
struct ProgressText {
    Q_DECLARE_TR_FUNCTIONS(ProgressText)

public:
    /// "Looking for photos…" / "12 found so far"; "Making thumbnails" / "1,204 of 3,000 ·
    /// about 5 minutes left"; "Building your wall…".
    static RunProgress forUpdate(const JobUpdate& update);
};
