// The frame-rate corner: a 5x7 font of just the characters the text needs, the once-a-second
// counter, and the process CPU clock it reads.
#include "hosts/linux/fps_overlay.h"

#include <time.h>

#include <cstdio>
#include <cstring>

#include "hosts/linux/monotonic_clock.h"

namespace {

constexpr int GlyphWidth = 5;
constexpr int GlyphHeight = 7;
constexpr int CellWidth = GlyphWidth + 1;  // one column between characters

struct Glyph {
    char character;
    uint8_t rows[GlyphHeight];  // top row first, bit 4 the leftmost column
};

constexpr Glyph Font[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}},
    {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
    {'f', {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08}},
    {'p', {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}},
    {'s', {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
};

const Glyph* FindGlyph(char character) {
    for (const Glyph& glyph : Font)
        if (glyph.character == character) return &glyph;
    return nullptr;
}

// Sets the scale x scale block at glyph pixel (x, y) of a glyph whose top left corner is at
// (left, top) to the pixel whose bytes are at value, clipped to the picture.
void FillBlock(uint8_t* pixels, int width, int height, size_t pitch, int bytesPerPixel, int left,
               int top, int scale, const uint8_t* value) {
    int x0 = left;
    int x1 = left + scale;
    int y0 = top;
    int y1 = top + scale;
    if (x0 < 0) x0 = 0;
    if (y0 < 0) y0 = 0;
    if (x1 > width) x1 = width;
    if (y1 > height) y1 = height;
    if (x0 >= x1 || y0 >= y1) return;
    for (int y = y0; y < y1; ++y) {
        uint8_t* out =
            pixels + static_cast<size_t>(y) * pitch + static_cast<size_t>(x0) * bytesPerPixel;
        for (int x = x0; x < x1; ++x, out += bytesPerPixel)
            std::memcpy(out, value, static_cast<size_t>(bytesPerPixel));
    }
}

void DrawGlyphs(const char* text, uint8_t* pixels, int width, int height, size_t pitch,
                int bytesPerPixel, int left, int top, int scale, const uint8_t* value) {
    for (int index = 0; text[index] != '\0'; ++index) {
        const Glyph* glyph = FindGlyph(text[index]);
        if (glyph == nullptr) continue;
        const int glyphLeft = left + index * CellWidth * scale;
        for (int row = 0; row < GlyphHeight; ++row)
            for (int column = 0; column < GlyphWidth; ++column)
                if ((glyph->rows[row] >> (GlyphWidth - 1 - column)) & 1)
                    FillBlock(pixels, width, height, pitch, bytesPerPixel,
                              glyphLeft + column * scale, top + row * scale, scale, value);
    }
}

uint64_t ProcessCpuNanoseconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<uint64_t>(used.tv_sec) * 1000000000ull + static_cast<uint64_t>(used.tv_nsec);
}

int GlyphScale(int height) {
    const int scale = 1 + height / 600;
    return scale > 4 ? 4 : scale;
}

}  // namespace

void FpsCounter::FrameShown(uint64_t now, uint64_t cpu) {
    if (!started) {
        started = true;
        periodStart = now;
        cpuAtStart = cpu;
        frames = 0;
        return;  // the first frame opens the first second
    }
    ++frames;
    const uint64_t elapsed = now - periodStart;
    if (elapsed < 1000000000ull) return;
    const double seconds = static_cast<double>(elapsed) / 1e9;
    const double load = static_cast<double>(cpu - cpuAtStart) / static_cast<double>(elapsed);
    std::snprintf(text, sizeof text, "%.1f fps / CPU %.0f%%", frames / seconds, load * 100.0);
    periodStart = now;
    cpuAtStart = cpu;
    frames = 0;
}

void FpsCounter::FrameShownNow() {
    FrameShown(MonotonicNanoseconds(), ProcessCpuNanoseconds());
}

void DrawCornerText(const char* text, uint8_t* pixels, int width, int height, size_t pitch,
                    int bytesPerPixel, const uint8_t* black) {
    static const uint8_t white[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    if (bytesPerPixel < 1 || bytesPerPixel > 4 || width < 1 || height < 1) return;
    const int scale = GlyphScale(height);
    const int margin = 4 * scale;
    const int left = margin;
    const int top = height - margin - GlyphHeight * scale;
    // The shadow first, one glyph pixel down and to the right, so the text reads on any trail.
    DrawGlyphs(text, pixels, width, height, pitch, bytesPerPixel, left + scale, top + scale, scale,
               black);
    DrawGlyphs(text, pixels, width, height, pitch, bytesPerPixel, left, top, scale, white);
}

FrameBand CornerTextBand(int width, int height) {
    const int scale = GlyphScale(height);
    const int margin = 4 * scale;
    // The glyphs and their shadow, one glyph pixel down and to the right.
    FrameBand band{height - margin - GlyphHeight * scale, height - margin + scale, margin,
                   margin + ((FpsTextCapacity - 1) * CellWidth + 1) * scale};
    if (band.top < 0) band.top = 0;
    if (band.bottom > height) band.bottom = height;
    if (band.right > width) band.right = width;
    if (band.left > band.right) band.left = band.right;
    if (band.top > band.bottom) band.top = band.bottom;
    return band;
}

void FpsOverlay::DrawOnFrame(uint8_t* pixels, int width, int height, size_t pitch,
                             int bytesPerPixel, const uint8_t* black) {
    counter.FrameShownNow();
    kept = CornerTextBand(width, height);
    keptRowBytes = static_cast<size_t>(kept.right - kept.left) * static_cast<size_t>(bytesPerPixel);
    // Sized once for a picture; a frame allocates nothing after the first.
    under.resize(keptRowBytes * static_cast<size_t>(kept.bottom - kept.top));
    keptLeftBytes = static_cast<size_t>(kept.left) * static_cast<size_t>(bytesPerPixel);
    for (int y = kept.top; y < kept.bottom; ++y)
        std::memcpy(under.data() + static_cast<size_t>(y - kept.top) * keptRowBytes,
                    pixels + static_cast<size_t>(y) * pitch + keptLeftBytes, keptRowBytes);
    DrawCornerText(counter.Text(), pixels, width, height, pitch, bytesPerPixel, black);
}

void FpsOverlay::RestoreFrame(uint8_t* pixels, size_t pitch) {
    for (int y = kept.top; y < kept.bottom; ++y)
        std::memcpy(pixels + static_cast<size_t>(y) * pitch + keptLeftBytes,
                    under.data() + static_cast<size_t>(y - kept.top) * keptRowBytes, keptRowBytes);
    kept = FrameBand{};
}
