// The animation core's only two contacts with a platform: reading a millisecond clock (for the
// colour scheme that changes over time) and handing a finished frame to a window. Each
// animation has its own pair, each with a user pointer, so a host finds its window (or its log)
// through the pointer it handed in: the Windows saver plugs in timeGetTime and
// SetDIBitsToDevice, the viewer its texture or image upload, the headless renderer a scripted
// clock and a frame keeper.
#pragma once

#include <cstddef>
#include <cstdint>

#include "surface/bitmap_header.h"
#include "surface/changed_bands.h"

// A 32-bit millisecond count that wraps like the platform's.
using MillisecondClock = uint32_t (*)(void* user);

// A finished frame: bits is the first byte of the bottom-up pixel rows that header describes.
// Every pixel outside the changed bands is what it was in the frame handed over before, so a
// window that shows that frame need only be sent the bands. They lie top to bottom and do not
// overlap; none means nothing changed. The first frame after a start or after a new frame copy,
// and one after the host said its window lost what it showed, is one band over everything.
struct FrameView {
    BitmapInfoHeader header;
    const uint8_t* bits;
    const FrameBand* changed = nullptr;
    int32_t changedCount = 0;
};
// The first byte of pixel (x, y), rows counted from the top as a window counts them: the
// frame's rows are stored bottom-up.
inline const uint8_t* FramePixel(const FrameView& frame, int32_t x, int32_t y) {
    return frame.bits +
           static_cast<size_t>(frame.header.biHeight - 1 - y) * FrameRowStride(frame.header) +
           static_cast<size_t>(x) * 3;
}

// Copies a finished frame to the host's window (a device context, a texture, an image...).
using FrameCopy = void (*)(void* user, const FrameView& frame);

// The clock as an animation holds it; with no function it always reads 0.
struct ClockSeam {
    MillisecondClock read = nullptr;
    void* user = nullptr;

    uint32_t Read() const { return read != nullptr ? read(user) : 0; }
};
