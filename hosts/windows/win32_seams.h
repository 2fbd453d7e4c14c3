// The Windows side of the seams: timeGetTime as an animation's millisecond clock, showing a
// finished frame in a window, and GetForegroundWindow as the command line's fallback window.
#pragma once

#include <cstdint>

#include "trails/frame_seams.h"

uint32_t ReadPlatformClock(void* unused);
// window is the HWND. Answers whether every changed band reached it.
bool ShowFrameInWindow(void* window, const FrameView& frame);

// GetForegroundWindow as a handle number: the command line's fallback window.
intptr_t ReadForegroundWindow();
