// Whether text is plain ASCII: the date parsers and the engine's name folding take a fast path
// for such text, which needs no Unicode machinery.
#pragma once

#include <string_view>

namespace Ascii {

constexpr bool isAscii(std::string_view bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace Ascii
