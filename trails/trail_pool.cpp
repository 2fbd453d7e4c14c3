// The start state of an animation's trails.
#include "trails/trail_pool.h"

#include <cstdint>

void InitTrails(Trail* pool, uint32_t trailCount, RandomGenerator& random) {
    const uint32_t usable = UsableTrailCount(trailCount);
    for (uint32_t i = 0; i < usable; ++i) {
        Trail& trail = pool[i];
        trail.AllocPoints(8);
        trail.SetUnit(4096);
        trail.BuildTables(360);
        trail.SetActive(1);
        // Two draws per trail, yaw's first: part of the fixed random sequence.
        trail.SetYaw(static_cast<int32_t>(random.Random01() * 360.0));
        trail.SetPitch(static_cast<int32_t>(random.Random01() * 360.0));
        trail.SetSpeed(2048);                                              // half a unit per step
        for (int32_t k = 1; k <= 8; ++k) trail.SetPoint(k, 0, 0, 409600);  // 100 units ahead
        trail.SetTarget(0, 0, 1228800);                                    // 300 units ahead
    }
}
