// The wall: its entries dated and sorted from the progress cache, manifest.js, the data in
// pieces for the page (WallPieces) and index.html.
#pragma once

#include "engine/cache/CacheRecord.h"
#include "engine/wall/Gazetteer.h"
#include "engine/wall/WallPaths.h"
#include "engine/wall/WallStamp.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

/// The wall a run writes: where, of which source, under which title, from which page.
struct WallTarget {
    WallPaths wall;
    std::filesystem::path root;
    std::string title;
    /// The page template copied to index.html; when empty, the one installed with the program.
    std::filesystem::path templateFile;
};

/// One photo on the wall, written to manifest.js as [key, rel, width, height, date, first, mtime],
/// followed by the media positions when it has any.
struct WallEntry {
    std::string key;
    std::string rel;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t date = 0; ///< civil seconds read as UTC; 0 = undated
    std::string first;     ///< first component of rel
    std::int64_t mtime = 0;
    Record::Media media; ///< a video's, a live photo's or a preview's; written only when flags are set
    std::int64_t size = 0;     ///< the original's bytes, for the details pieces only
    Record::Details details;   ///< camera, exposure and coordinates, for the details pieces
    std::optional<Place> place; ///< named from details.geo by namePlaces
    friend bool operator==(const WallEntry&, const WallEntry&) = default;
};

/// The wall entries, sorted newest first with undated last, and how many are undated.
struct Wall {
    std::vector<WallEntry> entries;
    std::int64_t undated = 0; ///< photos without a date
    std::int64_t videos = 0;
    std::int64_t undatedVideos = 0;
    std::int64_t rawPairs = 0; ///< raw files the page shows with their JPEG (RawPairs)
};

/// What state.js tells the page: whether the last run finished the wall, and if not, how many
/// photos the next run still has to do.
struct WallState {
    std::int64_t toDo = 0;
    bool finished() const { return toDo <= 0; }
};

namespace WallOutput {

Wall buildWall(const CacheMap& map);
/// Names the place of every entry with coordinates; the gazetteer is read only when one has them.
void namePlaces(std::vector<WallEntry>& entries, PlaceNames& places);
/// GALLERY_ROOT's text: the source's path without the slashes it ends in ("/" stays).
std::string rootText(const WallTarget& job);
/// The page template the job's index.html is copied from.
std::filesystem::path templateOf(const WallTarget& job);
/// What the job's wall is made from besides its records, as its stamp names them.
WallInputs stampInputs(const WallTarget& job, const WallState& state);
/// The media positions that follow an entry's mtime, each led by a comma, as far as the entry
/// needs them: nothing for a plain photo.
void appendMedia(std::string& text, const Record::Media& media);
/// The whole text of the job's manifest.js.
std::string manifestText(const WallTarget& job, const std::vector<WallEntry>& entries);
/// The whole text of the job's state.js.
std::string stateText(const WallState& state);
/// Writes state.js when unfinished, the data's pieces, manifest.js, wall.js, state.js when
/// finished, copies the page template to index.html, and then removes from the data folder
/// what the new wall.js does not name; throws JobError. Returns the names, relative to the
/// wall's folder, of the files that now make the wall.
std::vector<std::string> writeWall(const WallTarget& job, const std::vector<WallEntry>& entries, const WallState& state = {});

} // namespace WallOutput
