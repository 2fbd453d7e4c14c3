// The two steps that a frame takes for each trail in use: project its points into five
// additive discs each, in the trail's colour for this frame, then move and steer it and now and
// then give it a new random target.
// The discs go to any destination with RasterSurface's AddFilledCircle signature (the surface, the
// disc accumulator, or a benchmark's stand-in), so every way of drawing sees the same discs in
// the same order.
#pragma once

#include <cstdint>

#include "trails/fixed_point.h"
#include "trails/random.h"
#include "trails/setting_limits.h"
#include "trails/trail.h"

constexpr int32_t PointsPerTrail = 8;
constexpr int32_t FocalLength = 3000;  // pixels per unit of x / z
// The projected width of a segment two units (8192) long sets a point's apparent size.
constexpr int32_t SizeSegment = FocalLength * 8192;

inline int32_t FadedComponent(int32_t value, int32_t fade) {
    return value - fade < 0 ? 0 : value - fade;
}

// value logical pixels at scale (in ScaleUnits), rounded down; wrapped projections far off the
// frame stay far off it, held in 32 bits. At ScaleUnit it is value itself.
inline int32_t ScaledPixels(int32_t value, int32_t scale) {
    if (scale == ScaleUnit) return value;
    const int64_t product = int64_t{value} * scale;
    const int64_t scaled =
        product >= 0 ? product / ScaleUnit : -((-product + ScaleUnit - 1) / ScaleUnit);
    return scaled > INT32_MAX   ? INT32_MAX
           : scaled < INT32_MIN ? INT32_MIN
                                : static_cast<int32_t>(scaled);
}

// red, green and blue are the trail's colour scheme amounts for this frame (SchemeColor).
// width and height are the logical size the trails move in; each disc's centre and radius are
// then multiplied by scale.
template <typename DiscDestination>
void DrawTrailDiscs(DiscDestination& discs, const Trail& trail, int32_t red, int32_t green,
                    int32_t blue, int32_t width, int32_t height, int32_t scale = ScaleUnit) {
    for (int32_t k = 1; k <= PointsPerTrail; ++k) {
        int32_t x = 0;
        int32_t y = 0;
        int32_t z = 0;
        if (!trail.GetPoint(k, &x, &y, &z)) continue;
        if (z < 1) continue;  // behind the viewer
        // Points that stray past |x| = 715827 make 3000 * x wrap; the frame shows the
        // wrapped projection, as the animation always has.
        const int32_t scaledX = WrapMul(FocalLength, x);
        const int32_t sx = scaledX / z;
        const int32_t sy = WrapMul(FocalLength, y) / z;
        const int32_t px = WrapAdd(sx, width / 2);
        const int32_t py = WrapSub(height / 2, sy);
        const int32_t size =
            WrapSub(WrapAbs(WrapSub(WrapAdd(scaledX, SizeSegment) / z, sx)), 3 * k);
        if (size < 2 || size > 399) continue;
        const int32_t fade = 5 * k;
        const int32_t r = FadedComponent(red, fade);
        const int32_t g = FadedComponent(green, fade);
        const int32_t b = FadedComponent(blue, fade);
        const int32_t cx = ScaledPixels(px, scale);
        const int32_t cy = ScaledPixels(py, scale);
        // The halo takes the faded colour rotated one channel and quartered.
        discs.AddFilledCircle(cx, cy, ScaledPixels(size / 2, scale), g / 4, b / 4, r / 4);
        for (int32_t divisor = 3; divisor <= 6; ++divisor)
            discs.AddFilledCircle(cx, cy, ScaledPixels(size / divisor, scale), r, g, b);
    }
}

// Advance, steer by 10 degrees, and with probability 0.3 a new target within the window's
// reach (three more draws of the generator).
void MoveTrail(Trail& trail, int32_t width, int32_t height, RandomGenerator& random);
