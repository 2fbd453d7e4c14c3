// PixelStore: the plain byte buffer under the raster surface, a block of equally long rows.
// It knows nothing of pixels or depths; RasterSurface lays an image over it. The buffer comes
// from the process heap, zeroed, and is owned until Release.
#pragma once

#include <cstdint>

class PixelStore {
  public:
    PixelStore() = default;
    ~PixelStore() { Release(); }
    PixelStore(const PixelStore&) = delete;
    PixelStore& operator=(const PixelStore&) = delete;

    // Gives the store a zeroed buffer of height rows of (widthBits + 7) / 8 bytes. Returns 0 and
    // changes nothing when either size is below 1; returns 0 with the store empty when the size
    // cannot be represented in memory or cannot be allocated.
    int Allocate(int32_t widthBits, int32_t height);
    void Release();
    uint8_t* GetBits() const { return buffer; }

  protected:
    int32_t widthBits = 0;
    int32_t rowCount = 0;
    int32_t bytesPerRow = 0;
    uint8_t* buffer = nullptr;
};
