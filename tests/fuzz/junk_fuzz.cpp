// The junk test on any path bytes; a path and its folder form must not disagree about a junk
// folder on the way.
#include "engine/run/Indexer.h"
#include "engine/walk/PhotoKinds.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    const bool junk = PhotoKinds::isJunk(path);
    // Appending a file name below a junk folder keeps it junk.
    if (junk && !PhotoKinds::isJunk(std::string(path) + "/x.jpg"))
        std::abort();
    return 0;
}
