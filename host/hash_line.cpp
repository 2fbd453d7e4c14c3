// Frame hash lines.
#include "host/hash_line.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "surface/frame.h"
#include "surface/pixel_hash.h"

uint64_t HashFrame(const FrameView& frame) {
    return HashBytes(frame.bits,
                     FrameRowStride(frame.header) * static_cast<size_t>(frame.header.biHeight));
}

void FormatHashLine(uint32_t index, uint64_t hash, char* out, size_t size) {
    std::snprintf(out, size, "%" PRIu32 " %016" PRIx64 "\n", index, hash);
}

int PrintHashLine(std::FILE* out, uint32_t index, const FrameView& frame) {
    char line[40];
    FormatHashLine(index, HashFrame(frame), line, sizeof line);
    return std::fputs(line, out) >= 0 ? 1 : 0;
}
