// Photo processing on mutated photos, through every decoder (libvips' loaders, LibRaw, Exiv2).
#include "ProcessOne.h"

#include <array>

namespace {

constexpr std::array<const char*, 18> extensions{"jpg", "png", "heic", "gif", "webp", "tif", "bmp", "dng", "cr2",
                                                 "cr3", "nef", "arw", "raf", "orf", "rw2", "jpeg", "tiff", "heif"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    processOne(data, size, "photo", extensions);
    return 0;
}
