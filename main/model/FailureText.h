// A run's failure in the user's language.
#pragma once

#include <QString>

class JobError;

namespace FailureText {

/// The engine's sentence for the failure, translated, with its file names and the system's
/// reason ("No space left on device") filled in.
QString of(const JobError& error);

/// The system's words for an errno value in the user's language, for the common faults of
/// writing files; the system's own English words for the rest.
QString systemReason(int error);

} // namespace FailureText
