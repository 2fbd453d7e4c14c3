// Animation start, clocks and hash lines of the viewer.
#include "tools/viewer/viewer_animation.h"

#include <time.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "surface/pixel_hash.h"
#include "trails/frame_renderer.h"
#include "trails/random.h"
#include "trails/saver_settings.h"
#include "trails/trail_pool.h"

int StartAnimation(int32_t width, int32_t height) {
    ResetRandom();
    WindowWidth = static_cast<int16_t>(width);
    WindowHeight = static_cast<int16_t>(height);
    const int created = FrameSurface.Create(width, height, 24);
    InitTrails(TrailCount);
    return created;
}

uint64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

uint32_t MonotonicMilliseconds() {
    return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000ull);
}

void FormatHashLine(uint32_t index, uint64_t hash, char* out, size_t size) {
    std::snprintf(out, size, "%" PRIu32 " %016" PRIx64 "\n", index, hash);
}

void FrameHashLog::Print(std::FILE* out, const BitmapInfoHeader& header, const uint8_t* bits) {
    const size_t stride = (static_cast<size_t>(header.biWidth) * 3 + 3) & ~static_cast<size_t>(3);
    const uint64_t hash = HashBytes(bits, stride * static_cast<size_t>(header.biHeight));
    char line[40];
    FormatHashLine(frameIndex, hash, line, sizeof line);
    std::fputs(line, out);
    std::fflush(out);  // a test reads the lines while the viewer runs
    ++frameIndex;
}
