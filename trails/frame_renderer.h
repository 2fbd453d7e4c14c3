// One frame of the animation: clear the surface, draw every trail in use as discs seen in
// perspective, move and steer each trail, now and then give it a new random target, and copy
// the result to target through the frame-copy seam. The host owns the timing; this draws one
// frame and returns, and allocates nothing.
#pragma once

#include "surface/raster_surface.h"

// The one drawing surface of the process, sized to the saver window when it is created.
extern RasterSurface FrameSurface;

void RenderFrame(void* target);
