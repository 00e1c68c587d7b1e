// Photo-like pictures: a sky, a sun, rolling hills and a caption, varied by a seed.
#pragma once

#include "Canvas.h"

#include <cstdint>
#include <string_view>

namespace samples {

struct SceneOptions {
    int width = 240;
    int height = 160;
    /// 4 gives a transparent sky that fades in towards the horizon.
    int bands = 3;
    /// Grain added over everything, as on a camera sensor.
    int noise = 6;
};

/// A landscape chosen by `seed`, with `caption` in the lower left corner so that each
/// picture can be told apart on a wall.
Canvas paintLandscape(std::uint64_t seed, std::string_view caption, const SceneOptions& options);

/// Where the upright arrow of `paintUpArrow` lies in a picture of the given size; tests read
/// the stored pictures back with the same numbers.
struct ArrowGeometry {
    double centreX;
    double tipY;
    double headBaseY;
    double headHalfWidth;
    double shaftHalfWidth;
    double shaftEndY;
};
ArrowGeometry arrowGeometry(int width, int height);

/// A darkened landscape with a large white arrow pointing up and the word "UP", drawn upright:
/// a viewer that honours the stored orientation must show the arrow pointing up.
Canvas paintUpArrow(std::uint64_t seed, std::string_view caption, int width, int height);

} // namespace samples
