// The two ways a run can end with an error.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

/// Thrown when the run is stopped during the walk. It is no failure for the user: nothing was written.
class JobCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "The run was stopped."; }
};

/// A real failure of a run. what() is a plain English sentence for the user, naming the file
/// and the fault. The engine has no translations of its own: pattern(), arguments() and
/// systemError() let a front end say the same sentence in the user's language.
class JobError : public std::runtime_error {
public:
    /// `pattern` is one of the sentences of JobErrorTexts, with %1, %2… standing for the
    /// arguments in order; a non-zero `systemError` (an errno value) is told by the system's
    /// words in the placeholder after the last argument.
    JobError(const char* pattern, std::vector<std::string> arguments, int systemError = 0);

    const char* pattern() const noexcept { return _pattern; }
    const std::vector<std::string>& arguments() const noexcept { return _arguments; }
    int systemError() const noexcept { return _systemError; }

    /// `pattern` with its placeholders filled in one pass, so that an argument holding "%1"
    /// stays as it is.
    static std::string fill(const std::string& pattern, const std::vector<std::string>& values);

private:
    const char* _pattern;
    std::vector<std::string> _arguments;
    int _systemError;
};

// The front ends collect these sentences for translation by their QT_TRANSLATE_NOOP mark; the
// engine itself has no Qt, so the mark is defined here as the text itself.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

/// Every sentence a run can fail with.
namespace JobErrorTexts {
inline constexpr const char* writeFailed = QT_TRANSLATE_NOOP("JobError", "Couldn't write \u201C%1\u201D: %2.");
inline constexpr const char* folderFailed = QT_TRANSLATE_NOOP("JobError", "Couldn't create the folder \u201C%1\u201D: %2.");
inline constexpr const char* folderBlocked =
    QT_TRANSLATE_NOOP("JobError", "Couldn't create the folder \u201C%1\u201D: a file is in the way.");
inline constexpr const char* linkRefused =
    QT_TRANSLATE_NOOP("JobError", "\u201C%1\u201D is a link to another place. Kestova writes a wall only into a real "
                                  "folder, so nothing was written.");
inline constexpr const char* templateMissing =
    QT_TRANSLATE_NOOP("JobError", "The gallery template is missing from the app. Please re-download Kestova.");
} // namespace JobErrorTexts
