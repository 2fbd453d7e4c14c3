// The frame renderer: the frame's order of work, and the choice between the accumulated and
// the plain way of drawing its discs.
#include "trails/frame_renderer.h"

#include <cstdint>

#include "surface/bitmap_header.h"
#include "surface/disc_accumulator.h"
#include "trails/frame_seams.h"
#include "trails/saver_settings.h"
#include "trails/trail_discs.h"
#include "trails/trail_pool.h"

RasterSurface FrameSurface;

namespace {

// The discs of the accumulated frames; sized on the first frame of each window size.
DiscAccumulator frameDiscs;
FrameDrawing frameDrawing = FrameDrawing::Accumulated;

// The accumulator fits when the surface has pixels at the window's size; it is (re)made on
// the first frame of a size, and given up with the surface's pixels.
int AccumulatorReady(int32_t width, int32_t height) {
    if (FrameSurface.GetBits() == nullptr || FrameSurface.GetBitDepth() != 24 ||
        FrameSurface.GetWidth() != width || FrameSurface.GetHeight() != height) {
        frameDiscs.Destroy();
        return 0;
    }
    if (frameDiscs.GetWidth() == width && frameDiscs.GetHeight() == height) return 1;
    return frameDiscs.Create(width, height);
}

}  // namespace

void SetFrameDrawing(FrameDrawing drawing) {
    frameDrawing = drawing;
}

FrameDrawing GetFrameDrawing() {
    return frameDrawing;
}

void RenderFrame(void* target) {
    const int32_t width = WindowWidth;
    const int32_t height = WindowHeight;
    const uint32_t trailsInUse = UsableTrailCount(TrailCount);
    if (frameDrawing == FrameDrawing::Accumulated && AccumulatorReady(width, height)) {
        // Drawing a trail never depends on another's motion, so drawing and moving may still
        // alternate trail by trail; the clear and all the adds happen in Resolve.
        frameDiscs.Clear();
        for (uint32_t i = 0; i < trailsInUse; ++i) {
            DrawTrailDiscs(frameDiscs, TrailPool[i], i, width, height);
            MoveTrail(TrailPool[i], width, height);
        }
        frameDiscs.Resolve(FrameSurface);
    } else {
        // The accumulator's memory of which pixels are lit no longer holds.
        frameDiscs.ForgetSurface();
        FrameSurface.FillRectangle(0, 0, width - 1, height - 1, 0, 0, 0);
        for (uint32_t i = 0; i < trailsInUse; ++i) {
            DrawTrailDiscs(FrameSurface, TrailPool[i], i, width, height);
            MoveTrail(TrailPool[i], width, height);
        }
    }
    const uint8_t* bits = FrameSurface.RowPointer(height - 1);
    if (bits == nullptr) return;  // no pixels: nothing was drawn, nothing to show
    CopyFrame(target, MakeFrameHeader(width, height), bits);
}
