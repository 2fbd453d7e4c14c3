// Animation: start-up order, the frame's order of work, the choice between the accumulated
// paths and the reference path, the memory a frame is drawn into, and how a frame's changed
// rows are grouped into bands.
#include "trails/animation.h"

#include <cstdint>

#include "surface/frame.h"
#include "trails/color_scheme.h"
#include "trails/trail_discs.h"

namespace {

// What a band costs a host beyond its pixels (a call or a request, a few microseconds), in
// pixels: a band is split in two only when that saves more.
constexpr int64_t BandCostPixels = 2048;

// A side of the frame in logical pixels: at least 1, as a window records it.
int32_t LogicalSide(int32_t side, int32_t scale) {
    const int64_t logical = int64_t{side} * ScaleUnit / scale;
    return logical < 1                    ? 1
           : logical > Animation::MaxSide ? Animation::MaxSide
                                          : static_cast<int32_t>(logical);
}

}  // namespace

Animation::Animation() : drawPath(&BestDrawPath()) {}

int Animation::Start(const AnimationStart& start) {
    Stop();
    if (start.drawPath != nullptr) SetDrawPath(*start.drawPath);
    wholeNextFrame = true;
    trailCount = start.trailCount;
    colorMode = start.colorMode;
    random.Reset(start.seed);
    const bool sizeFits =
        start.width >= 1 && start.width <= MaxSide && start.height >= 1 && start.height <= MaxSide;
    width = sizeFits ? start.width : 0;
    height = sizeFits ? start.height : 0;
    scale = start.scale < MinScale ? MinScale : start.scale > MaxScale ? MaxScale : start.scale;
    logicalWidth = scale == ScaleUnit ? width : LogicalSide(width, scale);
    logicalHeight = scale == ScaleUnit ? height : LogicalSide(height, scale);
    InitTrails(pool, trailCount, random);
    if (!sizeFits || !surface.Create(width, height, 24)) return 0;
    // Without the accumulator's memory the frames are still drawn, disc by disc.
    discs.Create(width, height);
    return 1;
}

void Animation::Stop() {
    drawsIntoHost = false;
    hostMemory = PixelMemory{};
    surface.Destroy();
    discs.Destroy();
}

int Animation::DrawInto(const PixelMemory& memory) {
    drawsIntoHost = surface.GetBits() != nullptr && HoldsPixels(memory, width, height);
    hostMemory = drawsIntoHost ? memory : PixelMemory{};
    return drawsIntoHost ? 1 : 0;
}

void Animation::SetMillisecondClock(MillisecondClock read, void* user) {
    clock.read = read;
    clock.user = user;
}

void Animation::SetFrameReceiver(FrameReceiver copy, void* user) {
    frameReceiver = copy;
    receiverUser = user;
    wholeNextFrame = true;  // a new window has been shown nothing yet
}

int Animation::SetDrawPath(const DrawPath& path) {
    if (!path.supported() || (!IsReferencePath(path) && path.writeRows == nullptr)) return 0;
    drawPath = &path;
    return 1;
}

void Animation::RenderFrame() {
    const uint32_t trailsInUse = UsableTrailCount(trailCount);
    const PixelMemory memory = drawsIntoHost ? hostMemory : SurfacePixels(surface);
    const bool accumulated = !IsReferencePath(*drawPath) && discs.GetWidth() == width &&
                             discs.GetHeight() == height && memory.topRow != nullptr;
    // A window that lost its picture may have lost its image's pixels too.
    if (hostMemoryLost && drawsIntoHost) discs.ForgetMemory();
    hostMemoryLost = false;
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    if (accumulated) {
        // Drawing a trail never depends on another's motion, so drawing and moving may still
        // alternate trail by trail; the clear and all the adds happen in WriteFrameWith.
        discs.Clear();
        for (uint32_t i = 0; i < trailsInUse; ++i) {
            SchemeColor(colorMode, &red, &green, &blue, i, clock);
            DrawTrailDiscs(discs, pool[i], red, green, blue, logicalWidth, logicalHeight, scale);
            MoveTrail(pool[i], logicalWidth, logicalHeight, random);
        }
        discs.WriteFrameWith(memory, drawPath->writeRows);
    } else {
        // The accumulator's memory of which pixels are lit no longer holds.
        discs.ForgetMemory();
        surface.FillRectangle(0, 0, width - 1, height - 1, 0, 0, 0);
        for (uint32_t i = 0; i < trailsInUse; ++i) {
            SchemeColor(colorMode, &red, &green, &blue, i, clock);
            DrawTrailDiscs(surface, pool[i], red, green, blue, logicalWidth, logicalHeight, scale);
            MoveTrail(pool[i], logicalWidth, logicalHeight, random);
        }
        // The surface's own operations draw 24-bit pixels only: the host's memory gets a copy.
        if (drawsIntoHost) CopySurfacePixels(surface, memory);
    }
    if (memory.topRow == nullptr || frameReceiver == nullptr) {
        wholeNextFrame = true;  // no pixels, or no window to show them: nothing was shown
        return;
    }
    FrameView frame{MakeFrameHeader(width, height),
                    memory.pitch < 0 ? memory.topRow + (height - 1) * memory.pitch : memory.topRow};
    frame.layout = memory.layout;
    frame.pitch = memory.pitch;
    frame.changed = changedBands;
    frame.changedCount = FindChangedBands(accumulated);
    wholeNextFrame = !frameReceiver(receiverUser, frame);
}

int32_t Animation::FindChangedBands(bool accumulated) {
    if (wholeNextFrame || !accumulated) {
        changedBands[0] = FrameBand{0, height, 0, width};
        return 1;
    }
    return discs.ChangedBands(BandCostPixels, changedBands);
}
