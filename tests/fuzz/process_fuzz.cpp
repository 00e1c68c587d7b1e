// Photo processing on mutated photos. The first byte picks the file's extension, so one corpus
// reaches every decoder (libvips' loaders, LibRaw, Exiv2); the rest is the file. Processing
// must give a record or nothing, and leave no temporary file behind.
#include "engine/Indexer.h"

#include "FuzzPlace.h"

#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 18> extensions{"jpg", "png", "heic", "gif", "webp", "tif", "bmp", "dng", "cr2",
                                                 "cr3", "nef", "arw", "raf", "orf", "rw2", "jpeg", "tiff", "heif"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FuzzPlace place;
    static Indexer job(place.root / "src", place.root / "wall", "Fuzz", false, nullptr);
    if (size == 0)
        return 0;
    const std::string rel = std::string("photo.") + extensions[data[0] % extensions.size()];
    {
        std::ofstream file(place.root / "src" / rel, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    const FileEntry entry{rel, static_cast<std::int64_t>(size - 1), 0};
    const auto record = job.process(entry);
    const fs::path thumb = job.thumbURL(Indexer::key(rel));
    std::error_code ec;
    const bool made = fs::exists(thumb, ec);
    if (record.has_value() != made)
        std::abort(); // a record without its thumbnail, or a thumbnail without a record
    if (fs::exists(thumb.parent_path() / ("." + Indexer::key(rel) + ".tmp"), ec))
        std::abort(); // a failed photo left its temporary file
    fs::remove(thumb, ec);
    return 0;
}
