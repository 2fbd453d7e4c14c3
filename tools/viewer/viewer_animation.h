// What both presenters share around the animation core: starting the animation for a window
// size (as a new saver window would: generator at its start state, a fresh surface, the
// trails set up), the millisecond clock, and the --hash debug lines that tests compare with
// tolva-render's.
#pragma once

#include <cstdint>
#include <cstdio>

#include "surface/bitmap_header.h"

// Starts the animation afresh at width x height with the current TrailCount. Returns 1, or 0
// when the surface could not be allocated (frames then draw nothing).
int StartAnimation(int32_t width, int32_t height);

// The monotonic clock in nanoseconds, and the platform-style 32-bit millisecond count that
// wraps after 49.7 days, as colour scheme 9 expects.
uint64_t MonotonicNanoseconds();
uint32_t MonotonicMilliseconds();

// With --hash the viewer reads the same scripted clock as tolva-render: frame i (from 0 at
// every start) reads 5 * i milliseconds, so every colour scheme hashes alike.
class FrameHashLog {
  public:
    void Restart() { frameIndex = 0; }
    uint32_t ClockForCurrentFrame() const { return 5u * frameIndex; }
    // Prints "INDEX HASH" for a presented frame (height rows of stride bytes from bits) and
    // moves on to the next index.
    void Print(std::FILE* out, const BitmapInfoHeader& header, const uint8_t* bits);
    uint32_t FramesPrinted() const { return frameIndex; }

  private:
    uint32_t frameIndex = 0;
};

// "INDEX HASH\n", the hash as 16 lower-case hex digits (tolva-render's format).
void FormatHashLine(uint32_t index, uint64_t hash, char* out, size_t size);
