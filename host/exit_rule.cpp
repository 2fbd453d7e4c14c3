// The full-screen exit rule.
#include "host/exit_rule.h"

#include <cstdint>

#include "trails/fixed_point.h"

namespace {

constexpr uint16_t IgnoredMotions = 6;
constexpr int32_t StillDistance = 3;

// The saver sees positions as the unsigned 16-bit halves of a message parameter and compares
// the low 16 bits of the distance as a signed number; positions beyond 32767 pixels therefore
// wrap exactly as they do there.
bool MovedAway(int32_t saved, int32_t now) {
    const int32_t position = static_cast<uint16_t>(now);
    const int16_t distance =
        static_cast<int16_t>(static_cast<uint16_t>(WrapAbs(WrapSub(saved, position))));
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
