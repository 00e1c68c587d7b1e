// ASCII-only text helpers.
#include "engine/base/AsciiText.h"

#include <algorithm>

namespace AsciiText {

std::string lower(std::string_view bytes)
{
    std::string out(bytes);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string lowerExtension(std::string_view path)
{
    const std::string_view name = path.substr(path.find_last_of('/') + 1);
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : lower(name.substr(dot + 1));
}

} // namespace AsciiText
