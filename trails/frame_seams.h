// The animation core's only two contacts with a platform: reading a millisecond clock (for the
// colour scheme that changes over time) and handing a finished frame to a window. Each host
// plugs its own in at start: the Windows saver timeGetTime and SetDIBitsToDevice, the viewer
// SDL's texture upload, the headless renderer a scripted clock and no window at all.
#pragma once

#include <cstdint>

#include "surface/bitmap_header.h"

// A 32-bit millisecond count that wraps like the platform's.
using MillisecondClock = uint32_t (*)();
// Copies a finished frame to target (a device context, a texture, ...). bits is the first byte
// of the bottom-up pixel rows that header describes.
using FrameCopy = void (*)(void* target, const BitmapInfoHeader& header, const uint8_t* bits);

// Null restores the default: a clock that always reads 0, and no copy at all.
void SetMillisecondClock(MillisecondClock clock);
void SetFrameCopy(FrameCopy copy);

uint32_t ReadMillisecondClock();
void CopyFrame(void* target, const BitmapInfoHeader& header, const uint8_t* bits);
