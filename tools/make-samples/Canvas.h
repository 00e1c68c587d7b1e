// An 8-bit RGB or RGBA pixel buffer with the few drawing operations the sample pictures need.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace samples {

class Random;

struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
};

/// Mixes two colours, t = 0 gives `from`, t = 1 gives `to`.
Color mix(Color from, Color to, double t);

class Canvas {
public:
    Canvas(int width, int height, int bands);

    int width() const { return width_; }
    int height() const { return height_; }
    int bands() const { return bands_; }
    const std::uint8_t* data() const { return pixels_.data(); }
    std::uint8_t* data() { return pixels_.data(); }
    std::size_t byteSize() const { return pixels_.size(); }

    Color pixel(int x, int y) const;
    /// Blends `color` over the pixel by its alpha; on an RGBA canvas the alpha channel adds up.
    void blend(int x, int y, Color color, double coverage = 1.0);

    void verticalGradient(Color top, Color bottom);
    void fillRect(int x, int y, int w, int h, Color color);
    /// A disc with a one-pixel soft edge.
    void fillDisc(double cx, double cy, double radius, Color color);
    void fillTriangle(double x0, double y0, double x1, double y1, double x2, double y2, Color color);
    /// Fills everything below the wave y = base + amplitude * sin(2 pi x / wavelength + phase).
    void fillBelowWave(double base, double amplitude, double wavelength, double phase, Color color);
    /// Text in the built-in 5x7 font, each font pixel drawn as a scale x scale square.
    void drawText(int x, int y, int scale, std::string_view text, Color color);
    /// Adds grain of +-amplitude to every colour channel, like sensor noise.
    void addNoise(Random& random, int amplitude);

private:
    int width_;
    int height_;
    int bands_;
    std::vector<std::uint8_t> pixels_;
};

/// Width in pixels of `text` drawn by `Canvas::drawText` at `scale`.
int textWidth(std::string_view text, int scale);

} // namespace samples
