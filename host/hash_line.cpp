// Frame hash lines.
#include "host/hash_line.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "surface/frame.h"
#include "surface/pixel_hash.h"

uint64_t HashFrame(const FrameView& frame) {
    const size_t stride = FrameRowStride(frame.header);
    const auto height = static_cast<size_t>(frame.header.biHeight);
    // The animation's own surface is those rows already.
    if (frame.layout == PixelLayout::Bgr24 && frame.pitch == -static_cast<ptrdiff_t>(stride))
        return HashBytes(frame.bits, stride * height);
    // Else each row as the surface would hold it, a few pixels at a time.
    const PixelBytes bytes = BytesOf(frame.layout);
    const int32_t width = frame.header.biWidth;
    const uint8_t padding[3] = {};
    uint64_t hash = HashOffsetBasis;
    for (int32_t y = frame.header.biHeight - 1; y >= 0; --y) {
        const uint8_t* in = FrameRow(frame, y);
        uint8_t row[3 * 64];
        for (int32_t x = 0; x < width;) {
            int32_t count = 0;
            for (; count < 64 && x < width; ++count, ++x, in += bytes.size) {
                row[3 * count] = in[bytes.blue];
                row[3 * count + 1] = in[bytes.green];
                row[3 * count + 2] = in[bytes.red];
            }
            hash = HashBytes(row, static_cast<size_t>(3) * static_cast<size_t>(count), hash);
        }
        hash = HashBytes(padding, stride - static_cast<size_t>(3) * width, hash);
    }
    return hash;
}

void FormatHashLine(uint32_t index, uint64_t hash, char* out, size_t size) {
    std::snprintf(out, size, "%" PRIu32 " %016" PRIx64 "\n", index, hash);
}

int PrintHashLine(std::FILE* out, uint32_t index, const FrameView& frame) {
    char line[40];
    FormatHashLine(index, HashFrame(frame), line, sizeof line);
    return std::fputs(line, out) >= 0 ? 1 : 0;
}
