// The fixed pool of trails, built at static initialisation and kept for the whole process.
// Only the first TrailCount slots are ever set up and drawn.
#pragma once

#include <cstdint>

#include "trails/trail.h"

constexpr uint32_t MaxTrails = 80;

extern Trail TrailPool[MaxTrails];

// Sets up trails 0 .. count-1 in pool order, each 8 points 100 units ahead of the viewer,
// a random heading (yaw drawn first) and a target 300 units ahead. A count above the pool's
// size sets up the whole pool and no more.
void InitTrails(uint32_t count);

// The number of pool slots a stored trail count may use.
inline uint32_t UsableTrailCount(uint32_t count) {
    return count < MaxTrails ? count : MaxTrails;
}
