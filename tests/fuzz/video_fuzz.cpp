// Video processing on mutated videos, through every container we accept (MP4/QuickTime,
// Matroska/WebM, AVI, MPEG-TS). A record must be a video's.
#include "ProcessOne.h"

#include <array>

namespace {

constexpr std::array<const char*, 9> extensions{"mp4", "mov", "m4v", "3gp", "mkv", "webm", "avi", "mts", "m2ts"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto record = processOne(data, size, "clip", extensions);
    if (record && ((*record).media.flags & Record::isVideo) == 0)
        std::abort(); // a video recorded as something else
    return 0;
}
