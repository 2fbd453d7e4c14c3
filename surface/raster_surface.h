// RasterSurface: the animation's own 24-bit picture, laid out exactly as the rows of a
// bottom-up, uncompressed device-independent bitmap so a finished frame goes to the window
// with no conversion. Row y = 0 is the top of the picture and the last row in memory; rows are
// padded to whole 4-byte words; a 24-bit pixel is blue, green, red in address order.
//
// Drawing happens only at depth 24. Colours are passed red, green, blue; fills store each
// component's low 8 bits, adds saturate each channel at 255 so overlapping glows whiten instead
// of wrapping to dark. Every operation clips to the surface: nothing outside the buffer or the
// row-flag array is ever read or written, whatever the coordinates.
#pragma once

#include <cstdint>

#include "surface/pixel_store.h"

class RasterSurface : public PixelStore {
  public:
    RasterSurface() = default;
    ~RasterSurface() { Destroy(); }

    static int IsSupportedDepth(int32_t bitDepth);

    // Replaces the pixels with a zeroed image. An unsupported depth returns 0 and leaves the
    // surface as it was; a size of 0 or less, one too large to address, or a failed allocation
    // returns 0 and leaves the surface empty.
    int Create(int32_t width, int32_t height, int32_t bitDepth);
    void Destroy();

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetStride() const { return stride; }
    int32_t GetBitDepth() const { return bitDepth; }

    // First byte of row y (0 = top), or null when y is off the surface or there are no pixels.
    uint8_t* RowPointer(int32_t y) const;

    void FillSpan(int32_t x0, int32_t x1, int32_t y, int32_t red, int32_t green, int32_t blue);
    void AddSpan(int32_t x0, int32_t x1, int32_t y, int32_t red, int32_t green, int32_t blue);
    int AddPixel(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue);
    void AddFilledCircle(int32_t centreX, int32_t centreY, int32_t radius, int32_t red,
                         int32_t green, int32_t blue);
    void FillRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t red, int32_t green,
                       int32_t blue);

  private:
    // Clips the span x0..x1 (either order) of row y; returns the first byte to visit and the
    // pixel count, or null when nothing of it is on a drawable surface.
    uint8_t* ClipSpan(int32_t x0, int32_t x1, int32_t y, int32_t* pixelCount) const;

    int32_t bitDepth = 0;
    int32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t* rowFlags = nullptr;  // scratch of AddFilledCircle: 1 once a row has its span
};
