// The fixed pool of trails an animation owns. Only the first slots, as many as its trail count
// (at most the pool's size), are ever set up and drawn.
#pragma once

#include <cstdint>

#include "trails/random.h"
#include "trails/setting_limits.h"
#include "trails/trail.h"

constexpr uint32_t MaxTrails = MaxTrailCount;

// Sets up pool[0 .. trailCount-1] in order, each 8 points 100 units ahead of the viewer, a random
// heading (yaw drawn first from random) and a target 300 units ahead. A count above the pool's
// size sets up the whole pool (MaxTrails slots) and no more.
void InitTrails(Trail* pool, uint32_t trailCount, RandomGenerator& random);

// The number of pool slots a stored trail count may use.
inline uint32_t UsableTrailCount(uint32_t trailCount) {
    return trailCount < MaxTrails ? trailCount : MaxTrails;
}
