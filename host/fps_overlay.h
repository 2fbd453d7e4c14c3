// The -fps corner of XScreenSaver's hacks: the frame rate and the CPU load, measured over each
// second and written in a tiny built-in bitmap font into the picture a presenter is about to
// show. It draws only into the presenter's converted copy (an XImage or a window surface),
// never into the animation's own frame, whose bytes the hashes cover.
#pragma once

#include <cstddef>
#include <cstdint>

#include "surface/frame.h"

// The longest text the counter makes, with its terminating zero.
constexpr int FpsTextCapacity = 48;

// Frames per second and the share of one CPU the process used, as "60.0 fps / CPU 12%".
class FpsCounter {
  public:
    // Counts one presented frame at wall time now and process CPU time cpu (both in
    // nanoseconds, of any fixed origin). The text changes once a second; before the first
    // second is over it is empty.
    void FrameShown(uint64_t now, uint64_t cpu);
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

// What a presenter holds for -fps: counts each frame against the clocks and draws the text.
class FpsOverlay {
  public:
    void DrawOnFrame(uint8_t* pixels, int width, int height, size_t pitch, int bytesPerPixel,
                     const uint8_t* black);

  private:
    FpsCounter counter;
};
