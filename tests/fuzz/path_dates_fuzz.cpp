// Many paths, one per line, through one PathDates: each must get what Dates::fromPath gives it.
#include "dates/PathDates.h"

#include "dates/Dates.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    Dates::PathDates memo;
    while (true) {
        const auto newline = rest.find('\n');
        const std::string_view path = rest.substr(0, newline);
        if (memo.fromPath(path) != Dates::fromPath(path))
            std::abort();
        if (newline == std::string_view::npos)
            break;
        rest.remove_prefix(newline + 1);
    }
    return 0;
}
