// A surface's two wl_shm buffers (XRGB8888, in one shared-memory pool) and what each one still
// lacks. The compositor holds a buffer from its commit until it releases it, so frames go to
// the buffers in turn; a buffer last written some frames ago lacks the changed bands of every
// frame since, which it keeps row by row (the columns of each row it lacks) and gets with the
// frame it next shows, each pixel converted once. The damage of a commit is only what changed
// since the commit before, as the frames' own bands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hosts/linux/frame_loop.h"
#include "surface/frame.h"

struct wl_buffer;
struct wl_shm;
struct wl_shm_pool;

// The bands changed since the last commit: a few frames' worth when steps were caught up. More
// than fit are merged into the box around them all.
constexpr int32_t MaxBandListBands = MaxCatchUpBands;

struct BandList {
    FrameBand bands[MaxBandListBands];
    int32_t count = 0;

    void Add(const FrameBand& band);
    void Clear() { count = 0; }
};

// Columns first..end-1 of a row; none when end <= first.
struct RowSpan {
    int32_t first;
    int32_t end;
};

struct WaylandBuffer {
    wl_buffer* buffer = nullptr;
    uint8_t* pixels = nullptr;  // its top left pixel, in the pool's mapping
    bool busy = false;          // committed and not yet released by the compositor
    // Where it differs from the newest frame: a span a row, in rows staleTop..staleBottom-1.
    std::vector<RowSpan> stale;
    int32_t staleTop = 0;
    int32_t staleBottom = 0;
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
    BandList sinceCommit;  // what changed since the last commit: its damage
};

// New black buffers of width x height pixels, each stale all over. Returns 0 when the memory
// cannot be had (the buffers are then none).
int CreateSurfaceBuffers(SurfaceBuffers* buffers, wl_shm* shm, int32_t width, int32_t height);
void DestroySurfaceBuffers(SurfaceBuffers* buffers);

// A buffer the compositor does not hold, or null.
WaylandBuffer* FreeBuffer(SurfaceBuffers* buffers);

// Notes band as changed in every buffer and in the next commit's damage.
void NoteChangedBand(SurfaceBuffers* buffers, const FrameBand& band);

// The one road of a frame's pixels into a buffer: converts what the buffer lacks from the
// frame, which must be buffers' size.
void BringBufferUpToFrame(const SurfaceBuffers& buffers, WaylandBuffer* buffer,
                          const FrameView& frame);
