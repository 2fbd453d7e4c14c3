// Colour schemes.
#include "trails/color_scheme.h"

#include <cstdint>

namespace {

struct Triple {
    int32_t red, green, blue;
};

// Base colours of schemes 1..7: red, green, blue, purple, cyan, yellow, white.
constexpr Triple BaseColors[7] = {
    {20, 10, 2}, {2, 20, 8}, {2, 8, 20}, {15, 8, 15}, {8, 15, 15}, {15, 15, 8}, {10, 10, 10},
};

}  // namespace

void SchemeColor(int32_t colorMode, int32_t* red, int32_t* green, int32_t* blue,
                 uint32_t trailIndex, const ClockSeam& clock) {
    if (colorMode < 1 || colorMode > ColorSchemeCount) colorMode = 1;
    if (colorMode == 8) {
        SchemeColor(static_cast<int32_t>(trailIndex % 7) + 1, red, green, blue, 0, clock);
    } else if (colorMode == 9) {
        // Read anew for every trail: a frame that straddles a 10-second boundary shows both.
        const uint32_t now = clock.Read();
        SchemeColor(static_cast<int32_t>((now / 10000) % 7) + 1, red, green, blue, 0, clock);
    } else {
        const Triple& base = BaseColors[colorMode - 1];
        *red = base.red;
        *green = base.green;
        *blue = base.blue;
    }
    // Doubled at every level, so the inner call of schemes 8 and 9 makes four times the base.
    *red <<= 1;
    *green <<= 1;
    *blue <<= 1;
}
