// The saver's two settings, their defaults and the ranges a user may choose from, in one place
// for every host: the Windows settings dialog and store, the viewer's settings file and
// --configure, tolva-render's checks, and the tests that hold tolva.xml and tolva.rc to them.
// Stored values outside these ranges are still drawn (a count above the pool's size uses the
// whole pool, a scheme outside the range draws as scheme 1); only choosing one is refused.
#pragma once

#include <cstdint>

constexpr uint32_t DefaultTrailCount = 25;
constexpr int32_t DefaultColorMode = 1;

constexpr uint32_t MinTrailCount = 2;
constexpr uint32_t MaxTrailCount = 80;  // the size of the trail pool
constexpr int32_t MinColorMode = 1;
constexpr int32_t MaxColorMode = 9;

// The scale k at which a host draws, in 256ths of a pixel per logical pixel: the animation moves
// as it would on a screen 1/k the size and every disc is drawn k times as large, so trails keep
// their physical size on a dense display. ScaleUnit (k = 1) draws the frames the saver always
// drew.
constexpr int32_t ScaleUnit = 256;
constexpr int32_t MinScale = ScaleUnit / 2;
constexpr int32_t MaxScale = ScaleUnit * 8;
