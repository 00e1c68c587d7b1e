// Painting the sample landscapes.
#include "Scene.h"

#include "Random.h"

#include <algorithm>
#include <array>

namespace samples {
namespace {

struct Palette {
    Color skyTop;
    Color skyHorizon;
    Color sun;
    std::array<Color, 3> hills; // far to near
};

// Dawn, noon, dusk, night, mist, autumn, desert, spring.
constexpr std::array<Palette, 8> palettes = {{
    {{250, 180, 140}, {255, 226, 190}, {255, 244, 214}, {{{186, 150, 160}, {128, 104, 126}, {70, 60, 84}}}},
    {{60, 130, 220}, {176, 214, 246}, {255, 252, 226}, {{{120, 170, 120}, {70, 140, 70}, {40, 96, 44}}}},
    {{60, 40, 110}, {246, 132, 72}, {255, 200, 96}, {{{120, 60, 90}, {80, 36, 70}, {40, 20, 40}}}},
    {{8, 12, 40}, {34, 52, 100}, {230, 232, 214}, {{{40, 50, 80}, {26, 32, 56}, {12, 16, 30}}}},
    {{170, 184, 196}, {222, 228, 230}, {246, 246, 240}, {{{150, 164, 170}, {112, 128, 136}, {70, 84, 92}}}},
    {{110, 150, 200}, {228, 216, 186}, {255, 236, 190}, {{{206, 150, 70}, {178, 96, 40}, {110, 54, 26}}}},
    {{90, 160, 230}, {240, 220, 180}, {255, 255, 236}, {{{230, 190, 130}, {210, 160, 96}, {176, 120, 70}}}},
    {{130, 190, 250}, {214, 240, 255}, {255, 250, 210}, {{{170, 216, 150}, {120, 196, 110}, {236, 170, 200}}}},
}};

void paintCaption(Canvas& canvas, std::string_view caption)
{
    if (caption.empty())
        return;
    const int scale = std::max(1, std::min(canvas.width(), canvas.height()) / 80);
    const int pad = 2 * scale;
    const int w = textWidth(caption, scale) + 2 * pad;
    const int h = 7 * scale + 2 * pad;
    const int x = 3 * scale;
    const int y = canvas.height() - h - 3 * scale;
    canvas.fillRect(x, y, w, h, {0, 0, 0, 120});
    canvas.drawText(x + pad, y + pad, scale, caption, {255, 255, 255, 255});
}

} // namespace

Canvas paintLandscape(std::uint64_t seed, std::string_view caption, const SceneOptions& options)
{
    Random random(seed);
    const Palette& palette = palettes[random.next() % palettes.size()];
    const int w = options.width;
    const int h = options.height;
    Canvas canvas(w, h, options.bands);

    Color top = palette.skyTop;
    Color horizon = palette.skyHorizon;
    if (options.bands == 4) {
        top.a = 0;
        horizon.a = 170;
    }
    canvas.verticalGradient(top, horizon);

    const double sunX = w * (0.15 + 0.7 * random.unit());
    const double sunY = h * (0.12 + 0.3 * random.unit());
    const double sunR = std::min(w, h) * (0.06 + 0.06 * random.unit());
    Color glow = palette.sun;
    glow.a = 60;
    canvas.fillDisc(sunX, sunY, sunR * 1.8, glow);
    canvas.fillDisc(sunX, sunY, sunR, palette.sun);

    for (std::size_t layer = 0; layer < palette.hills.size(); ++layer) {
        const double base = h * (0.48 + 0.14 * static_cast<double>(layer) + 0.06 * random.unit());
        const double amplitude = h * (0.03 + 0.06 * random.unit());
        const double wavelength = w * (0.4 + 0.9 * random.unit());
        const double phase = 6.283 * random.unit();
        canvas.fillBelowWave(base, amplitude, wavelength, phase, palette.hills[layer]);
    }

    // A few trees on the nearest hill give each scene a silhouette of its own.
    const int trees = random.between(0, 5);
    const Color treeColor = mix(palette.hills[2], {0, 0, 0, 255}, 0.45);
    for (int i = 0; i < trees; ++i) {
        const double tx = w * random.unit();
        const double ty = h * (0.78 + 0.1 * random.unit());
        const double th = h * (0.1 + 0.12 * random.unit());
        canvas.fillTriangle(tx, ty - th, tx - th * 0.3, ty, tx + th * 0.3, ty, treeColor);
    }

    paintCaption(canvas, caption);
    if (options.noise > 0)
        canvas.addNoise(random, options.noise);
    return canvas;
}

ArrowGeometry arrowGeometry(int width, int height)
{
    const double s = std::min(width, height);
    const double tipY = height * 0.08;
    const double headBaseY = tipY + 0.35 * s;
    return {width / 2.0, tipY, headBaseY, 0.28 * s, 0.07 * s, height * 0.80};
}

Canvas paintUpArrow(std::uint64_t seed, std::string_view caption, int width, int height)
{
    Canvas canvas = paintLandscape(seed, {}, {width, height, 3, 0});
    canvas.fillRect(0, 0, width, height, {0, 0, 0, 110});

    const ArrowGeometry a = arrowGeometry(width, height);
    const Color white{255, 255, 255, 255};
    canvas.fillTriangle(a.centreX, a.tipY, a.centreX - a.headHalfWidth, a.headBaseY, a.centreX + a.headHalfWidth,
                        a.headBaseY, white);
    canvas.fillRect(static_cast<int>(a.centreX - a.shaftHalfWidth), static_cast<int>(a.headBaseY),
                    static_cast<int>(2 * a.shaftHalfWidth), static_cast<int>(a.shaftEndY - a.headBaseY), white);

    const int scale = std::max(1, std::min(width, height) / 60);
    canvas.drawText(static_cast<int>(a.centreX + a.shaftHalfWidth + scale * 2), static_cast<int>(a.headBaseY + scale * 2),
                    scale, "UP", {255, 230, 90, 255});
    paintCaption(canvas, caption);
    Random grain(seed ^ 0x5eedULL);
    canvas.addNoise(grain, 4);
    return canvas;
}

} // namespace samples
