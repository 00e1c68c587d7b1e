// The progress cache's reader on arbitrary bytes: it either gives a map that writes back to
// text it reads again as the same map, or nothing. Never a crash, never a hang.
#include "engine/cache/CacheFormat.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto map = CacheFormat::parse(text);
    if (!map)
        return 0;
    // What we write must read back unchanged, whatever bytes the names and texts hold.
    const auto again = CacheFormat::parse(CacheFormat::serialize(*map));
    if (!again || *again != *map)
        std::abort();
    return 0;
}
