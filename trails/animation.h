// Animation: one whole run of the trail animation as a value. It owns its size, its surface,
// its pool of trails, its own random generator, its trail count and colour scheme, the disc
// accumulator and the drawing path, and its two platform seams (clock and frame receiver) with a
// user pointer each. A host starts it with one call and asks for one frame per tick; nothing is
// shared between animations, so several run side by side in one thread (a window per monitor)
// and each draws exactly the frames it would draw alone.
//
// A frame clears the picture, draws every trail in use as discs seen in perspective, moves and
// steers each trail, now and then gives it a new random target, and hands the result to the
// frame receiver with the bands where it can differ from the frame before, so that a host sends
// only those to its window. The picture is the animation's own 24-bit surface, or memory the
// host hands it (its window system's own image, in that image's layout), which it then draws
// straight into. The host owns the timing; a frame allocates nothing.
#pragma once

#include <cstdint>

#include "surface/disc_accumulator.h"
#include "surface/draw_paths.h"
#include "surface/pixel_memory.h"
#include "surface/raster_surface.h"
#include "trails/frame_seams.h"
#include "trails/random.h"
#include "trails/setting_limits.h"
#include "trails/trail.h"
#include "trails/trail_pool.h"

// What an animation starts from, filled field by field by every host: its window's size, the
// user's two settings, where its generator starts, its scale and the drawing path the program
// chose once at start. The pixels it is drawn into are no part of it: a host hands them frame by
// frame (Animation::DrawInto), as its buffers change.
struct AnimationStart {
    int32_t width = 0;  // pixels, 1..Animation::MaxSide each
    int32_t height = 0;
    // Kept as given: a count above the pool's size draws the whole pool, a mode outside 1..9
    // draws as 1.
    uint32_t trailCount = DefaultTrailCount;
    int32_t colorMode = DefaultColorMode;
    // The primary monitor's (and a lone window's) start state draws the frames the saver always
    // drew; another monitor's animation starts elsewhere.
    uint32_t seed = RandomGenerator::StartState;
    // ScaleUnits, held within MinScale..MaxScale: the trails move exactly as they would at the
    // logical size, width and height divided by the scale, and every disc is drawn with its
    // centre and radius multiplied by it.
    int32_t scale = ScaleUnit;
    // Null: the path the animation draws with now (a new animation's is BestDrawPath()).
    const DrawPath* drawPath = nullptr;
};

class Animation {
  public:
    // The generator's start state, from which every frame of the original animation follows.
    static constexpr uint32_t DesignSeed = RandomGenerator::StartState;
    // Sizes are kept in 16 signed bits, as a saver window records them.
    static constexpr int32_t MaxSide = 32767;

    Animation();
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    // Starts afresh from start: the generator back at its seed, a new black surface, the
    // trails set up, the drawing path taken (as SetDrawPath). Returns 1, or 0 when the size is
    // outside 1..MaxSide or the pixels cannot be had; the trails still move then, but frames
    // draw and show nothing.
    int Start(const AnimationStart& start);
    // Gives the pixels back and forgets any memory handed in; frames show nothing until the
    // next Start.
    void Stop();

    // The next frames are drawn straight into memory the host owns (an image of its window
    // system's), and written only where they change there, until UseOwnSurface, Stop or a new
    // Start: after those it never writes that memory again unless handed it again. The memory
    // may change from frame to frame (buffers used in turn); each frame is drawn exactly into
    // the memory it is given, and its changed bands stay relative to the frame handed over
    // before, wherever that was drawn. Returns 0, and draws into its own surface, when memory
    // does not hold pixels of the animation's size.
    int DrawInto(const PixelMemory& memory);
    void UseOwnSurface() { drawsIntoHost = false; }

    // Null clock: reads 0 forever. Null receiver: frames are drawn and kept, not handed over.
    // The first frame a receiver is handed is whole.
    void SetMillisecondClock(MillisecondClock read, void* user);
    void SetFrameReceiver(FrameReceiver copy, void* user);

    // Another path from the next frame on, the start's unchanged. Returns 0 and keeps the
    // current path when this build or processor cannot run the one given.
    int SetDrawPath(const DrawPath& path);
    const DrawPath& GetDrawPath() const { return *drawPath; }

    // Draws the next frame and hands it to the frame receiver.
    void RenderFrame();
    // The frame receiver next gets the whole frame as changed, and every pixel of the host's
    // memory it is drawn into is written: for a host whose window lost what it showed
    // (uncovered, exposed, restored) or whose image may have lost its pixels. A frame the
    // receiver did not show makes the next one whole by itself.
    void ShowWholeNextFrame() {
        wholeNextFrame = true;
        hostMemoryLost = true;
    }

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetScale() const { return scale; }
    // The size the trails move in: the frame's size at ScaleUnit.
    int32_t GetLogicalWidth() const { return logicalWidth; }
    int32_t GetLogicalHeight() const { return logicalHeight; }
    uint32_t GetTrailCount() const { return trailCount; }
    int32_t GetColorMode() const { return colorMode; }
    // The last frame drawn into the animation's own surface; only the animation writes it.
    const RasterSurface& GetSurface() const { return surface; }
    // For tests that place a trail or follow the generator.
    Trail& TrailAt(uint32_t index) { return pool[index]; }
    RandomGenerator& Random() { return random; }

  private:
    int32_t FindChangedBands(bool accumulated);

    int32_t width = 0;
    int32_t height = 0;
    int32_t scale = ScaleUnit;
    int32_t logicalWidth = 0;
    int32_t logicalHeight = 0;
    uint32_t trailCount = 0;
    int32_t colorMode = 1;
    RandomGenerator random;
    Trail pool[MaxTrails];
    RasterSurface surface;
    PixelMemory hostMemory;
    bool drawsIntoHost = false;
    bool hostMemoryLost = false;
    // Has the surface's size while the surface has pixels, unless its memory could not be had;
    // the reference path draws then.
    DiscAccumulator discs;
    const DrawPath* drawPath;
    ClockSeam clock;
    FrameReceiver frameReceiver = nullptr;
    void* receiverUser = nullptr;
    bool wholeNextFrame = true;
    FrameBand changedBands[MaxChangedBands];
};
