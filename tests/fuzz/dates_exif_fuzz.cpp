// Capture-date texts as a photo may store them: any bytes.
#include "dates/Dates.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)Dates::fromExif(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
