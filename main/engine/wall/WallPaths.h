// Where a wall's files lie inside its folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

/// The locations of one wall, all inside its folder `out`: a value that any thread may hold.
struct WallPaths {
    std::filesystem::path out;

    /// The wall's folder inside its source, where the wall goes when the source can take it.
    static constexpr std::string_view defaultWallFolder = "_Photo Gallery";

    /// thumbs/ in the wall's folder.
    std::filesystem::path thumbDir() const;
    /// .cache.json, the progress cache.
    std::filesystem::path cacheURL() const;
    /// index.html, the wall's page.
    std::filesystem::path galleryFile() const;
    /// manifest.js, the wall's data.
    std::filesystem::path manifestFile() const;
    /// state.js: whether the last run finished the wall, for its page.
    std::filesystem::path stateFile() const;
    /// wall.js, the index of the wall's data in pieces, for the page.
    std::filesystem::path wallIndexFile() const;
    /// data/ in the wall's folder: the pieces that wall.js names.
    std::filesystem::path dataDir() const;
    /// previews/ in the wall's folder: the large JPEGs of photos that browsers cannot show.
    std::filesystem::path previewDir() const;
    /// full/ in the wall's folder: a portable wall's full-size JPEGs of photos that browsers cannot show.
    std::filesystem::path fullDir() const;
    /// motion/ in the wall's folder: the clips copied out of motion photos.
    std::filesystem::path motionDir() const;
    /// .settings.json, what the wall remembers of how it is made (whether it is portable).
    std::filesystem::path settingsFile() const;
    /// videos/ in the wall's folder: the playable copies of videos that browsers cannot play.
    std::filesystem::path videoCopyDir() const;
    /// .inflight, the photos in flight, for the next run to know which one a crash or hang came from.
    std::filesystem::path journalFile() const;
    /// .stamp, what the wall's files were last written from and as.
    std::filesystem::path stampFile() const;
    /// .lock, locked by the run writing the wall; holds that process's id.
    std::filesystem::path lockFile() const;

    /// First 16 hex digits of md5Hex(rel): the name of a photo's files in the wall.
    static std::string key(std::string_view rel);
    /// thumbs/<first two characters>/<key>.jpg
    std::filesystem::path thumbURL(std::string_view key) const;
    /// previews/<first two characters>/<key>.jpg
    std::filesystem::path previewURL(std::string_view key) const;
    /// full/<first two characters>/<key>.jpg
    std::filesystem::path fullURL(std::string_view key) const;
    /// motion/<first two characters>/<key>.mp4, relative to the wall's folder: where the clip of
    /// a motion photo goes, and how its record and the page name it.
    static std::string motionClipName(std::string_view key);
    std::filesystem::path motionURL(std::string_view key) const;
    /// videos/<first two characters>/<key>.mp4, relative to the wall's folder: the playable copy
    /// of a video, or of a live photo's clip; the page finds it by the entry's key.
    static std::string videoCopyName(std::string_view key);
};
