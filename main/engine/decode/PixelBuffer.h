// Decoded pixels handed from one decoder to the thumbnail writer.
#pragma once

#include <cstdint>
#include <vector>

/// Interleaved 8-bit samples, rows top to bottom, already upright.
struct PixelBuffer {
    int width = 0;
    int height = 0;
    int bands = 0; ///< 1 grey, 3 RGB
    std::vector<std::uint8_t> samples;
};

/// Width and height in pixels.
struct PixelSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
