// The body both processing targets share: the first byte picks the file's extension, so one
// corpus reaches every decoder behind those extensions; the rest is the file. Processing must
// give a record or nothing, with its thumbnail exactly when there is a record, and leave no
// temporary file behind.
#pragma once

#include "engine/run/Indexer.h"

#include "FuzzPlace.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string>

/// Processes one mutated file named `stem` + an extension from `extensions`; aborts on a broken
/// promise. Returns the record, for a target's own checks.
inline std::optional<CacheRecord> processOne(const std::uint8_t* data, std::size_t size, const std::string& stem,
                                        std::span<const char* const> extensions)
{
    namespace fs = std::filesystem;
    static FuzzPlace place;
    static Indexer job(place.root / "src", place.root / "wall", "Fuzz", false, nullptr);
    if (size == 0)
        return std::nullopt;
    const std::string rel = stem + "." + extensions[data[0] % extensions.size()];
    {
        std::ofstream file(place.root / "src" / rel, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    const FileEntry entry{rel, static_cast<std::int64_t>(size - 1), 0};
    const auto record = process(job.photoWork(), entry);
    const std::string key = WallPaths::key(rel);
    const fs::path thumb = job.wall.thumbURL(key);
    std::error_code ec;
    if (record.has_value() != fs::exists(thumb, ec))
        std::abort(); // a record without its thumbnail, or a thumbnail without a record
    for (const fs::path& jpeg : {thumb, job.wall.previewURL(key)}) {
        if (fs::exists(jpeg.parent_path() / ("." + key + ".tmp"), ec))
            std::abort(); // a failed file left its temporary file
        fs::remove(jpeg, ec);
    }
    return record;
}
