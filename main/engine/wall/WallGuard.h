// Keeping a wall's writes inside the wall's own folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace WallGuard {

/// The first thumbnail subfolder (thumbs/xx) that is a symbolic link, if any: thumbnails written
/// through it would land wherever it points.
std::optional<std::filesystem::path> linkedThumbFolder(const std::filesystem::path& thumbDir);

/// Removes the temporary files that whole-file writes of runs that were killed left in the
/// wall's folder and in its data folder; those of a process still running are kept. With
/// `thumbnailsToo` the thumbnail folders are swept the same way (a run died while making
/// thumbnails).
void removeStaleTemporaries(const std::filesystem::path& out, bool thumbnailsToo = false);

/// The hidden file a thumbnail is written to before it is moved into place:
/// ".<key>.<pid>.<thread>.tmp" beside it. Unique to the writing thread, so that where the wall's
/// lock is not honoured (some network mounts) no writer can move another's file.
std::filesystem::path thumbnailTemporary(const std::filesystem::path& thumb);

} // namespace WallGuard
