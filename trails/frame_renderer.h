// One frame of the animation: clear the surface, draw every trail in use as discs seen in
// perspective, move and steer each trail, now and then give it a new random target, and copy
// the result to target through the frame-copy seam. The host owns the timing; this draws one
// frame and returns, and allocates nothing (beyond, on the first frame of a new size, the
// disc accumulator's scratch).
//
// Frames are drawn by recording the discs and writing every pixel once (DiscAccumulator) with
// the vector code the processor offers. The plain path, clearing the surface and adding disc
// after disc with the surface's own operations, stays beside it as the reference that the fast
// one is compared with; both give the same bytes.
#pragma once

#include "surface/raster_surface.h"

// The one drawing surface of the process, sized to the saver window when it is created.
// Between frames only Create and Destroy may change it: frames skip rewriting pixels that the
// frame before left black, so anything else drawn on it could survive into the next frame.
extern RasterSurface FrameSurface;

void RenderFrame(void* target);

enum class FrameDrawing { Accumulated, Reference };

// Accumulated unless set otherwise. Reference is also used whenever the accumulator cannot be
// had (no memory) or the surface is not the window's size.
void SetFrameDrawing(FrameDrawing drawing);
FrameDrawing GetFrameDrawing();
