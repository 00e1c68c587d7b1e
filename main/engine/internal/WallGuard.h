// Keeping a wall's writes inside the wall's own folder.
#pragma once

#include <filesystem>
#include <optional>

namespace WallGuard {

/// The first thumbnail subfolder (thumbs/xx) that is a symbolic link, if any: thumbnails written
/// through it would land wherever it points.
std::optional<std::filesystem::path> linkedThumbFolder(const std::filesystem::path& thumbDir);

/// Removes the temporary files that whole-file writes of runs that were killed left in the
/// wall's folder; those of a process still running are kept.
void removeStaleTemporaries(const std::filesystem::path& out);

} // namespace WallGuard
