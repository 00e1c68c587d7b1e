// The names of what a wall's folder holds: the one list the job and the wall guard read.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace WallFiles {

inline constexpr std::string_view thumbs = "thumbs";
/// The large JPEGs of photos that browsers cannot show, and of video posters.
inline constexpr std::string_view previews = "previews";
/// The clips of motion photos, copied out of the photos that carry them.
inline constexpr std::string_view motion = "motion";
inline constexpr std::string_view cache = ".cache.json";
inline constexpr std::string_view page = "index.html";
inline constexpr std::string_view manifest = "manifest.js";
/// Whether the last run finished the wall, for the page (versioned; manifest.js stays as it is).
inline constexpr std::string_view state = "state.js";
inline constexpr std::string_view journal = ".inflight";
/// Locked by the run writing the wall; holds that process's id.
inline constexpr std::string_view lock = ".lock";

/// The folders of files made one per photo, each written beside its final name: never walked for
/// photos, swept for a killed run's temporary files, and refused when planted as links.
inline constexpr std::array<std::string_view, 3> photoFolders{thumbs, previews, motion};
inline bool isPhotoFolder(std::string_view name)
{
    return std::ranges::find(photoFolders, name) != photoFolders.end();
}

/// The files written whole through AtomicFile, whose temporary files a killed run may leave.
inline constexpr std::array<std::string_view, 5> wholeFiles{cache, page, manifest, state, journal};

} // namespace WallFiles
