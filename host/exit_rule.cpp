// The full-screen exit rule.
#include "host/exit_rule.h"

#include <cstdint>

#include "trails/fixed_point.h"

namespace {

constexpr uint16_t IgnoredMotions = 6;
constexpr int32_t StillDistance = 3;

// Both positions are signed virtual-screen coordinates, negative left of and above the primary
// monitor, and are compared as they are; only the distance is cut, its low 16 bits read as a
// signed number, as the saver has always read it.
bool MovedAway(int32_t saved, int32_t now) {
    const int16_t distance =
        static_cast<int16_t>(static_cast<uint16_t>(WrapAbs(WrapSub(saved, now))));
    return distance > StillDistance;
}

}  // namespace

void FullScreenExitRule::Start(int32_t pointerX, int32_t pointerY) {
    savedX = pointerX;
    savedY = pointerY;
    motionCount = 0;
}

int FullScreenExitRule::OnButtonDown(PointerButton button) const {
    return button == PointerButton::Left || button == PointerButton::Right ? 1 : 0;
}

int FullScreenExitRule::OnMotion(int32_t x, int32_t y) {
    ++motionCount;
    if (motionCount <= IgnoredMotions) return 0;
    return MovedAway(savedX, x) && MovedAway(savedY, y) ? 1 : 0;
}
