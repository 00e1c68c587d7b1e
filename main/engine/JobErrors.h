// The ways a run can end with an error.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

/// Thrown when the run is stopped during the walk. It is no failure for the user: nothing was written.
class JobCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "The run was stopped."; }
};

/// A real failure of a run. what() is a plain English sentence for the user, naming the file
/// and the fault.
class JobError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Another process is writing the same wall; nothing was written. The front ends say it in
/// their own words from `holder` and `wall`.
class WallInUse : public JobError {
public:
    WallInUse(pid_t holder, std::filesystem::path wall)
        : JobError("Another Kestova (process " + std::to_string(holder) + ") is writing the wall in \u201C"
                   + wall.string() + "\u201D. Try again when it has finished."),
          holder(holder), wall(std::move(wall))
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
        : JobError("\u201C" + root.string() + "\u201D held " + std::to_string(photosLastTime)
                   + " photos last time, but none are there now. Is the drive connected? The wall was left as it was."),
          root(std::move(root)), photosLastTime(photosLastTime)
    {
    }
    std::filesystem::path root;
    std::int64_t photosLastTime;
};
