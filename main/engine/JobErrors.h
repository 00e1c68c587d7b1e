// The two ways a run can end with an error.
#pragma once

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
