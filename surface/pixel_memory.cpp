// PixelMemory: the checks of a host's memory, and the plain copy that the reference path uses
// to bring its frame into memory of another layout.
#include "surface/pixel_memory.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "surface/raster_surface.h"

bool HoldsPixels(const PixelMemory& memory, int32_t width, int32_t height) {
    if (memory.topRow == nullptr || width < 1 || height < 1) return false;
    if (memory.width != width || memory.height != height) return false;
    const ptrdiff_t rowBytes = ptrdiff_t{BytesOf(memory.layout).size} * width;
    return memory.pitch >= rowBytes || -memory.pitch >= rowBytes;
}

PixelMemory SurfacePixels(const RasterSurface& surface) {
    PixelMemory memory;
    if (surface.GetBitDepth() != 24 || surface.GetBits() == nullptr) return memory;
    memory.topRow = surface.RowPointer(0);
    memory.pitch = -static_cast<ptrdiff_t>(surface.GetStride());
    memory.layout = PixelLayout::Bgr24;
    memory.width = surface.GetWidth();
    memory.height = surface.GetHeight();
    return memory;
}

void CopySurfacePixels(const RasterSurface& surface, const PixelMemory& memory) {
    if (!HoldsPixels(memory, surface.GetWidth(), surface.GetHeight()) ||
        surface.GetBitDepth() != 24 || surface.GetBits() == nullptr)
        return;
    const PixelBytes bytes = BytesOf(memory.layout);
    for (int32_t y = 0; y < surface.GetHeight(); ++y) {
        const uint8_t* in = surface.RowPointer(y);
        uint8_t* out = memory.topRow + static_cast<ptrdiff_t>(y) * memory.pitch;
        if (memory.layout == PixelLayout::Bgr24) {
            std::memcpy(out, in, static_cast<size_t>(3) * static_cast<size_t>(surface.GetWidth()));
            continue;
        }
        for (int32_t x = 0; x < surface.GetWidth(); ++x, in += 3, out += bytes.size) {
            out[bytes.blue] = in[0];
            out[bytes.green] = in[1];
            out[bytes.red] = in[2];
            out[3] = 255;
        }
    }
}
