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
/// absent while 20 or fewer are done.
struct Thumbnails {
    std::int64_t done = 0;
    std::int64_t total = 0;
    std::optional<double> eta;
    friend bool operator==(const Thumbnails&, const Thumbnails&) = default;
};
/// Processing has ended (or was not needed); the wall is about to be written.
struct Writing {
    friend bool operator==(const Writing&, const Writing&) = default;
};
} // namespace JobUpdates

using JobUpdate = std::variant<JobUpdates::Scanning, JobUpdates::Thumbnails, JobUpdates::Writing>;
