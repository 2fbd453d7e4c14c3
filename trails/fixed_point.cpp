// Rounding, angle conversion, cross product and rotation on fixed-point integers.
#include "trails/fixed_point.h"

#include <cstdint>

double RoundHalfAway(double x) {
    if (x >= 0.0) return static_cast<double>(static_cast<int64_t>(x + 0.5));
    return static_cast<double>(static_cast<int64_t>(x - 0.5));
}

double DegToRad(double degrees) {
    // Multiplying by the stored reciprocal, not dividing by 180, is part of the result: the
    // tables must come out the same on every build.
    const double pi = 3.141592653589793;
    const double oneOver180 = 0.005555555555555556;
    return (pi * degrees) * oneOver180;
}

int32_t Cross2D(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return WrapSub(WrapMul(WrapSub(x1, x0), WrapSub(y2, y0)),
                   WrapMul(WrapSub(x2, x0), WrapSub(y1, y0)));
}

int RotateFixed(int32_t cx, int32_t cy, int32_t px, int32_t py, int32_t c, int32_t s, int32_t scale,
                int32_t* ox, int32_t* oy) {
    if (scale < 1) return 0;
    const int32_t dx = WrapSub(px, cx);
    const int32_t dy = WrapSub(py, cy);
    *ox = WrapAdd(cx, WrapSub(WrapMul(dx, c), WrapMul(dy, s)) / scale);
    *oy = WrapAdd(cy, WrapAdd(WrapMul(dx, s), WrapMul(dy, c)) / scale);
    return 1;
}
