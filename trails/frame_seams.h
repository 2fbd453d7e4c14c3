// The animation core's only two contacts with a platform: reading a millisecond clock (for the
// colour scheme that changes over time) and handing a finished frame to a window. Each
// animation has its own pair, each with a user pointer, so a host finds its window (or its log)
// through the pointer it handed in: the Windows saver plugs in timeGetTime and
// SetDIBitsToDevice, the Linux program its image upload, the headless renderer a scripted clock
// and a frame keeper.
#pragma once

#include <cstdint>

#include "surface/frame.h"

// A 32-bit millisecond count that wraps like the platform's.
using MillisecondClock = uint32_t (*)(void* user);

// Is handed each finished frame, shows it in the host's window (through a device context, an
// image...) and answers whether all of its changed bands were shown there. A frame that was not
// (a minimised or covered window, a failed put) makes the next frame whole, so the window never
// keeps a stale picture.
using FrameReceiver = bool (*)(void* user, const FrameView& frame);

// The clock as an animation holds it; with no function it always reads 0.
struct ClockSeam {
    MillisecondClock read = nullptr;
    void* user = nullptr;

    uint32_t Read() const { return read != nullptr ? read(user) : 0; }
};
