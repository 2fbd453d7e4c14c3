// RasterSurface: creation, clipping and the plain byte-at-a-time drawing operations.
#include "surface/raster_surface.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// 32-bit words per row for a supported depth, computed in 64 bits so no width overflows.
int64_t WordsPerRow(int64_t width, int32_t bitDepth) {
    switch (bitDepth) {
        case 1:
            return (width + 31) / 32;
        case 3:
            return 3 * ((width + 31) / 32);
        default:
            return (bitDepth * width + 31) / 32;
    }
}

inline uint8_t SaturatingAdd(uint8_t value, int32_t amount) {
    // Compared before adding: an amount near INT32_MAX must saturate, not overflow the sum.
    if (amount > 255 - value) return 255;
    return static_cast<uint8_t>(value + amount);
}

}  // namespace

int RasterSurface::IsSupportedDepth(int32_t depth) {
    switch (depth) {
        case 1:
        case 3:
        case 4:
        case 8:
        case 16:
        case 24:
        case 48:
            return 1;
        default:
            return 0;
    }
}

int RasterSurface::Create(int32_t newWidth, int32_t newHeight, int32_t newDepth) {
    if (!IsSupportedDepth(newDepth)) return 0;
    const int64_t words = WordsPerRow(newWidth, newDepth);
    Destroy();
    // A row wider than a signed 32-bit bit count cannot be described; treat it like memory
    // that cannot be had.
    // A width of 0 or less gives no words (the most negative widths would otherwise wrap to a
    // small positive bit count below).
    if (words < 1 || words * 32 > INT32_MAX) return 0;
    if (!Allocate(static_cast<int32_t>(words * 32), newHeight)) return 0;
    // Zeroed although nothing reads a flag before setting it, so that no arguments, however
    // odd, can ever make a disc read uninitialised memory.
    rowFlags = static_cast<int32_t*>(std::calloc(static_cast<size_t>(newHeight), sizeof(int32_t)));
    if (rowFlags == nullptr) {
        Destroy();
        return 0;
    }
    bitDepth = newDepth;
    stride = static_cast<int32_t>(words * 4);
    width = newWidth;
    height = newHeight;
    return 1;
}

void RasterSurface::Destroy() {
    Release();
    std::free(rowFlags);
    rowFlags = nullptr;
    bitDepth = 0;
    stride = 0;
    width = 0;
    height = 0;
}

uint8_t* RasterSurface::RowPointer(int32_t y) const {
    if (y < 0 || y >= height || buffer == nullptr) return nullptr;
    return buffer + static_cast<ptrdiff_t>(height - 1 - y) * stride;
}

uint8_t* RasterSurface::ClipSpan(int32_t x0, int32_t x1, int32_t y, int32_t* pixelCount) const {
    if (bitDepth != 24 || buffer == nullptr) return nullptr;
    if (y < 0 || y >= height) return nullptr;
    int32_t lo = x0 < x1 ? x0 : x1;
    int32_t hi = x0 < x1 ? x1 : x0;
    if (lo >= width || hi < 0) return nullptr;
    if (lo < 0) lo = 0;
    if (hi > width - 1) hi = width - 1;
    *pixelCount = hi - lo + 1;
    return RowPointer(y) + static_cast<ptrdiff_t>(3) * lo;
}

void RasterSurface::FillSpan(int32_t x0, int32_t x1, int32_t y, int32_t red, int32_t green,
                             int32_t blue) {
    int32_t count = 0;
    uint8_t* p = ClipSpan(x0, x1, y, &count);
    if (p == nullptr) return;
    const auto b = static_cast<uint8_t>(blue);
    const auto g = static_cast<uint8_t>(green);
    const auto r = static_cast<uint8_t>(red);
    for (uint8_t* end = p + static_cast<ptrdiff_t>(3) * count; p != end; p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
}

void RasterSurface::AddSpan(int32_t x0, int32_t x1, int32_t y, int32_t red, int32_t green,
                            int32_t blue) {
    int32_t count = 0;
    uint8_t* p = ClipSpan(x0, x1, y, &count);
    if (p == nullptr) return;
    for (uint8_t* end = p + static_cast<ptrdiff_t>(3) * count; p != end; p += 3) {
        p[0] = SaturatingAdd(p[0], blue);
        p[1] = SaturatingAdd(p[1], green);
        p[2] = SaturatingAdd(p[2], red);
    }
}

int RasterSurface::AddPixel(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue) {
    if (bitDepth != 24 || buffer == nullptr) return 0;
    if (y < 0 || y > height - 1 || x < 0 || x > width - 1) return 0;
    uint8_t* p = RowPointer(y) + static_cast<ptrdiff_t>(3) * x;
    p[0] = SaturatingAdd(p[0], blue);
    p[1] = SaturatingAdd(p[1], green);
    p[2] = SaturatingAdd(p[2], red);
    return 1;
}

void RasterSurface::FillRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t red,
                                  int32_t green, int32_t blue) {
    int32_t top = y0 < y1 ? y0 : y1;
    int32_t bottom = y0 < y1 ? y1 : y0;
    if (top >= height || bottom < 0) return;
    if (top < 0) top = 0;
    if (bottom > height - 1) bottom = height - 1;
    for (int32_t row = top; row <= bottom; ++row) FillSpan(x0, x1, row, red, green, blue);
}

void RasterSurface::AddFilledCircle(int32_t centreX, int32_t centreY, int32_t radius, int32_t red,
                                    int32_t green, int32_t blue) {
    if (radius <= 0) {
        AddPixel(centreX, centreY, red, green, blue);
        return;
    }
    // The disc's geometry is worked out in 64 bits: a centre near the ends of the int32 range
    // or a huge radius then gives the disc it means instead of a wrapped shape.
    const int64_t cx = centreX;
    const int64_t cy = centreY;
    const int64_t r = radius;
    if (cx - r >= width || cx + r < 0 || cy + r < 0 || cy - r >= height) return;

    const int64_t firstRow = cy - r > 0 ? cy - r : 0;
    const int64_t lastRow = cy + r < height - 1 ? cy + r : height - 1;
    for (int64_t row = firstRow; row <= lastRow; ++row) rowFlags[row] = 0;

    // Octant walk: each step offers four spans; the first span to reach a row is the one the
    // row keeps, so no row of the disc is added twice.
    auto offer = [&](int64_t row, int64_t halfWidth) {
        if (row < 0 || row >= height || rowFlags[row] != 0) return;
        const int64_t left = cx - halfWidth;
        const int64_t right = cx + halfWidth;
        // Clipping here keeps the int32 arguments of AddSpan exact.
        if (left < width && right >= 0) {
            AddSpan(static_cast<int32_t>(left < 0 ? 0 : left),
                    static_cast<int32_t>(right >= width ? width - 1 : right),
                    static_cast<int32_t>(row), red, green, blue);
        }
        rowFlags[row] = 1;
    };
    int64_t m = 0;
    int64_t rowOffset = r;
    int64_t decision = 2 * r - 1;
    int64_t increment = 1;
    int64_t correction = 2 * r - 3;
    for (;;) {
        offer(cy + rowOffset, m);
        offer(cy - rowOffset, m);
        offer(cy + m, rowOffset);
        offer(cy - m, rowOffset);
        // Once the rows at +-m have left the surface on both sides, the rows at +-rowOffset,
        // further out still, have too: nothing can be drawn any more.
        if (cy - m < 0 && cy + m >= height) return;
        decision -= increment;
        if (decision <= 0) {
            decision += correction;
            correction -= 2;
            --rowOffset;
            if (m >= rowOffset) return;
        }
        increment += 2;
        ++m;
    }
}
