// A surface's shared-memory buffers: a memfd pool of two, their release events, and the bands
// each still lacks.
#include "hosts/linux/wayland_buffers.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstddef>
#include <cstdint>

#include "hosts/linux/pixel_conversion.h"

namespace {

FrameBand Around(const FrameBand& a, const FrameBand& b) {
    return FrameBand{a.top < b.top ? a.top : b.top, a.bottom > b.bottom ? a.bottom : b.bottom,
                     a.left < b.left ? a.left : b.left, a.right > b.right ? a.right : b.right};
}

void MarkStale(WaylandBuffer* buffer, const FrameBand& band) {
    for (int32_t y = band.top; y < band.bottom; ++y) {
        RowSpan& span = buffer->stale[static_cast<size_t>(y)];
        if (span.end <= span.first) {
            span = RowSpan{band.left, band.right};
            continue;
        }
        if (band.left < span.first) span.first = band.left;
        if (band.right > span.end) span.end = band.right;
    }
    if (buffer->staleBottom <= buffer->staleTop) {
        buffer->staleTop = band.top;
        buffer->staleBottom = band.bottom;
        return;
    }
    if (band.top < buffer->staleTop) buffer->staleTop = band.top;
    if (band.bottom > buffer->staleBottom) buffer->staleBottom = band.bottom;
}

void BufferRelease(void* data, wl_buffer*) {
    static_cast<WaylandBuffer*>(data)->busy = false;
}

const wl_buffer_listener BufferListener = {BufferRelease};

}  // namespace

void BandList::Add(const FrameBand& band) {
    if (band.bottom <= band.top || band.right <= band.left) return;
    if (count < MaxBandListBands) {
        bands[count++] = band;
        return;
    }
    FrameBand around = band;
    for (int32_t i = 0; i < count; ++i) around = Around(bands[i], around);
    bands[0] = around;
    count = 1;
}

int CreateSurfaceBuffers(SurfaceBuffers* buffers, wl_shm* shm, int32_t width, int32_t height) {
    DestroySurfaceBuffers(buffers);
    const size_t pitch = static_cast<size_t>(width) * 4;
    const size_t bufferSize = pitch * static_cast<size_t>(height);
    const size_t size = bufferSize * BuffersPerSurface;
    // The pool's size travels as a 32-bit signed number.
    if (width <= 0 || height <= 0 || size > INT32_MAX) return 0;
    const int fd = memfd_create("tolva-frames", MFD_CLOEXEC);
    if (fd < 0) return 0;
    void* memory = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(size)) == 0)
        memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        close(fd);
        return 0;
    }
    buffers->pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
    close(fd);  // the compositor has its own copy of the descriptor once the request is sent
    buffers->memory = static_cast<uint8_t*>(memory);
    buffers->size = size;
    buffers->width = width;
    buffers->height = height;
    buffers->pitch = pitch;
    const FrameBand whole{0, height, 0, width};
    for (int i = 0; i < BuffersPerSurface; ++i) {
        WaylandBuffer& buffer = buffers->buffers[i];
        buffer = WaylandBuffer{};
        buffer.buffer =
            wl_shm_pool_create_buffer(buffers->pool, static_cast<int32_t>(bufferSize * i), width,
                                      height, static_cast<int32_t>(pitch), WL_SHM_FORMAT_XRGB8888);
        wl_buffer_add_listener(buffer.buffer, &BufferListener, &buffer);
        buffer.pixels = buffers->memory + bufferSize * i;
        buffer.stale.assign(static_cast<size_t>(height), RowSpan{0, 0});
        MarkStale(&buffer, whole);
    }
    buffers->sinceCommit.Clear();
    buffers->sinceCommit.Add(whole);
    return 1;
}

void DestroySurfaceBuffers(SurfaceBuffers* buffers) {
    // The compositor may still show a buffer it holds: it keeps its own mapping of the pool.
    for (WaylandBuffer& buffer : buffers->buffers)
        if (buffer.buffer != nullptr) wl_buffer_destroy(buffer.buffer);
    if (buffers->pool != nullptr) wl_shm_pool_destroy(buffers->pool);
    if (buffers->memory != nullptr) munmap(buffers->memory, buffers->size);
    *buffers = SurfaceBuffers{};
}

WaylandBuffer* FreeBuffer(SurfaceBuffers* buffers) {
    for (WaylandBuffer& buffer : buffers->buffers)
        if (buffer.buffer != nullptr && !buffer.busy) return &buffer;
    return nullptr;
}

void NoteChangedBand(SurfaceBuffers* buffers, const FrameBand& band) {
    if (band.bottom <= band.top || band.right <= band.left) return;
    for (WaylandBuffer& buffer : buffers->buffers) MarkStale(&buffer, band);
    buffers->sinceCommit.Add(band);
}

void BringBufferUpToFrame(const SurfaceBuffers& buffers, WaylandBuffer* buffer,
                          const FrameView& frame) {
    // XRGB8888, little-endian: blue, green, red, then a byte the compositor ignores.
    MaskedFormat xrgb;
    xrgb.red = 0xFF0000;
    xrgb.green = 0xFF00;
    xrgb.blue = 0xFF;
    xrgb.alpha = 0xFF000000;
    xrgb.bytesPerPixel = 4;
    for (int32_t y = buffer->staleTop; y < buffer->staleBottom; ++y) {
        RowSpan& span = buffer->stale[static_cast<size_t>(y)];
        if (span.end > span.first)
            ConvertFrameBand(frame, FrameBand{y, y + 1, span.first, span.end}, buffer->pixels,
                             buffers.pitch, xrgb);
        span = RowSpan{0, 0};
    }
    buffer->staleTop = buffer->staleBottom = 0;
}
