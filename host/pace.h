// The pace of every host, and the scripted clock that checks and headless runs read instead of
// the real one. Trails move one step a frame, so the step period is their speed: by default
// 15.625 ms, 64 steps a second, which is what the saver's 5 ms timer gives on today's Windows
// (timer messages come on the system clock's 15.625 ms tick). The Windows saver keeps that
// timer; every other host waits its step period between frames, XScreenSaver's "delay".
#pragma once

#include <cstdint>

constexpr uint32_t DefaultStepMicroseconds = 15625;
// A delay outside this range is refused on a command line and replaced by the default when
// stored: above 10 s the saver would look stopped.
constexpr uint32_t MinStepMicroseconds = 1;
constexpr uint32_t MaxStepMicroseconds = 10000000;

// The saver's timer period as its window asks for it, and the step of tolva-render's scripted
// clock unless it is told another.
constexpr uint32_t SaverTimerMilliseconds = 5;
constexpr uint32_t ScriptedStepMicroseconds = SaverTimerMilliseconds * 1000;

// Frame n of a run reads start + n steps, in whole milliseconds, wrapping at 2^32 like the
// platform's count, so colour scheme 9 hashes alike everywhere.
struct ScriptedClock {
    uint32_t start = 0;
    uint32_t frameIndex = 0;  // the frame about to be drawn
    uint32_t stepMicroseconds = ScriptedStepMicroseconds;

    uint32_t Now() const {
        return start + static_cast<uint32_t>(uint64_t{frameIndex} * stepMicroseconds / 1000);
    }
    // As an animation's MillisecondClock, with the ScriptedClock as its user pointer.
    static uint32_t Read(void* clock) { return static_cast<const ScriptedClock*>(clock)->Now(); }
};
