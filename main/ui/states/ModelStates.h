// Puts a model into the state of any screen without a run, for tests and screenshots.
#pragma once

#include "model/Model.h"

#include <optional>

/// Sets the model's fields as a run would leave them, and announces each change as the model
/// does. Only for tests and screenshots: the program's own model changes only through its runs.
namespace ModelStates {

/// The progress screen with these texts.
void running(Model& m, const QString& title, const QString& status, const QString& detail,
             std::optional<double> fraction);
/// The texts of a run in progress, without leaving the progress screen.
void progress(Model& m, const QString& status, const QString& detail, std::optional<double> fraction);
/// The result screen for a summary of a wall titled `title`.
void done(Model& m, const JobSummary& summary, const QString& title);
/// The failure screen with a message.
void failed(Model& m, const QString& message);
/// The start screen.
void idle(Model& m);
/// The remembered walls, as if loaded.
void recents(Model& m, const QList<Recent>& recents);

/// A run's summary with these counts; `found` counts the duplicates too, and the unreadable
/// files are named like a phone's.
JobSummary summary(qint64 photos, qint64 duplicates, qint64 undated, qint64 unreadable, bool partial,
                   const std::filesystem::path& gallery);

} // namespace ModelStates
