// ASCII-only text helpers: photo extensions and fast paths for names that need no Unicode.
#pragma once

#include <string>
#include <string_view>

namespace AsciiText {

/// The bytes with A-Z made a-z and every other byte kept.
std::string lower(std::string_view bytes);

/// The extension of a path's last component, after its last ".", in ASCII lower case; "" when
/// there is none. Photo extensions are ASCII, so no other case mapping can matter here.
std::string lowerExtension(std::string_view path);

} // namespace AsciiText
