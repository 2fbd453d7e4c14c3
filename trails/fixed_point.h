// The fixed-point toolkit of the trail animation. Lengths are int32 with 4096 standing for one
// unit; direction-table entries are sines and cosines times 4096.
//
// The animation is defined on 32-bit two's complement arithmetic: trails stray far enough for
// products such as 3000 * x and the cross products of steering to wrap, and the frames depend
// on the wrapped values. The Wrap* helpers compute in uint32_t and convert back, which wraps
// modulo 2^32 on every compiler without the undefined behaviour of signed overflow.
#pragma once

#include <cstdint>

inline int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t WrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
inline int32_t WrapNeg(int32_t a) {
    return static_cast<int32_t>(0u - static_cast<uint32_t>(a));
}
inline int32_t WrapAbs(int32_t a) {
    return a < 0 ? WrapNeg(a) : a;
}
// Truncating division; INT32_MIN / -1, the one quotient that does not fit, wraps to INT32_MIN
// as the two's complement result would.
inline int32_t WrapDiv(int32_t a, int32_t b) {
    return b == -1 ? WrapNeg(a) : a / b;
}

// x + 0.5 (x - 0.5 below zero) truncated toward zero through a 64-bit integer.
double RoundHalfAway(double x);
// (pi * d) * (1/180): the reciprocal is stored, not divided by, and each product rounds.
double DegToRad(double degrees);
// (x1 - x0)(y2 - y0) - (x2 - x0)(y1 - y0), wrapping; positive when (x2, y2) lies
// counter-clockwise of the direction (x0, y0) -> (x1, y1) with y up.
int32_t Cross2D(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Turns (px, py) about (cx, cy) by the angle whose cosine and sine are c / scale and s / scale.
// Returns 0 and leaves the outputs alone when scale < 1.
int RotateFixed(int32_t cx, int32_t cy, int32_t px, int32_t py, int32_t c, int32_t s, int32_t scale,
                int32_t* ox, int32_t* oy);
