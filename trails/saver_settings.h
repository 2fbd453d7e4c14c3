// The process-wide values that the host side (settings store, saver window, viewer, headless
// renderer) writes and the frame renderer reads every frame.
#pragma once

#include <cstdint>

constexpr uint32_t DefaultTrailCount = 25;
constexpr int32_t DefaultColorMode = 1;

// Stored settings, kept exactly as loaded: a count above the pool's size or a scheme outside
// 1..9 is bounded where it is used, never rewritten here.
extern uint32_t TrailCount;
extern int32_t ColorMode;

// The saver window's size in pixels as recorded when it was created; the surface has the same
// size. Signed 16-bit, as the window records it.
extern int16_t WindowWidth;
extern int16_t WindowHeight;
