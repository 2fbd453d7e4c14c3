// The nine colour schemes: a trail's colour for a frame, as amounts that the surface adds with
// saturation. Schemes 1..7 are fixed colours, 8 gives each trail its own, 9 steps through the
// seven every 10 seconds of the animation's millisecond clock.
#pragma once

#include <cstdint>

#include "trails/frame_seams.h"

constexpr int32_t ColorSchemeCount = 9;

// Writes the triple for colorMode and trail (trailIndex matters to mode 8 only; clock to mode 9
// only, which reads it on every call). A mode outside 1..9 draws as mode 1.
void SchemeColor(int32_t colorMode, int32_t* red, int32_t* green, int32_t* blue,
                 uint32_t trailIndex, const ClockSeam& clock);
