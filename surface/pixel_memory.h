// PixelMemory: rows of pixels that a frame is drawn into, described as a host hands them (the
// window system's own image: an MIT-SHM XImage, an SDL window surface, a wl_shm buffer, a
// canvas's RGBA buffer) or as the animation's own surface lays them out. One value: the top
// row's first byte, the signed pitch from a row to the row below it, the layout of a pixel and
// the size. The raster surface's bottom-up rows are its top row with a negative pitch, so every
// row writer walks rows the same way, whatever the memory.
//
// The row writers of every instruction set include this header: the row writers never call
// its functions, so no copy of one compiled for a wider instruction set is ever the one linked.
#pragma once

#include <cstddef>
#include <cstdint>

class RasterSurface;

// How the bytes of one pixel lie in memory, in address order. The 32-bit layouts always carry
// 255 in their fourth byte, so a window with an alpha channel shows them opaque.
enum class PixelLayout : int32_t {
    // Blue, green, red: the raster surface's pixels and a 24-bit DIB's.
    Bgr24,
    // Blue, green, red, 255: X11 TrueColor at depth 24 and 32, SDL's and wl_shm's XRGB8888
    // and ARGB8888 (on a little-endian machine), a 32-bit DIB.
    Bgra32,
    // Red, green, blue, 255: a canvas's ImageData.
    Rgba32,
};

// Bytes of a pixel, and where its three channels lie within them.
struct PixelBytes {
    int32_t size;
    int32_t red;
    int32_t green;
    int32_t blue;
};

constexpr PixelBytes BytesOf(PixelLayout layout) {
    return layout == PixelLayout::Rgba32   ? PixelBytes{4, 0, 1, 2}
           : layout == PixelLayout::Bgra32 ? PixelBytes{4, 2, 1, 0}
                                           : PixelBytes{3, 2, 1, 0};
}

struct PixelMemory {
    uint8_t* topRow = nullptr;  // first byte of row 0, the top row as a window counts them
    ptrdiff_t pitch = 0;        // from the first byte of a row to that of the row below
    PixelLayout layout = PixelLayout::Bgr24;
    int32_t width = 0;
    int32_t height = 0;
};

// Whether memory holds width x height pixels: rows of at least that many pixels that do not
// overlap.
bool HoldsPixels(const PixelMemory& memory, int32_t width, int32_t height);

// The pixels of a surface of depth 24, or empty memory (null topRow) for any other surface or
// one without pixels.
PixelMemory SurfacePixels(const RasterSurface& surface);

// Makes every pixel of memory (of the surface's size) the surface's pixel, in memory's layout;
// a row's bytes past its last pixel are left alone.
void CopySurfacePixels(const RasterSurface& surface, const PixelMemory& memory);
