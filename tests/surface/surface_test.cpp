// Raster surface: layout, clipping, saturation and the disc walk, checked byte for byte on
// tiny surfaces.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "surface/raster_surface.h"

namespace {

struct Rgb {
    int red, green, blue;
};

Rgb PixelAt(const RasterSurface& s, int x, int y) {
    const uint8_t* p = s.RowPointer(y) + 3 * x;
    return {p[2], p[1], p[0]};
}

bool IsBlack(const RasterSurface& s, int x, int y) {
    const Rgb c = PixelAt(s, x, y);
    return c.red == 0 && c.green == 0 && c.blue == 0;
}

std::vector<uint8_t> Snapshot(const RasterSurface& s) {
    const uint8_t* bits = s.GetBits();
    return std::vector<uint8_t>(bits, bits + static_cast<size_t>(s.GetHeight()) * s.GetStride());
}

// The lit pixels of row y as [first, last], or {1, 0} when the row is dark.
std::pair<int, int> LitRange(const RasterSurface& s, int y) {
    int first = 1, last = 0;
    for (int x = 0; x < s.GetWidth(); ++x) {
        if (IsBlack(s, x, y)) continue;
        if (first > last) first = x;
        last = x;
    }
    return {first, last};
}

}  // namespace

TEST(RasterSurface, RowsAreBottomUpWithFourByteStrides) {
    RasterSurface s;
    struct Case {
        int width, depth, stride;
    } cases[] = {{1, 24, 4}, {2, 24, 8},  {5, 24, 16}, {33, 24, 100},
                 {33, 1, 8}, {33, 3, 24}, {2, 48, 12}};
    for (const Case& c : cases) {
        ASSERT_EQ(1, s.Create(c.width, 3, c.depth)) << c.width << " at " << c.depth;
        EXPECT_EQ(c.stride, s.GetStride()) << c.width << " at " << c.depth;
    }

    ASSERT_EQ(1, s.Create(5, 2, 24));
    EXPECT_EQ(s.GetBits(), s.RowPointer(1));  // the bottom row comes first in memory
    EXPECT_EQ(s.GetBits() + 16, s.RowPointer(0));
    EXPECT_EQ(nullptr, s.RowPointer(-1));
    EXPECT_EQ(nullptr, s.RowPointer(2));
    for (uint8_t byte : Snapshot(s)) EXPECT_EQ(0, byte);
    EXPECT_EQ(32u, Snapshot(s).size());

    // Red goes to the third byte of a pixel, blue to the first.
    s.FillSpan(1, 1, 0, 10, 20, 30);
    const uint8_t* p = s.RowPointer(0) + 3;
    EXPECT_EQ(30, p[0]);
    EXPECT_EQ(20, p[1]);
    EXPECT_EQ(10, p[2]);
}

TEST(RasterSurface, CreateRefusesBadDepthsAndSizes) {
    RasterSurface s;
    ASSERT_EQ(1, s.Create(4, 4, 24));
    s.FillSpan(0, 0, 0, 9, 9, 9);

    // An unsupported depth leaves a created surface, pixels included, as it was.
    EXPECT_EQ(0, s.Create(10, 10, 32));
    EXPECT_EQ(0, s.Create(10, 10, 2));
    EXPECT_EQ(4, s.GetWidth());
    EXPECT_EQ(9, PixelAt(s, 0, 0).red);

    // A size of 0 or less empties it; drawing then does nothing.
    EXPECT_EQ(0, s.Create(0, 10, 24));
    EXPECT_EQ(0, s.GetWidth());
    EXPECT_EQ(nullptr, s.GetBits());
    EXPECT_EQ(nullptr, s.RowPointer(0));
    EXPECT_EQ(0, s.AddPixel(0, 0, 1, 1, 1));
    s.AddFilledCircle(0, 0, 5, 1, 1, 1);
    s.FillRectangle(0, 0, 3, 3, 1, 1, 1);
    EXPECT_EQ(0, s.Create(-5, 10, 24));
    EXPECT_EQ(0, s.Create(10, -1, 24));

    s.Destroy();  // harmless when empty, and twice
    s.Destroy();
}

TEST(RasterSurface, CreateRefusesSizesThatDoNotFitInsteadOfWrapping) {
    RasterSurface s;
    // The bits of one row no longer fit a signed 32-bit count.
    EXPECT_EQ(0, s.Create(INT32_MAX, 1, 24));
    EXPECT_EQ(0, s.Create(INT32_MAX / 16, 1, 48));
    EXPECT_EQ(nullptr, s.GetBits());
    // Hundreds of terabytes: no build can have them, none may pretend to.
    EXPECT_EQ(0, s.Create(32767, INT32_MAX, 48));
    EXPECT_EQ(0, s.GetHeight());
    if (sizeof(void*) == 4) {
        // 65536-byte rows times 65537 rows wraps to 65536 bytes in 32 bits.
        EXPECT_EQ(0, s.Create(65536, 65537, 8));
    }
}

TEST(RasterSurface, OnlyDepth24IsDrawn) {
    RasterSurface s;
    ASSERT_EQ(1, s.Create(8, 8, 8));
    s.FillRectangle(0, 0, 7, 7, 200, 200, 200);
    s.AddSpan(0, 7, 3, 5, 5, 5);
    EXPECT_EQ(0, s.AddPixel(1, 1, 5, 5, 5));
    s.AddFilledCircle(4, 4, 3, 5, 5, 5);
    for (uint8_t byte : Snapshot(s)) EXPECT_EQ(0, byte);
}

TEST(RasterSurface, AddsSaturateAtWhiteAndNeverWrap) {
    RasterSurface s;
    ASSERT_EQ(1, s.Create(4, 1, 24));
    s.FillSpan(0, 3, 0, 250, 200, 200);
    s.AddSpan(0, 0, 0, 10, 55, 54);
    EXPECT_EQ(255, PixelAt(s, 0, 0).red);
    EXPECT_EQ(255, PixelAt(s, 0, 0).green);
    EXPECT_EQ(254, PixelAt(s, 0, 0).blue);
    EXPECT_EQ(1, s.AddPixel(1, 0, 0, 0, 0));
    EXPECT_EQ(250, PixelAt(s, 1, 0).red);
    EXPECT_EQ(1, s.AddPixel(2, 0, 5, 55, 56));
    EXPECT_EQ(255, PixelAt(s, 2, 0).red);
    EXPECT_EQ(255, PixelAt(s, 2, 0).green);
    EXPECT_EQ(255, PixelAt(s, 2, 0).blue);
}

TEST(RasterSurface, SpansClipOnceAndTakeEitherOrder) {
    RasterSurface a, b;
    ASSERT_EQ(1, a.Create(10, 3, 24));
    ASSERT_EQ(1, b.Create(10, 3, 24));
    a.AddSpan(7, 2, 1, 1, 2, 3);
    b.AddSpan(2, 7, 1, 1, 2, 3);
    EXPECT_EQ(Snapshot(a), Snapshot(b));
    EXPECT_EQ(std::make_pair(2, 7), LitRange(a, 1));

    RasterSurface s;
    ASSERT_EQ(1, s.Create(10, 2, 24));
    s.FillSpan(-5, 3, 0, 1, 1, 1);
    EXPECT_EQ(std::make_pair(0, 3), LitRange(s, 0));
    s.FillSpan(12, 20, 1, 1, 1, 1);
    s.FillSpan(-20, -1, 1, 1, 1, 1);
    s.AddSpan(INT32_MIN, INT32_MAX, 2, 1, 1, 1);  // row off the surface
    s.AddSpan(INT32_MIN, INT32_MAX, -1, 1, 1, 1);
    EXPECT_EQ(std::make_pair(1, 0), LitRange(s, 1));
    s.AddSpan(INT32_MAX, INT32_MIN, 1, 1, 1, 1);
    EXPECT_EQ(std::make_pair(0, 9), LitRange(s, 1));
    EXPECT_EQ(0, s.AddPixel(10, 0, 1, 1, 1));
    EXPECT_EQ(0, s.AddPixel(-1, 0, 1, 1, 1));
    EXPECT_EQ(0, s.AddPixel(0, 2, 1, 1, 1));
}

TEST(RasterSurface, FillRectangleClearsPixelsButNeverRowPadding) {
    RasterSurface s;
    ASSERT_EQ(1, s.Create(5, 4, 24));               // 15 bytes of pixels and 1 of padding per row
    s.FillRectangle(4, 3, 0, 0, 0xFF, 0xFF, 0xFF);  // corners in either order
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(std::make_pair(0, 4), LitRange(s, y));
        EXPECT_EQ(0, s.RowPointer(y)[15]);
    }
    s.FillRectangle(0, 0, 4, 3, 0, 0, 0);
    for (uint8_t byte : Snapshot(s)) EXPECT_EQ(0, byte);

    // Rows are clipped too, and fills keep only the low 8 bits of a component.
    s.FillRectangle(1, -10, 1, 1, 0x1FF, 0, 0);
    EXPECT_EQ(0xFF, PixelAt(s, 1, 0).red);
    EXPECT_EQ(0xFF, PixelAt(s, 1, 1).red);
    EXPECT_TRUE(IsBlack(s, 1, 2));
    s.FillRectangle(0, 4, 4, 9, 1, 1, 1);
    EXPECT_TRUE(IsBlack(s, 0, 3));
}

// Half-widths of each row of a disc from row offset -radius to 0; rows below mirror them.
TEST(RasterSurface, DiscRowsKeepTheFirstSpanThatReachesThem) {
    const std::vector<std::vector<int>> halfWidths = {
        {0, 1},
        {0, 2, 2},
        {0, 3, 3, 3},
        {0, 3, 4, 4, 4},
        {0, 3, 4, 5, 5, 5},
        {0, 4, 5, 6, 6, 6, 6},
        {0, 4, 5, 6, 7, 7, 7, 7},
        {0, 4, 6, 7, 7, 8, 8, 8, 8},
    };
    const int pixelCounts[] = {5, 17, 37, 61, 89, 133, 173, 225};
    const int centre = 10;
    for (int radius = 1; radius <= 8; ++radius) {
        RasterSurface s;
        ASSERT_EQ(1, s.Create(21, 21, 24));
        s.AddFilledCircle(centre, centre, radius, 1, 2, 3);
        int lit = 0;
        for (int y = 0; y < 21; ++y) {
            const int offset = y - centre;
            const auto range = LitRange(s, y);
            if (offset < -radius || offset > radius) {
                EXPECT_EQ(std::make_pair(1, 0), range) << "radius " << radius << " row " << y;
                continue;
            }
            const int w = halfWidths[radius - 1][radius - (offset < 0 ? -offset : offset)];
            EXPECT_EQ(std::make_pair(centre - w, centre + w), range)
                << "radius " << radius << " row offset " << offset;
            for (int x = range.first; x <= range.second; ++x) {
                const Rgb c = PixelAt(s, x, y);  // every pixel exactly once
                EXPECT_TRUE(c.red == 1 && c.green == 2 && c.blue == 3)
                    << radius << ": " << x << "," << y;
                ++lit;
            }
        }
        EXPECT_EQ(pixelCounts[radius - 1], lit) << "radius " << radius;
    }
}

TEST(RasterSurface, DiscsOfRadiusZeroOrLessAreOnePixel) {
    RasterSurface s;
    ASSERT_EQ(1, s.Create(5, 5, 24));
    s.AddFilledCircle(2, 2, 0, 7, 0, 0);
    s.AddFilledCircle(2, 2, -4, 7, 0, 0);
    s.AddFilledCircle(-1, 2, 0, 7, 0, 0);
    int lit = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) lit += !IsBlack(s, x, y);
    EXPECT_EQ(1, lit);
    EXPECT_EQ(14, PixelAt(s, 2, 2).red);
}

TEST(RasterSurface, ClippedDiscsKeepTheRowsTheyWouldHaveOnscreen) {
    RasterSurface s;
    ASSERT_EQ(1, s.Create(40, 10, 24));
    s.AddFilledCircle(0, 0, 3, 1, 1, 1);  // centred on the top left corner
    EXPECT_EQ(std::make_pair(0, 3), LitRange(s, 0));
    EXPECT_EQ(std::make_pair(0, 3), LitRange(s, 1));
    EXPECT_EQ(std::make_pair(0, 3), LitRange(s, 2));
    EXPECT_EQ(std::make_pair(0, 0), LitRange(s, 3));
    EXPECT_EQ(std::make_pair(1, 0), LitRange(s, 4));

    RasterSurface t;
    ASSERT_EQ(1, t.Create(40, 10, 24));
    t.AddFilledCircle(20, -2, 3, 1, 1, 1);  // above the top edge
    EXPECT_EQ(std::make_pair(17, 23), LitRange(t, 0));
    EXPECT_EQ(std::make_pair(20, 20), LitRange(t, 1));
    EXPECT_EQ(std::make_pair(1, 0), LitRange(t, 2));

    RasterSurface u;
    ASSERT_EQ(1, u.Create(40, 10, 24));
    u.AddFilledCircle(40 + 3, 5, 3, 1, 1, 1);  // centreX - radius == width: nothing
    u.AddFilledCircle(5, 10 + 3, 3, 1, 1, 1);
    u.AddFilledCircle(5, -4, 3, 1, 1, 1);
    for (uint8_t byte : Snapshot(u)) ASSERT_EQ(0, byte);
    u.AddFilledCircle(39 + 3, 5, 3, 1, 1, 1);  // reaches the last column only
    for (int y = 0; y < 10; ++y) {
        const auto range = LitRange(u, y);
        EXPECT_TRUE(range == std::make_pair(1, 0) || range == std::make_pair(39, 39)) << y;
    }
    EXPECT_EQ(std::make_pair(39, 39), LitRange(u, 5));
}

TEST(RasterSurface, RepeatedDiscsAddTheirColourEachTime) {
    RasterSurface s;
    ASSERT_EQ(1, s.Create(30, 30, 24));
    s.AddFilledCircle(15, 15, 8, 200, 100, 250);
    s.AddFilledCircle(15, 15, 8, 200, 100, 250);
    for (int y = 7; y <= 23; ++y) {
        const auto range = LitRange(s, y);
        for (int x = range.first; x <= range.second; ++x) {
            const Rgb c = PixelAt(s, x, y);
            ASSERT_TRUE(c.red == 255 && c.green == 200 && c.blue == 255) << x << "," << y;
        }
    }
}

TEST(RasterSurface, ExtremeDiscArgumentsStayInsideTheBuffer) {
    // Run under AddressSanitizer this proves no byte outside the store or the row flags is
    // touched; the pixel checks prove the discs are the ones the arguments mean.
    RasterSurface s;
    ASSERT_EQ(1, s.Create(7, 5, 24));
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1000000,      -1,       0,
                                3,         1000000,       INT32_MAX - 1, INT32_MAX};
    for (int32_t cx : extremes)
        for (int32_t cy : extremes) s.AddFilledCircle(cx, cy, 150, 1, 1, 1);
    // Only the discs centred near the surface reach it; (3, 3) and the ones at 0 cover it all.
    for (int y = 0; y < 5; ++y) EXPECT_EQ(std::make_pair(0, 6), LitRange(s, y));

    RasterSurface big;
    ASSERT_EQ(1, big.Create(3, 3, 24));
    big.AddFilledCircle(1, 1, INT32_MAX, 1, 0, 0);  // a disc far larger than the surface covers it
    for (int y = 0; y < 3; ++y) EXPECT_EQ(std::make_pair(0, 2), LitRange(big, y));
    EXPECT_EQ(1, PixelAt(big, 1, 1).red);
}
