// Drawing into the pixel buffer of a sample picture.
#include "Canvas.h"

#include "BitmapFont.h"
#include "Random.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace samples {
namespace {

std::uint8_t clampByte(double v)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

double edgeSide(double ax, double ay, double bx, double by, double px, double py)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

} // namespace

Color mix(Color from, Color to, double t)
{
    return {clampByte(from.r + (to.r - from.r) * t), clampByte(from.g + (to.g - from.g) * t),
            clampByte(from.b + (to.b - from.b) * t), clampByte(from.a + (to.a - from.a) * t)};
}

Canvas::Canvas(int width, int height, int bands)
    : width_(width), height_(height), bands_(bands),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(bands))
{
}

Color Canvas::pixel(int x, int y) const
{
    const std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * bands_];
    return {p[0], p[1], p[2], bands_ == 4 ? p[3] : std::uint8_t{255}};
}

void Canvas::blend(int x, int y, Color color, double coverage)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    const double a = std::clamp(coverage, 0.0, 1.0) * color.a / 255.0;
    std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * bands_];
    p[0] = clampByte(p[0] + (color.r - p[0]) * a);
    p[1] = clampByte(p[1] + (color.g - p[1]) * a);
    p[2] = clampByte(p[2] + (color.b - p[2]) * a);
    if (bands_ == 4)
        p[3] = clampByte(p[3] + (255 - p[3]) * a);
}

void Canvas::verticalGradient(Color top, Color bottom)
{
    for (int y = 0; y < height_; ++y) {
        const Color c = mix(top, bottom, height_ > 1 ? static_cast<double>(y) / (height_ - 1) : 0.0);
        for (int x = 0; x < width_; ++x) {
            std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * bands_];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            if (bands_ == 4)
                p[3] = c.a;
        }
    }
}

void Canvas::fillRect(int x, int y, int w, int h, Color color)
{
    for (int row = std::max(y, 0); row < std::min(y + h, height_); ++row)
        for (int col = std::max(x, 0); col < std::min(x + w, width_); ++col)
            blend(col, row, color);
}

void Canvas::fillDisc(double cx, double cy, double radius, Color color)
{
    const int y0 = static_cast<int>(std::floor(cy - radius - 1));
    const int y1 = static_cast<int>(std::ceil(cy + radius + 1));
    const int x0 = static_cast<int>(std::floor(cx - radius - 1));
    const int x1 = static_cast<int>(std::ceil(cx + radius + 1));
    for (int y = std::max(y0, 0); y <= std::min(y1, height_ - 1); ++y) {
        for (int x = std::max(x0, 0); x <= std::min(x1, width_ - 1); ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const double coverage = radius + 0.5 - d;
            if (coverage > 0)
                blend(x, y, color, coverage);
        }
    }
}

void Canvas::fillTriangle(double x0, double y0, double x1, double y1, double x2, double y2, Color color)
{
    const int top = std::max(0, static_cast<int>(std::floor(std::min({y0, y1, y2}))));
    const int bottom = std::min(height_ - 1, static_cast<int>(std::ceil(std::max({y0, y1, y2}))));
    const int left = std::max(0, static_cast<int>(std::floor(std::min({x0, x1, x2}))));
    const int right = std::min(width_ - 1, static_cast<int>(std::ceil(std::max({x0, x1, x2}))));
    const bool clockwise = edgeSide(x0, y0, x1, y1, x2, y2) > 0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            const double e0 = edgeSide(x0, y0, x1, y1, px, py);
            const double e1 = edgeSide(x1, y1, x2, y2, px, py);
            const double e2 = edgeSide(x2, y2, x0, y0, px, py);
            const bool inside = clockwise ? (e0 >= 0 && e1 >= 0 && e2 >= 0) : (e0 <= 0 && e1 <= 0 && e2 <= 0);
            if (inside)
                blend(x, y, color);
        }
    }
}

void Canvas::fillBelowWave(double base, double amplitude, double wavelength, double phase, Color color)
{
    for (int x = 0; x < width_; ++x) {
        const double edge = base + amplitude * std::sin(2 * std::numbers::pi * x / wavelength + phase);
        const int first = std::max(0, static_cast<int>(std::floor(edge)));
        // The boundary pixel is covered in part, which keeps the ridge line smooth.
        if (first < height_)
            blend(x, first, color, first + 1 - edge);
        for (int y = first + 1; y < height_; ++y)
            blend(x, y, color);
    }
}

void Canvas::drawText(int x, int y, int scale, std::string_view text, Color color)
{
    int penX = x;
    for (char c : text) {
        if (const auto glyph = glyphFor(c)) {
            for (int row = 0; row < glyphHeight; ++row)
                for (int col = 0; col < glyphWidth; ++col)
                    if ((*glyph)[row] & (1 << (glyphWidth - 1 - col)))
                        fillRect(penX + col * scale, y + row * scale, scale, scale, color);
        }
        penX += (glyphWidth + 1) * scale;
    }
}

void Canvas::addNoise(Random& random, int amplitude)
{
    const int colourBands = std::min(bands_, 3);
    for (std::size_t i = 0; i < pixels_.size(); i += bands_) {
        const std::uint64_t bits = random.next();
        for (int b = 0; b < colourBands; ++b) {
            const int offset = static_cast<int>((bits >> (b * 16)) % (2 * amplitude + 1)) - amplitude;
            pixels_[i + b] = clampByte(pixels_[i + b] + offset);
        }
    }
}

int textWidth(std::string_view text, int scale)
{
    return text.empty() ? 0 : static_cast<int>(text.size()) * (glyphWidth + 1) * scale - scale;
}

} // namespace samples
