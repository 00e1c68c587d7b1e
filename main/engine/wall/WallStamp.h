// What a wall was last written from, and the files it was written as: an update that finds both
// as they were has nothing to write, and skips dating, sorting and making the wall's texts,
// which at a million photos cost more time and memory than the rest of the update.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

/// The wall's counts, as the run's summary reports them.
struct WallCounts {
    std::int64_t entries = 0;
    std::int64_t undated = 0;
    std::int64_t videos = 0;
    std::int64_t undatedVideos = 0;
    std::int64_t rawPairs = 0;
    friend bool operator==(const WallCounts&, const WallCounts&) = default;
};

/// Everything the wall's files are made from besides the photos' records: the cache file as it
/// lies on disk (so its records), the page template, the gazetteer, the program, the title, the
/// source and what the state says is still to do.
struct WallInputs {
    std::filesystem::path cacheFile;
    std::filesystem::path templateFile;
    std::filesystem::path gazetteerFile;
    std::string program;
    std::string title;
    std::string root;
    std::int64_t toDo = 0;
};

namespace WallStamp {

/// The wall's counts when the stamp in `stampFile` was written from these inputs and every file
/// it names is still the one written then; nothing when anything differs, is missing, or the
/// stamp is of another version.
std::optional<WallCounts> standing(const std::filesystem::path& stampFile, const std::filesystem::path& wallFolder,
                                   const WallInputs& inputs);

/// Stamps the wall just written as `files` (relative to its folder) from `inputs`. Best effort:
/// without a stamp the next update only writes the wall again.
void write(const std::filesystem::path& stampFile, const std::filesystem::path& wallFolder, const WallInputs& inputs,
           const WallCounts& counts, const std::vector<std::string>& files);

} // namespace WallStamp
