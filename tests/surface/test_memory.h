// Memory as a host hands it, for the frame comparisons: pixels of a layout, rows either way up,
// with guard bytes past each row's pixels; read back as the 24-bit surface holds the same frame.
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

// Every layout, pitches longer than the row (odd ones too), either way up.
constexpr MemoryShape MemoryShapes[] = {
    {"24-bit bottom-up, as the surface", PixelLayout::Bgr24, true, -1},
    {"24-bit top-down, 5 bytes more a row", PixelLayout::Bgr24, false, 5},
    {"BGRA", PixelLayout::Bgra32, false, 0},
    {"BGRA bottom-up, 12 bytes more a row", PixelLayout::Bgra32, true, 12},
    {"RGBA, 3 bytes more a row", PixelLayout::Rgba32, false, 3},
};

class TestMemory {
  public:
    TestMemory(const MemoryShape& shape, int32_t width, int32_t height)
        : shape(shape), width(width), height(height), at(BytesOf(shape.layout)) {
        pitch = at.size * width + (shape.slack >= 0 ? shape.slack : (-at.size * width & 3));
        bytes.assign(static_cast<size_t>(pitch) * static_cast<size_t>(height), Guard);
    }
    PixelMemory Pixels() {
        return PixelMemory{bytes.data() + (shape.bottomUp ? (height - 1) * pitch : 0),
                           shape.bottomUp ? -pitch : pitch, shape.layout, width, height};
    }
    // Every byte of every pixel, the fourth of a 32-bit one too.
    void Scribble(uint32_t seed) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t i = 0; i < at.size * width; ++i)
                bytes[static_cast<size_t>(y) * pitch + i] =
                    static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    }
    // Rows bottom first, padded with zeros to whole words; empty when a guard byte was written
    // or a 32-bit pixel is not opaque.
    std::vector<uint8_t> As24BitRows() const {
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
        std::vector<uint8_t> rows(stride * static_cast<size_t>(height), 0);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* in = &bytes[static_cast<size_t>(shape.bottomUp ? height - 1 - y : y) *
                                       static_cast<size_t>(pitch)];
            uint8_t* out = &rows[static_cast<size_t>(height - 1 - y) * stride];
            for (int32_t x = 0; x < width; ++x, in += at.size, out += 3) {
                out[0] = in[at.blue];
                out[1] = in[at.green];
                out[2] = in[at.red];
                if (at.size == 4 && in[3] != 255) return {};
            }
            for (int32_t i = at.size * width; i < pitch; ++i, ++in)
                if (*in != Guard) return {};
        }
        return rows;
    }
    const std::vector<uint8_t>& Raw() const { return bytes; }

  private:
    static constexpr uint8_t Guard = 0xA5;
    MemoryShape shape;
    int32_t width;
    int32_t height;
    PixelBytes at;
    int32_t pitch = 0;
    std::vector<uint8_t> bytes;
};
