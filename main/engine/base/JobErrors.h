// The ways a run can end with an error.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
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
/// The program's decoders, a module installed beside it, could not be loaded; %1 is the
/// loader's own words.
inline constexpr const char* decodersMissing =
    QT_TRANSLATE_NOOP("JobError", "The photo decoders are missing from the app (%1). Please re-download Kestova.");
inline constexpr const char* folderUnreadable =
    QT_TRANSLATE_NOOP("JobError", "Couldn't read the folder \u201C%1\u201D. Check that it may be opened.");
inline constexpr const char* foreignPage =
    QT_TRANSLATE_NOOP("JobError", "\u201C%1\u201D already holds an index.html or manifest.js that is not a Kestova wall. "
                                  "Kestova writes a wall only where it replaces or hides nothing of yours, so nothing "
                                  "was written; choose another folder for the wall.");
inline constexpr const char* holdsPhotos =
    QT_TRANSLATE_NOOP("JobError", "\u201C%1\u201D holds photos. Kestova writes a wall only where it replaces or hides "
                                  "nothing of yours, so nothing was written; choose another folder for the wall.");
inline constexpr const char* lockRefused =
    QT_TRANSLATE_NOOP("JobError", "\u201C%1\u201D is not the lock file Kestova makes, so it cannot keep a second "
                                  "Kestova from writing the same wall. Nothing was written; remove it and try again.");
/// The machine failed while photos were being made, not a photo: the run ends at once, and what
/// was done is kept.
inline constexpr const char* wallUnwritable =
    QT_TRANSLATE_NOOP("JobError", "Couldn't write to the wall in \u201C%1\u201D: %2. Kestova stopped and kept the "
                                  "photos done so far; update the wall once this is put right.");
inline constexpr const char* outOfResources =
    QT_TRANSLATE_NOOP("JobError", "The system ran out of resources while making thumbnails: %1. Kestova stopped and "
                                  "kept the photos done so far; update the wall once more is free.");
/// The front ends tell these two in their own words, from the fields of WallInUse and
/// SourceMissing; the sentences here are what() for everyone else.
inline constexpr const char* wallInUse =
    QT_TRANSLATE_NOOP("JobError", "Another Kestova (process %1) is writing the wall in \u201C%2\u201D. Try again when "
                                  "it has finished.");
inline constexpr const char* sourceMissing =
    QT_TRANSLATE_NOOP("JobError", "\u201C%1\u201D held %2 photos last time, but none are there now. Is the drive "
                                  "connected? The wall was left as it was.");
} // namespace JobErrorTexts

/// Another process is writing the same wall; nothing was written. The front ends say it in
/// their own words from `holder` and `wall`.
class WallInUse : public JobError {
public:
    WallInUse(pid_t holder, std::filesystem::path wall)
        : JobError(JobErrorTexts::wallInUse, {std::to_string(holder), wall.string()}), holder(holder),
          wall(std::move(wall))
    {
    }
    pid_t holder; ///< 0 when the holder did not say
    std::filesystem::path wall;
};

/// The source holds no photo, or cannot be read, although the wall had photos of it: most
/// likely a drive that is not connected. The wall and its records are left as they were.
class SourceMissing : public JobError {
public:
    SourceMissing(std::filesystem::path root, std::int64_t photosLastTime)
        : JobError(JobErrorTexts::sourceMissing, {root.string(), std::to_string(photosLastTime)}),
          root(std::move(root)), photosLastTime(photosLastTime)
    {
    }
    std::filesystem::path root;
    std::int64_t photosLastTime;
};
