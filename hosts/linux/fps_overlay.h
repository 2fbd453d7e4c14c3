// The -fps corner of XScreenSaver's hacks: the frame rate and the CPU load, measured over each
// second and written in a tiny built-in bitmap font into the picture a presenter is about to
// show (an XImage or a window surface). Where the animation draws straight into that picture,
// the pixels under the text are put back once it was sent, so the frame's own pixels, which the
// hashes cover and the next frame is drawn over, never keep the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "surface/frame.h"

// The longest text the counter makes, with its terminating zero.
constexpr int FpsTextCapacity = 48;

// Frames per second and the share of one CPU the process used, as "60.0 fps / CPU 12%".
class FpsCounter {
  public:
    // Counts one shown frame at wall time now and process CPU time cpu (both in
    // nanoseconds, of any fixed origin). The text changes once a second; before the first
    // second is over it is empty.
    void FrameShown(uint64_t now, uint64_t cpu);
    // Counts one shown frame on the monotonic clock and the process's CPU clock.
    void FrameShownNow();
    const char* Text() const { return text; }

  private:
    bool started = false;
    uint64_t periodStart = 0;
    uint64_t cpuAtStart = 0;
    uint32_t frames = 0;
    char text[FpsTextCapacity] = "";
};

// Writes text in the lower left corner of a top-down picture of width x height pixels,
// bytesPerPixel (1 to 4) each, rows pitch bytes apart: white glyphs with a black shadow. White
// is every bit set; black is the bytesPerPixel bytes at black, as the presenter lays out opaque
// black (zero colour, but an alpha channel all ones). Clipped to
// the picture; characters the font lacks are left as a space. Glyphs grow with the picture's
// height so they stay readable on large screens.
void DrawCornerText(const char* text, uint8_t* pixels, int width, int height, size_t pitch,
                    int bytesPerPixel, const uint8_t* black);

// The rectangle of a width x height picture that DrawCornerText may write to with any text the
// counter makes: a presenter that sends only what changed sends this too.
FrameBand CornerTextBand(int width, int height);

// What a presenter holds for -fps: counts each frame against the clocks and draws the text over
// the corner band, keeping what it covers.
class FpsOverlay {
  public:
    void DrawOnFrame(uint8_t* pixels, int width, int height, size_t pitch, int bytesPerPixel,
                     const uint8_t* black);
    // Puts back the pixels the last DrawOnFrame wrote over, into the same picture; then does
    // nothing until the next DrawOnFrame.
    void RestoreFrame(uint8_t* pixels, size_t pitch);

  private:
    FpsCounter counter;
    FrameBand kept{};  // rows top..bottom-1 of the picture kept, none when top == bottom
    size_t keptLeftBytes = 0;
    size_t keptRowBytes = 0;
    std::vector<uint8_t> under;  // the corner band's pixels, row after row
};
