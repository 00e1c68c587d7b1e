// What a finished run returns.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct JobSummary {
    std::int64_t photos = 0;     ///< photos on the wall that was written
    std::int64_t found = 0;      ///< photo files the walk returned, before duplicates are collapsed
    std::int64_t duplicates = 0; ///< found minus the photos left after collapsing; 0 when dedupe is off
    std::int64_t unreadable = 0; ///< photos whose processing failed in this run
    std::int64_t undated = 0;    ///< photos on the wall without a date
    std::filesystem::path gallery; ///< always out / "index.html"
    bool partial = false;        ///< a stop had been requested when processing ended
    /// The rels of the unreadable photos, sorted: as many names as `unreadable` counts. Only
    /// failures are named, so a run of a million photos that all decode carries an empty list.
    std::vector<std::string> unreadableFiles;

    friend bool operator==(const JobSummary&, const JobSummary&) = default;
};
