// A surface's shared-memory buffers: a memfd pool of two, their release events, the choice of
// the one a frame goes into, and the -fps corner kept per buffer.
#include "hosts/linux/wayland_buffers.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "hosts/linux/fps_overlay.h"

namespace {

// Opaque black in XRGB8888's little-endian bytes, for the -fps shadow.
const uint8_t Black[4] = {0, 0, 0, 0xFF};

FrameBand Around(const FrameBand& a, const FrameBand& b) {
    return FrameBand{a.top < b.top ? a.top : b.top, a.bottom > b.bottom ? a.bottom : b.bottom,
                     a.left < b.left ? a.left : b.left, a.right > b.right ? a.right : b.right};
}

// The corner's rows from the buffer into its keep (toKeep), or back.
void CopyCorner(const SurfaceBuffers& buffers, WaylandBuffer* buffer, bool toKeep) {
    const FrameBand& band = buffer->cornerBand;
    const size_t rowBytes = static_cast<size_t>(band.right - band.left) * 4;
    for (int32_t y = band.top; y < band.bottom; ++y) {
        uint8_t* row = buffer->pixels + static_cast<size_t>(y) * buffers.pitch +
                       static_cast<size_t>(band.left) * 4;
        uint8_t* kept = buffer->underCorner.data() + static_cast<size_t>(y - band.top) * rowBytes;
        if (toKeep)
            std::memcpy(kept, row, rowBytes);
        else
            std::memcpy(row, kept, rowBytes);
    }
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
    for (int i = 0; i < BuffersPerSurface; ++i) {
        WaylandBuffer& buffer = buffers->buffers[i];
        buffer = WaylandBuffer{};
        buffer.buffer =
            wl_shm_pool_create_buffer(buffers->pool, static_cast<int32_t>(bufferSize * i), width,
                                      height, static_cast<int32_t>(pitch), WL_SHM_FORMAT_XRGB8888);
        wl_buffer_add_listener(buffer.buffer, &BufferListener, &buffer);
        buffer.pixels = buffers->memory + bufferSize * i;
    }
    buffers->sinceCommit.Clear();
    buffers->sinceCommit.Add(FrameBand{0, height, 0, width});
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

WaylandBuffer* NextFrameBuffer(SurfaceBuffers* buffers) {
    WaylandBuffer* next = nullptr;
    for (WaylandBuffer& buffer : buffers->buffers)
        if (buffer.buffer != nullptr && !buffer.busy &&
            (next == nullptr || buffer.commit > next->commit))
            next = &buffer;
    return next;
}

PixelMemory ReadyForDrawing(const SurfaceBuffers& buffers, WaylandBuffer* buffer) {
    if (buffer->cornerBand.bottom > buffer->cornerBand.top) {
        CopyCorner(buffers, buffer, false);
        buffer->cornerBand = FrameBand{};
    }
    PixelMemory memory;
    memory.topRow = buffer->pixels;
    memory.pitch = static_cast<ptrdiff_t>(buffers.pitch);
    memory.layout = PixelLayout::Bgra32;
    memory.width = buffers.width;
    memory.height = buffers.height;
    return memory;
}

WaylandBuffer* BufferOfFrame(SurfaceBuffers* buffers, const FrameView& frame) {
    if (frame.header.biWidth != buffers->width || frame.header.biHeight != buffers->height ||
        frame.layout != PixelLayout::Bgra32 ||
        frame.pitch != static_cast<ptrdiff_t>(buffers->pitch))
        return nullptr;
    for (WaylandBuffer& buffer : buffers->buffers)
        if (buffer.buffer != nullptr && !buffer.busy && FrameRow(frame, 0) == buffer.pixels)
            return &buffer;
    return nullptr;
}

void DrawFpsText(SurfaceBuffers* buffers, WaylandBuffer* buffer, const char* text) {
    const FrameBand band = CornerTextBand(buffers->width, buffers->height);
    buffer->cornerBand = band;
    // Sized once for a buffer; a frame allocates nothing after the first.
    buffer->underCorner.resize(static_cast<size_t>(band.right - band.left) * 4 *
                               static_cast<size_t>(band.bottom - band.top));
    CopyCorner(*buffers, buffer, true);
    DrawCornerText(text, buffer->pixels, buffers->width, buffers->height, buffers->pitch, 4, Black);
    // The text changes from frame to frame, and the other buffer holds none or an older one.
    buffers->sinceCommit.Add(band);
}
