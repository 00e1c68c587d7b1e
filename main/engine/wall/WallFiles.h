// The names of what a wall's folder holds: the one list the job and the wall guard read.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace WallFiles {

inline constexpr std::string_view thumbs = "thumbs";
/// The large JPEGs of photos that browsers cannot show, of video posters, and the screen-size
/// copies of a portable wall's other photos.
inline constexpr std::string_view previews = "previews";
/// A portable wall's full-size JPEGs of photos that browsers cannot show, for zooming in.
inline constexpr std::string_view full = "full";
/// The clips of motion photos, copied out of the photos that carry them.
inline constexpr std::string_view motion = "motion";
/// The playable copies of videos (and live photos' clips) that browsers cannot play.
inline constexpr std::string_view videos = "videos";
inline constexpr std::string_view cache = ".cache.json";
/// What the wall remembers of how it is made (WallSettings); written only when it differs from the defaults.
inline constexpr std::string_view settings = ".settings.json";
inline constexpr std::string_view page = "index.html";
inline constexpr std::string_view manifest = "manifest.js";
/// Whether the last run finished the wall, for the page (versioned; manifest.js stays as it is).
inline constexpr std::string_view state = "state.js";
/// The index of the wall's data for the page, written after the pieces it names.
inline constexpr std::string_view wallIndex = "wall.js";
/// The pieces of the wall's data for the page, GENERATION-N.js; nothing else belongs there.
inline constexpr std::string_view data = "data";
inline constexpr std::string_view journal = ".inflight";
/// What the wall's files were last written from and as (WallStamp), so that an update that
/// changed nothing writes nothing.
inline constexpr std::string_view stamp = ".stamp";
/// Locked by the run writing the wall; holds that process's id.
inline constexpr std::string_view lock = ".lock";

/// The folders of files made one per photo in subfolders by key (thumbs/KK/KEY.jpg), each written
/// beside its final name: swept for a killed run's temporary files, and refused when one of
/// their subfolders is a link.
inline constexpr std::array<std::string_view, 5> photoFolders{thumbs, previews, full, motion, videos};
inline bool isPhotoFolder(std::string_view name)
{
    return std::ranges::find(photoFolders, name) != photoFolders.end();
}

/// Every folder a run writes into: never walked for photos, and refused when planted as links
/// or as anything but a folder, since writes into it would land elsewhere.
inline constexpr std::array<std::string_view, 6> folders{thumbs, previews, full, motion, videos, data};
inline bool isWallFolder(std::string_view name)
{
    return std::ranges::find(folders, name) != folders.end();
}

/// A photo's file in one of the photo folders, relative to the wall's folder:
/// FOLDER/<first two characters of the key>/<key>EXTENSION, so that no folder grows too large.
inline std::string photoFileName(std::string_view folder, std::string_view key, std::string_view extension)
{
    std::string name(folder);
    name += '/';
    name += key.substr(0, 2);
    name += '/';
    name += key;
    name += extension;
    return name;
}

/// What ends the name of a piece's details beside it: GENERATION-N-details.js.
inline constexpr std::string_view detailsEnd = "-details.js";

/// The pieces' names in data/: "GENERATION-N.js" and their details "GENERATION-N-details.js",
/// the generation 16 lower-case hexadecimal digits and N a count from 0.
inline constexpr std::size_t generationLength = 16;
inline bool isPieceName(std::string_view name)
{
    const auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const std::size_t end = name.ends_with(detailsEnd) ? detailsEnd.size() : 3;
    if (name.size() < generationLength + 2 + end || name[generationLength] != '-' || !name.ends_with(".js"))
        return false;
    const std::string_view count = name.substr(generationLength + 1, name.size() - generationLength - 1 - end);
    return std::all_of(name.begin(), name.begin() + generationLength, hex) && !count.empty()
           && std::all_of(count.begin(), count.end(), digit);
}

/// The files written whole through AtomicFile, whose temporary files a killed run may leave.
/// The pieces in data/ are written the same way, under names of their own (WallGuard).
inline constexpr std::array<std::string_view, 8> wholeFiles{cache, page, manifest, state, wallIndex, journal, settings, stamp};

} // namespace WallFiles
