// The 40-byte bitmap info header that describes a 24-bit surface to whoever shows or stores it:
// the window copy passes it to the platform, the headless renderer writes it into BMP files.
// Field for field and byte for byte it is the platform's BITMAPINFOHEADER (little-endian on
// every target we build), so neither side converts anything.
#pragma once

#include <cstddef>
#include <cstdint>

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

// The header of a frame of width x height pixels, exactly as the frame copy hands it over.
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
