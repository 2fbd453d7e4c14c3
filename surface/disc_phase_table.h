// Shuffle indices that spread one pixel (blue, green, red in the low bytes of every 32-bit
// lane, or in the low bytes of 64-bit lanes 0, 1 and 2) into whole rows of 3-byte pixels:
// row k gives the bytes of a run that starts at channel k, so a store at byte offset o of a
// run uses row (o mod 3).
#pragma once

#include <cstdint>

namespace {

struct PixelPhaseTable {
    alignas(64) uint8_t index[3][64];
    // The same rows for a whole-register byte permute of eight 64-bit lanes holding blue,
    // green and red: lane c's low byte is byte 8c.
    alignas(64) uint8_t laneIndex[3][64];
};

constexpr PixelPhaseTable MakePixelPhaseTable() {
    PixelPhaseTable table{};
    for (int phase = 0; phase < 3; ++phase) {
        for (int byte = 0; byte < 64; ++byte) {
            table.index[phase][byte] = static_cast<uint8_t>((phase + byte) % 3);
            table.laneIndex[phase][byte] = static_cast<uint8_t>(8 * ((phase + byte) % 3));
        }
    }
    return table;
}

constexpr PixelPhaseTable PixelPhases = MakePixelPhaseTable();

}  // namespace
