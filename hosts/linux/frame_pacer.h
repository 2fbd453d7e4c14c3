// When the viewer draws its next frame. One animation step per tick, like the Windows saver's
// timer: a tick that falls due while a frame is still being drawn is merged into one, so a slow
// frame delays the animation instead of making it race to catch up. Times are nanoseconds of
// a monotonic clock, handed in by the caller.
#pragma once

#include <cstdint>

class FramePacer {
  public:
    void Start(uint64_t now, uint64_t period) {
        tickPeriod = period;
        due = now + period;
    }
    // How long to wait from now until the next frame is due; 0 when it is due.
    uint64_t WaitTime(uint64_t now) const { return now >= due ? 0 : due - now; }
    // Call when a frame is drawn at time now.
    void FrameDrawn(uint64_t now) {
        due += tickPeriod;
        if (due < now) due = now;  // late: draw the next one at once, but only one
    }

    // Takes the steps due at time now, at most `most` of them: 0 when none is due. Steps beyond
    // the most are dropped, so a window that could not draw for long catches up a little and
    // then delays the animation instead of racing.
    uint32_t TakeSteps(uint64_t now, uint32_t most) {
        if (now < due || most == 0) return 0;
        const uint64_t missed = (now - due) / tickPeriod + 1;
        const uint32_t steps = missed < most ? static_cast<uint32_t>(missed) : most;
        due += steps * tickPeriod;
        if (due < now) due = now;  // as FrameDrawn: at most one more at once
        return steps;
    }

  private:
    uint64_t tickPeriod = 0;
    uint64_t due = 0;
};
