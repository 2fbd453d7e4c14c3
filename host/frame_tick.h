// The frame timer every host runs the animation by, and the scripted clock that debug and
// headless runs read instead of the real one: frame n of a run reads start + 5n milliseconds,
// wrapping at 2^32 like the platform's count, so colour scheme 9 hashes alike everywhere.
#pragma once

#include <cstdint>

constexpr uint32_t FrameTickMilliseconds = 5;

struct ScriptedClock {
    uint32_t start = 0;
    uint32_t frameIndex = 0;  // the frame about to be drawn

    uint32_t Now() const { return start + FrameTickMilliseconds * frameIndex; }
    // As an animation's MillisecondClock, with the ScriptedClock as its user pointer.
    static uint32_t Read(void* clock) { return static_cast<const ScriptedClock*>(clock)->Now(); }
};
