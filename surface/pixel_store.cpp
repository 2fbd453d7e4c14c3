// PixelStore: plain heap rows, zeroed on allocation.
#include "surface/pixel_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

int PixelStore::Allocate(int32_t newWidthBits, int32_t newHeight) {
    if (newWidthBits < 1 || newHeight < 1) return 0;
    Release();
    // In 64 bits the product cannot overflow; a buffer that does not fit the address space
    // (or the signed offsets that rows are reached by) is refused rather than wrapped small.
    const int64_t rowBytes = (static_cast<int64_t>(newWidthBits) + 7) / 8;
    const uint64_t total = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(newHeight);
    if (total > static_cast<uint64_t>(PTRDIFF_MAX)) return 0;
    auto* bytes = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(total), 1));
    if (bytes == nullptr) return 0;
    widthBits = newWidthBits;
    rowCount = newHeight;
    bytesPerRow = static_cast<int32_t>(rowBytes);
    buffer = bytes;
    return 1;
}

void PixelStore::Release() {
    std::free(buffer);
    buffer = nullptr;
}
