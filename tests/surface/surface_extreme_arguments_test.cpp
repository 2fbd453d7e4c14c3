// The raster surface at the ends of the int32 range: arguments the animation never passes but
// that must still give the defined result without undefined behaviour (the sanitizer build runs
// these). Each case here once failed under the fuzzers.
#include <gtest/gtest.h>

#include <cstdint>

#include "surface/raster_surface.h"

namespace {

constexpr int32_t Depths[] = {1, 3, 4, 8, 16, 24, 48};

TEST(SurfaceExtremeArguments, CreateRefusesEveryWidthOfZeroOrLessAtEveryDepth) {
    const int32_t widths[] = {0, -1, -31, -32, -33, INT32_MIN / 2, INT32_MIN + 1, INT32_MIN};
    for (int32_t depth : Depths) {
        for (int32_t width : widths) {
            RasterSurface surface;
            ASSERT_EQ(1, surface.Create(4, 4, 24));
            EXPECT_EQ(0, surface.Create(width, 7, depth)) << width << " at depth " << depth;
            EXPECT_EQ(nullptr, surface.GetBits()) << width << " at depth " << depth;
            EXPECT_EQ(0, surface.GetWidth());
            EXPECT_EQ(0, surface.GetHeight());
            EXPECT_EQ(0, surface.GetStride());
            EXPECT_EQ(0, surface.GetBitDepth());
        }
    }
}

// Bytes blue, green, red of pixel (x, y).
void ExpectPixel(const RasterSurface& s, int32_t x, int32_t y, int red, int green, int blue) {
    const uint8_t* p = s.RowPointer(y) + 3 * x;
    EXPECT_EQ(blue, p[0]) << "blue at " << x << "," << y;
    EXPECT_EQ(green, p[1]) << "green at " << x << "," << y;
    EXPECT_EQ(red, p[2]) << "red at " << x << "," << y;
}

TEST(SurfaceExtremeArguments, AddsSaturateComponentsUpToInt32Max) {
    RasterSurface surface;
    ASSERT_EQ(1, surface.Create(9, 9, 24));
    surface.FillRectangle(0, 0, 8, 8, 200, 1, 0);
    EXPECT_EQ(1, surface.AddPixel(0, 0, INT32_MAX, INT32_MAX - 1, INT32_MAX - 255));
    ExpectPixel(surface, 0, 0, 255, 255, 255);
    surface.AddSpan(0, 8, 1, INT32_MAX, 0, 256);
    for (int32_t x = 0; x < 9; ++x) ExpectPixel(surface, x, 1, 255, 1, 255);
    surface.AddFilledCircle(4, 5, 2, 55, INT32_MAX, 54);
    ExpectPixel(surface, 4, 5, 255, 255, 54);
    ExpectPixel(surface, 4, 3, 255, 255, 54);
    ExpectPixel(surface, 3, 3, 200, 1, 0);  // the top row of a radius-2 disc is one pixel wide
}

TEST(SurfaceExtremeArguments, DiscOfTheLargestRadiusAddsToEveryPixelOnce) {
    RasterSurface surface;
    ASSERT_EQ(1, surface.Create(6, 5, 24));
    surface.AddFilledCircle(2, 2, INT32_MAX, 1, 2, 3);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) ExpectPixel(surface, x, y, 1, 2, 3);
    // Row padding: 6 pixels take 18 of the 20 bytes of a row.
    for (int32_t y = 0; y < 5; ++y) {
        EXPECT_EQ(0, surface.RowPointer(y)[18]);
        EXPECT_EQ(0, surface.RowPointer(y)[19]);
    }
}

TEST(SurfaceExtremeArguments, DiscsCentredAtTheInt32EndsDrawOnlyWhatReachesTheSurface) {
    RasterSurface surface;
    ASSERT_EQ(1, surface.Create(6, 5, 24));
    // Right edge at INT32_MIN + INT32_MAX = -1, left of the surface; bottom edge at -1, above it.
    surface.AddFilledCircle(INT32_MIN, 2, INT32_MAX, 9, 9, 9);
    surface.AddFilledCircle(2, INT32_MIN, INT32_MAX, 9, 9, 9);
    surface.AddFilledCircle(INT32_MAX, INT32_MAX, 1, 9, 9, 9);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) ExpectPixel(surface, x, y, 0, 0, 0);
    // Right edge at x = 2: near its widest rows the disc is a straight edge, so every row of
    // the surface gets columns 0 to 2 and nothing more.
    surface.AddFilledCircle(INT32_MIN + 3, 2, INT32_MAX, 9, 9, 9);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x)
            ExpectPixel(surface, x, y, x <= 2 ? 9 : 0, x <= 2 ? 9 : 0, x <= 2 ? 9 : 0);
}

}  // namespace
