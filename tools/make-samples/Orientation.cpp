// Pixel rotation for the orientation samples.
#include "Orientation.h"

#include <algorithm>

namespace samples {

Canvas storedForOrientation(const Canvas& upright, int orientation)
{
    const int uw = upright.width();
    const int uh = upright.height();
    const int bands = upright.bands();
    const bool quarterTurn = orientation == 6 || orientation == 8;
    if (orientation != 3 && !quarterTurn)
        return upright;

    Canvas stored(quarterTurn ? uh : uw, quarterTurn ? uw : uh, bands);
    for (int ys = 0; ys < stored.height(); ++ys) {
        for (int xs = 0; xs < stored.width(); ++xs) {
            int ux = 0;
            int uy = 0;
            switch (orientation) {
            case 3: // shown turned by half a turn
                ux = uw - 1 - xs;
                uy = uh - 1 - ys;
                break;
            case 6: // shown turned a quarter clockwise
                ux = uw - 1 - ys;
                uy = xs;
                break;
            default: // 8: shown turned a quarter anticlockwise
                ux = ys;
                uy = uh - 1 - xs;
                break;
            }
            const std::uint8_t* from = upright.data() + (static_cast<std::size_t>(uy) * uw + ux) * bands;
            std::uint8_t* to = stored.data() + (static_cast<std::size_t>(ys) * stored.width() + xs) * bands;
            std::copy(from, from + bands, to);
        }
    }
    return stored;
}

} // namespace samples
