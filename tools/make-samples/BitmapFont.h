// A 5x7 pixel font for the captions drawn into sample pictures (no system fonts, so the
// pictures are the same wherever they are made).
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace samples {

constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;

/// Seven rows, the lowest five bits of each, bit 4 being the leftmost pixel.
using Glyph = std::array<std::uint8_t, glyphHeight>;

/// The glyph of an upper-case letter, digit or one of " -:.,/'&", lower case drawn as upper
/// case; nothing for other characters.
std::optional<Glyph> glyphFor(char c);

} // namespace samples
