// The Windows side of the seams: timeGetTime as an animation's millisecond clock, the copy of a
// finished frame to a window, and GetForegroundWindow as the command line's fallback window.
#pragma once

#include <cstdint>

#include "trails/frame_seams.h"

class Animation;

// What a window's frame copy needs: the window, and the animation that draws for it, which is
// asked for the whole next frame when one could not be shown.
struct WindowFrameCopy {
    void* window;  // the HWND
    Animation* animation;
};

uint32_t ReadPlatformClock(void* unused);
// copy is a WindowFrameCopy.
void CopyFrameToWindow(void* copy, const FrameView& frame);

// Plugs the command line's seam in; start-up calls it before anything else runs.
void InstallWin32Seams();
