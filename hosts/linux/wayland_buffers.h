// A surface's two wl_shm buffers (XRGB8888, in one shared-memory pool), which the animation
// draws its frames straight into. The compositor may read a buffer from its commit until it
// releases it, so a frame goes only into a released one: the one committed last when both are,
// as it holds the newest frame and the animation brings it up to date with the fewest pixels.
// The animation remembers what each buffer holds; the -fps text is the one thing drawn over a
// buffer besides, and the pixels under it are kept per buffer and put back before the animation
// draws into that buffer again. The damage of a commit is what changed since the commit before:
// the frames' own bands, and the corner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hosts/linux/frame_loop.h"
#include "surface/frame.h"
#include "surface/pixel_memory.h"

struct wl_buffer;
struct wl_shm;
struct wl_shm_pool;

// The bands changed since the last commit: a few frames' worth when steps were caught up, and
// the -fps corner. More than fit are merged into the box around them all.
constexpr int32_t MaxBandListBands = MaxCatchUpBands;

struct BandList {
    FrameBand bands[MaxBandListBands];
    int32_t count = 0;

    void Add(const FrameBand& band);
    void Clear() { count = 0; }
};

struct WaylandBuffer {
    wl_buffer* buffer = nullptr;
    uint8_t* pixels = nullptr;  // its top left pixel, in the pool's mapping
    bool busy = false;          // committed and not yet released by the compositor
    uint64_t commit = 0;        // the number of the commit it last went out with; 0: none yet
    // The pixels the -fps text covers, row after row, while it is drawn over them.
    FrameBand cornerBand{};  // none when top == bottom
    std::vector<uint8_t> underCorner;
};

constexpr int BuffersPerSurface = 2;

struct SurfaceBuffers {
    int32_t width = 0;  // pixels
    int32_t height = 0;
    size_t pitch = 0;
    uint8_t* memory = nullptr;  // the pool's mapping
    size_t size = 0;
    wl_shm_pool* pool = nullptr;
    WaylandBuffer buffers[BuffersPerSurface];
    uint64_t commits = 0;
    BandList sinceCommit;  // what changed since the last commit: its damage
};

// New black buffers of width x height pixels, the whole of them the next commit's damage.
// Returns 0 when the memory cannot be had (the buffers are then none).
int CreateSurfaceBuffers(SurfaceBuffers* buffers, wl_shm* shm, int32_t width, int32_t height);
void DestroySurfaceBuffers(SurfaceBuffers* buffers);

// The buffer the next frame goes into: a released one, the last committed first; or null.
WaylandBuffer* NextFrameBuffer(SurfaceBuffers* buffers);
// Makes a released buffer ready for the animation (the -fps text taken off, its pixels put
// back) and returns its pixels, as the animation draws into them.
PixelMemory ReadyForDrawing(const SurfaceBuffers& buffers, WaylandBuffer* buffer);
// The released buffer whose pixels the frame was drawn into, or null (drawn elsewhere).
WaylandBuffer* BufferOfFrame(SurfaceBuffers* buffers, const FrameView& frame);

// Draws the -fps text over the buffer's lower left corner, keeping what it covers, and notes
// the corner as changed.
void DrawFpsText(SurfaceBuffers* buffers, WaylandBuffer* buffer, const char* text);
