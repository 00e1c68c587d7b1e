// What a run in progress says of itself: the progress screen's two lines and how far it is.
#pragma once

#include <QMetaType>
#include <QString>

#include <optional>

/// One report of a run, in the user's words. The model publishes it whole, so that whoever
/// shows it never sees one report's status beside another report's detail.
struct RunProgress {
    QString status;
    QString detail;
    std::optional<double> fraction; ///< from 0 to 1; nothing while the progress cannot be told

    friend bool operator==(const RunProgress&, const RunProgress&) = default;
};

Q_DECLARE_METATYPE(RunProgress)
