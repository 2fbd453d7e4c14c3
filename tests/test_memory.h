// Memory as a host hands it to the frame comparisons: width x height pixels of a layout, rows
// top-down or bottom-up, with bytes past each row's pixels that no drawing may touch. Read back
// as the 24-bit surface would hold the same frame, so a frame drawn into it compares byte for
// byte with the reference drawing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "surface/pixel_memory.h"

struct MemoryShape {
    const char* name;
    PixelLayout layout;
    bool bottomUp;
    int32_t slack;  // bytes past each row's pixels; -1: up to whole 4-byte words, as a DIB's
};

// The layout column of the frame comparisons: every layout, pitches longer than the row (odd
// ones too), either direction.
constexpr MemoryShape MemoryShapes[] = {
    {"24-bit bottom-up, as the surface", PixelLayout::Bgr24, true, -1},
    {"24-bit top-down, 5 bytes more a row", PixelLayout::Bgr24, false, 5},
    {"BGRA", PixelLayout::Bgra32, false, 0},
    {"BGRA bottom-up, 12 bytes more a row", PixelLayout::Bgra32, true, 12},
    {"RGBA, 3 bytes more a row", PixelLayout::Rgba32, false, 3},
};

class TestMemory {
  public:
    static constexpr uint8_t Guard = 0xA5;

    TestMemory(const MemoryShape& memoryShape, int32_t memoryWidth, int32_t memoryHeight)
        : shape(memoryShape), width(memoryWidth), height(memoryHeight) {
        const int32_t rowBytes = BytesOf(shape.layout).size * width;
        pitch = rowBytes + (shape.slack >= 0 ? shape.slack : (-rowBytes & 3));
        bytes.assign(static_cast<size_t>(pitch) * static_cast<size_t>(height), Guard);
    }

    PixelMemory Pixels() {
        PixelMemory memory;
        memory.topRow = bytes.data() + (shape.bottomUp ? (height - 1) * pitch : 0);
        memory.pitch = shape.bottomUp ? -pitch : pitch;
        memory.layout = shape.layout;
        memory.width = width;
        memory.height = height;
        return memory;
    }

    // Every pixel's bytes, the fourth of a 32-bit one too, anything but what a frame holds.
    void Scribble(uint32_t seed) {
        const int32_t rowBytes = BytesOf(shape.layout).size * width;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t i = 0; i < rowBytes; ++i) {
                seed = seed * 1103515245u + 12345u;
                bytes[static_cast<size_t>(y) * pitch + i] = static_cast<uint8_t>(seed >> 24);
            }
        }
    }

    // The frame as the 24-bit surface stores it: rows bottom first, padded with zeros to whole
    // words. Empty when a byte past a row's pixels was written or a 32-bit pixel is not opaque.
    std::vector<uint8_t> As24BitRows() const {
        const PixelBytes at = BytesOf(shape.layout);
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
        std::vector<uint8_t> rows(stride * static_cast<size_t>(height), 0);
        for (int32_t y = 0; y < height; ++y) {
            // Row y counted from the top, wherever the memory keeps it.
            const uint8_t* in =
                bytes.data() + static_cast<size_t>(shape.bottomUp ? height - 1 - y : y) * pitch;
            uint8_t* out = rows.data() + static_cast<size_t>(height - 1 - y) * stride;
            for (int32_t x = 0; x < width; ++x, in += at.size, out += 3) {
                out[0] = in[at.blue];
                out[1] = in[at.green];
                out[2] = in[at.red];
                if (at.size == 4 && in[3] != 255) return {};
            }
            for (const uint8_t* past = in; past != in + (pitch - at.size * width); ++past)
                if (*past != Guard) return {};
        }
        return rows;
    }

    const std::vector<uint8_t>& Raw() const { return bytes; }

  private:
    MemoryShape shape;
    int32_t width;
    int32_t height;
    int32_t pitch = 0;
    std::vector<uint8_t> bytes;
};
