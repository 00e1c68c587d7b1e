// Telling a wall's folder by what it holds, and where a wall may not be written.
#pragma once

#include "engine/base/JobErrors.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace WallFolder {

/// The names in one folder that mark a wall: every run makes the thumbs folder first, then the
/// cache, then the page and its data.
class Signs {
public:
    /// One entry of the folder; `maybeFolder`/`maybeFile` say what its type may be (both when
    /// the listing did not tell).
    void note(std::string_view name, bool maybeFolder, bool maybeFile);
    bool isWall() const { return thumbs && ((page && manifest) || cache); }
    bool hasPageFiles() const { return page || manifest; }

private:
    bool thumbs = false;
    bool page = false;
    bool manifest = false;
    bool cache = false;
};

/// Whether the folder holds a wall (ours or another run's). False when it cannot be listed.
bool isWall(const std::filesystem::path& dir);

/// Why a wall must not be written into `out`, as the run's failure, or nothing when it may:
/// `out` does not exist yet, already is a wall, or holds nothing a wall would overwrite or
/// hide. A folder holding photos (the source itself too) or a page and page data of its own
/// is refused.
std::optional<JobError> refusal(const std::filesystem::path& out);

} // namespace WallFolder
