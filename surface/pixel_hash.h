// FNV-1a (64-bit) over a surface's whole pixel store, height x stride bytes in memory order
// (bottom row first, row padding included). Every build must produce the same hash for the
// same frame; the headless renderer prints it and the tests compare it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "surface/raster_surface.h"

constexpr uint64_t HashOffsetBasis = 0xcbf29ce484222325ull;

// The hash of bytes that follow those hashed into hash (the offset basis: none).
inline uint64_t HashBytes(const uint8_t* bytes, size_t count, uint64_t hash = HashOffsetBasis) {
    for (size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

// An empty surface hashes as zero bytes, the offset basis.
inline uint64_t HashPixelStore(const RasterSurface& surface) {
    const uint8_t* bits = surface.GetBits();
    if (bits == nullptr) return HashBytes(nullptr, 0);
    return HashBytes(
        bits, static_cast<size_t>(surface.GetHeight()) * static_cast<size_t>(surface.GetStride()));
}
