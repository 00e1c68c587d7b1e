// Video processing on mutated videos. The first byte picks the file's extension, so one corpus
// reaches every container we accept (MP4/QuickTime, Matroska/WebM, AVI, MPEG-TS); the rest is
// the file. Processing must give a record or nothing, with its poster exactly when there is a
// record, and leave no temporary file behind.
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

constexpr std::array<const char*, 9> extensions{"mp4", "mov", "m4v", "3gp", "mkv", "webm", "avi", "mts", "m2ts"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FuzzPlace place;
    static Indexer job(place.root / "src", place.root / "wall", "Fuzz", false, nullptr);
    if (size == 0)
        return 0;
    const std::string rel = std::string("clip.") + extensions[data[0] % extensions.size()];
    {
        std::ofstream file(place.root / "src" / rel, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    const FileEntry entry{rel, static_cast<std::int64_t>(size - 1), 0};
    const auto record = job.process(entry);
    const std::string key = Indexer::key(rel);
    const fs::path thumb = job.thumbURL(key);
    const fs::path preview = job.previewURL(key);
    std::error_code ec;
    if (record.has_value() != fs::exists(thumb, ec))
        std::abort(); // a record without its poster, or a poster without a record
    if (record && (Record::mediaOf(*record).flags & Record::isVideo) == 0)
        std::abort(); // a video recorded as something else
    for (const fs::path& jpeg : {thumb, preview}) {
        if (fs::exists(jpeg.parent_path() / ("." + key + ".tmp"), ec))
            std::abort(); // a failed video left its temporary file
        fs::remove(jpeg, ec);
    }
    return 0;
}
