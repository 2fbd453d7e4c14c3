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

  private:
    uint64_t tickPeriod = 0;
    uint64_t due = 0;
};
