// A finished frame as the core hands it to a host: the 40-byte bitmap info header that describes
// it as 24-bit bottom-up pixel rows, the bands where the frame can differ from the one handed
// over before, and the view that carries both with the pixels, in the layout and pitch of the
// memory they were drawn into. Field for field and byte for byte the header is the platform's
// BITMAPINFOHEADER (little-endian on every platform we build for), so the Windows saver passes
// it on as it is and the renderer writes it into BMP files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "surface/pixel_memory.h"

struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;  // positive: rows are stored bottom-up
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;  // 0: uncompressed RGB
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "must match the platform's BITMAPINFOHEADER");

// The header of a frame of width x height pixels, exactly as the animation hands it over.
inline BitmapInfoHeader MakeFrameHeader(int32_t width, int32_t height) {
    BitmapInfoHeader header{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = 0;
    header.biSizeImage = 0;
    header.biXPelsPerMeter = 1;
    header.biYPelsPerMeter = 1;
    header.biClrUsed = 0;
    header.biClrImportant = 0;
    return header;
}

// Bytes from one row of such a frame to the next: three a pixel, padded to a multiple of four.
inline size_t FrameRowStride(const BitmapInfoHeader& header) {
    return (static_cast<size_t>(header.biWidth) * 3 + 3) & ~static_cast<size_t>(3);
}

// Rows top..bottom-1 (0 is the top row, as a window counts them) and columns left..right-1.
struct FrameBand {
    int32_t top;
    int32_t bottom;
    int32_t left;
    int32_t right;
};

constexpr int32_t MaxChangedBands = 16;

// bits is the first byte of the frame's rows in memory: the bottom row's where rows are stored
// bottom-up (a negative pitch), as in the animation's own 24-bit surface, whose rows the header
// then describes exactly; else the top row's. Every pixel outside the changed bands is what it
// was in the frame handed over before, so a window that shows that frame need only be sent the
// bands. They lie top to bottom and do not overlap; none means nothing changed. The first frame
// after a start, after a new frame receiver, after a frame that was not shown, or after the host
// said its window lost what it showed, is one band over everything.
struct FrameView {
    BitmapInfoHeader header;
    const uint8_t* bits;
    const FrameBand* changed = nullptr;
    int32_t changedCount = 0;
    PixelLayout layout = PixelLayout::Bgr24;
    ptrdiff_t pitch = 0;  // from the first byte of a row to that of the row below
};

// The first byte of row y, rows counted from the top as a window counts them.
inline const uint8_t* FrameRow(const FrameView& frame, int32_t y) {
    const ptrdiff_t lowest = frame.pitch < 0 ? frame.header.biHeight - 1 : 0;
    return frame.bits + (static_cast<ptrdiff_t>(y) - lowest) * frame.pitch;
}

// The first byte of pixel (x, y), rows counted from the top.
inline const uint8_t* FramePixel(const FrameView& frame, int32_t x, int32_t y) {
    return FrameRow(frame, y) + static_cast<ptrdiff_t>(x) * BytesOf(frame.layout).size;
}
