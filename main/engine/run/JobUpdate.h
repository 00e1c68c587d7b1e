// One progress report of a run.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>

namespace JobUpdates {
/// Photos found so far by the walk.
struct Scanning {
    std::int64_t found = 0;
    friend bool operator==(const Scanning&, const Scanning&) = default;
};
/// Photos processed in this run (failures included) of those that need it; eta in seconds,
/// absent while too little is known for an estimate (TimeEstimate).
struct Thumbnails {
    std::int64_t done = 0;
    std::int64_t total = 0;
    std::optional<double> eta;
    /// What is being made: the photos' thumbnails, or once the wall is written the playable
    /// copies of the videos that browsers cannot play (then done and total count videos).
    enum class Making { thumbnails, videoCopies };
    Making making = Making::thumbnails;
    friend bool operator==(const Thumbnails&, const Thumbnails&) = default;
};
/// Another process is writing this wall; the run waits for it before it starts.
struct Waiting {
    std::int64_t holder = 0; ///< its process id; 0 when it did not say
    friend bool operator==(const Waiting&, const Waiting&) = default;
};
/// Processing has ended (or was not needed); the wall is about to be written.
struct Writing {
    friend bool operator==(const Writing&, const Writing&) = default;
};
} // namespace JobUpdates

using JobUpdate = std::variant<JobUpdates::Scanning, JobUpdates::Thumbnails, JobUpdates::Writing, JobUpdates::Waiting>;
