// The per-frame motion of a trail.
#include "trails/trail_discs.h"

#include <cstdint>

namespace {

constexpr int32_t SteerStep = 10;
constexpr double RetargetChance = 0.3;

}  // namespace

void MoveTrail(Trail& trail, int32_t width, int32_t height, RandomGenerator& random) {
    trail.Advance();
    trail.Steer(SteerStep);
    if (random.Random01() < RetargetChance) {
        const double r1 = random.Random01();
        const double r2 = random.Random01();
        const double r3 = random.Random01();
        trail.SetTarget(static_cast<int32_t>((r1 - 0.5) * width * 40.96),
                        static_cast<int32_t>((r2 - 0.5) * height * 40.96),
                        static_cast<int32_t>((r3 * 200 + 10) * 4096));
    }
}
