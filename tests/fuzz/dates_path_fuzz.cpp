// Relative paths as a drive may hold them: any bytes, not always UTF-8.
#include "dates/Dates.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    (void)Dates::fromPath(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
