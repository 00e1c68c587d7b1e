// Byte-string helpers around ICU text.
#include "engine/IcuText.h"

#include <algorithm>

namespace IcuText {

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace IcuText
