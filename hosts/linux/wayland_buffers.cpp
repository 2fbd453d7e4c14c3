// A surface's shared-memory buffers: a memfd pool of two, their release events, and the bands
// each still lacks.
#include "hosts/linux/wayland_buffers.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstddef>
#include <cstdint>

#include "host/pixel_conversion.h"

namespace {

bool Meet(const FrameBand& a, const FrameBand& b) {
    return a.top < b.bottom && b.top < a.bottom && a.left < b.right && b.left < a.right;
}

FrameBand Around(const FrameBand& a, const FrameBand& b) {
    return FrameBand{a.top < b.top ? a.top : b.top, a.bottom > b.bottom ? a.bottom : b.bottom,
                     a.left < b.left ? a.left : b.left, a.right > b.right ? a.right : b.right};
}

void BufferRelease(void* data, wl_buffer*) {
    static_cast<WaylandBuffer*>(data)->busy = false;
}

const wl_buffer_listener BufferListener = {BufferRelease};

}  // namespace

void BandSet::Add(const FrameBand& band) {
    if (band.bottom <= band.top || band.right <= band.left) return;
    FrameBand merged = band;
    // Each merge may make the box meet bands it missed before: look again from the start.
    for (int32_t i = 0; i < count;) {
        if (!Meet(bands[i], merged)) {
            ++i;
            continue;
        }
        merged = Around(bands[i], merged);
        bands[i] = bands[--count];
        i = 0;
    }
    if (count == MaxBandSetBands) {
        for (int32_t i = 0; i < count; ++i) merged = Around(bands[i], merged);
        count = 0;
    }
    bands[count++] = merged;
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
        buffer.stale.Add(whole);
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
    for (WaylandBuffer& buffer : buffers->buffers) buffer.stale.Add(band);
    buffers->sinceCommit.Add(band);
}

void BringBufferUpToFrame(const SurfaceBuffers& buffers, WaylandBuffer* buffer,
                          const FrameView& frame) {
    const PixelRowConversion convert = BestPixelConversion().convert;
    for (int32_t i = 0; i < buffer->stale.count; ++i) {
        const FrameBand& band = buffer->stale.bands[i];
        ConvertFrameBand(frame, band,
                         buffer->pixels + static_cast<size_t>(band.top) * buffers.pitch +
                             static_cast<size_t>(band.left) * 4,
                         buffers.pitch, convert);
    }
    buffer->stale.Clear();
}
