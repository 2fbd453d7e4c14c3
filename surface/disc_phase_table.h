// Shuffle indices that spread one pixel (blue, green, red in the low bytes of every 32-bit
// lane) into whole rows of 3-byte pixels: row k gives the bytes of a run that starts at
// channel k, so any 64-byte store of a run uses row (offset mod 3).
#pragma once

#include <cstdint>

namespace {

struct PixelPhaseTable {
    alignas(64) uint8_t index[3][64];
};

constexpr PixelPhaseTable MakePixelPhaseTable() {
    PixelPhaseTable table{};
    for (int phase = 0; phase < 3; ++phase) {
        for (int byte = 0; byte < 64; ++byte) {
            table.index[phase][byte] = static_cast<uint8_t>((phase + byte) % 3);
        }
    }
    return table;
}

constexpr PixelPhaseTable PixelPhases = MakePixelPhaseTable();

}  // namespace
