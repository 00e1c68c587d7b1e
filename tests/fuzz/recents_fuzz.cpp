// The recent-list decoder on arbitrary bytes: a list or nothing, and a decoded list survives
// being written and read again.
#include "model/RecentsJson.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto recents = RecentsJson::decode(text);
    if (!recents)
        return 0;
    const auto again = RecentsJson::decode(RecentsJson::encode(*recents));
    if (!again || again->size() != recents->size())
        std::abort();
    return 0;
}
