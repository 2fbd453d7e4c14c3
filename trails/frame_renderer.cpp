// The frame renderer: perspective projection of every trail point into five additive discs.
#include "trails/frame_renderer.h"

#include <cstdint>

#include "surface/bitmap_header.h"
#include "surface/disc_accumulator.h"
#include "trails/color_scheme.h"
#include "trails/fixed_point.h"
#include "trails/frame_seams.h"
#include "trails/random.h"
#include "trails/saver_settings.h"
#include "trails/trail_pool.h"

RasterSurface FrameSurface;

namespace {

constexpr int32_t PointsPerTrail = 8;
constexpr int32_t FocalLength = 3000;  // pixels per unit of x / z
// The projected width of a segment two units (8192) long sets a point's apparent size.
constexpr int32_t SizeSegment = FocalLength * 8192;
constexpr int32_t SteerStep = 10;
constexpr double RetargetChance = 0.3;

// The discs of the accumulated frames; sized on the first frame of each window size.
DiscAccumulator frameDiscs;
FrameDrawing frameDrawing = FrameDrawing::Accumulated;

int32_t FadedComponent(int32_t value, int32_t fade) { return value - fade < 0 ? 0 : value - fade; }

// Target is the surface itself or the accumulator: both take the same discs.
template <typename DiscTarget>
void DrawTrail(DiscTarget& target, const Trail& trail, uint32_t trailIndex, int32_t width,
               int32_t height) {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    SchemeColor(ColorMode, &red, &green, &blue, trailIndex);
    for (int32_t k = 1; k <= PointsPerTrail; ++k) {
        int32_t x = 0;
        int32_t y = 0;
        int32_t z = 0;
        if (!trail.GetPoint(k, &x, &y, &z)) continue;
        if (z < 1) continue;  // behind the viewer
        // Points that stray past |x| = 715827 make 3000 * x wrap; the frame shows the
        // wrapped projection, as the animation always has.
        const int32_t scaledX = WrapMul(FocalLength, x);
        const int32_t sx = scaledX / z;
        const int32_t sy = WrapMul(FocalLength, y) / z;
        const int32_t px = WrapAdd(sx, width / 2);
        const int32_t py = WrapSub(height / 2, sy);
        const int32_t size =
            WrapSub(WrapAbs(WrapSub(WrapAdd(scaledX, SizeSegment) / z, sx)), 3 * k);
        if (size < 2 || size > 399) continue;
        const int32_t fade = 5 * k;
        const int32_t r = FadedComponent(red, fade);
        const int32_t g = FadedComponent(green, fade);
        const int32_t b = FadedComponent(blue, fade);
        // The halo takes the faded colour rotated one channel and quartered.
        target.AddFilledCircle(px, py, size / 2, g / 4, b / 4, r / 4);
        target.AddFilledCircle(px, py, size / 3, r, g, b);
        target.AddFilledCircle(px, py, size / 4, r, g, b);
        target.AddFilledCircle(px, py, size / 5, r, g, b);
        target.AddFilledCircle(px, py, size / 6, r, g, b);
    }
}

void MoveTrail(Trail& trail, int32_t width, int32_t height) {
    trail.Advance();
    trail.Steer(SteerStep);
    if (Random01() < RetargetChance) {
        const double r1 = Random01();
        const double r2 = Random01();
        const double r3 = Random01();
        trail.SetTarget(static_cast<int32_t>((r1 - 0.5) * width * 40.96),
                        static_cast<int32_t>((r2 - 0.5) * height * 40.96),
                        static_cast<int32_t>((r3 * 200 + 10) * 4096));
    }
}

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

void SetFrameDrawing(FrameDrawing drawing) { frameDrawing = drawing; }

FrameDrawing GetFrameDrawing() { return frameDrawing; }

void RenderFrame(void* target) {
    const int32_t width = WindowWidth;
    const int32_t height = WindowHeight;
    const uint32_t trailsInUse = UsableTrailCount(TrailCount);
    if (frameDrawing == FrameDrawing::Accumulated && AccumulatorReady(width, height)) {
        // Drawing a trail never depends on another's motion, so drawing and moving may still
        // alternate trail by trail; the clear and all the adds happen in Resolve.
        frameDiscs.Clear();
        for (uint32_t i = 0; i < trailsInUse; ++i) {
            DrawTrail(frameDiscs, TrailPool[i], i, width, height);
            MoveTrail(TrailPool[i], width, height);
        }
        frameDiscs.Resolve(FrameSurface);
    } else {
        FrameSurface.FillRectangle(0, 0, width - 1, height - 1, 0, 0, 0);
        for (uint32_t i = 0; i < trailsInUse; ++i) {
            DrawTrail(FrameSurface, TrailPool[i], i, width, height);
            MoveTrail(TrailPool[i], width, height);
        }
    }
    const uint8_t* bits = FrameSurface.RowPointer(height - 1);
    if (bits == nullptr) return;  // no pixels: nothing was drawn, nothing to show
    CopyFrame(target, MakeFrameHeader(width, height), bits);
}
