// The viewer's one frame loop, which the SDL and the Xlib presenters plug into: it owns the
// animation, its clock (the real one, or with --hash the scripted one tolva-render reads) and
// the pacing of one frame per tick, and asks the presenter only to handle its window system's
// events and to show finished frames.
#pragma once

#include <csignal>
#include <cstdint>

#include "host/pace.h"
#include "hosts/linux/viewer_options.h"
#include "trails/animation.h"

enum class LoopStep { Continue, Stop, Fail };
// What became of a frame handed to a presenter. NotShown (a hidden window, a failed put) makes
// the next frame whole; WindowGone stops the loop with exit code 0, Failed with 1.
enum class Presented { Shown, NotShown, WindowGone, Failed };

struct FramePresenter {
    void* self;
    // Waits at most waitMilliseconds (0: only looks) for events and handles them; a new window
    // size calls ViewerLoop::Restart. Stop ends the loop with exit code 0, Fail with 1.
    LoopStep (*handleEvents)(void* self, int waitMilliseconds);
    // Shows a finished frame.
    Presented (*showFrame)(void* self, const FrameView& frame);
};

class ViewerLoop {
  public:
    // trailCount and colorMode as loaded (and overridden by the command line).
    ViewerLoop(const ViewerOptions& options, uint32_t trailCount, int32_t colorMode);
    ViewerLoop(const ViewerLoop&) = delete;
    ViewerLoop& operator=(const ViewerLoop&) = delete;

    // Starts the animation afresh at the window's size, as a new saver window would; with
    // --hash the frame index (and the scripted clock) start again at 0. Returns 1, or 0 when
    // the frames could not be had at that size.
    int Restart(int32_t width, int32_t height);
    // The next frame reaches the presenter as changed everywhere: its window lost what it
    // showed (exposed, restored).
    void ShowWholeNextFrame() { animation.ShowWholeNextFrame(); }

    // Draws a frame every tick until the presenter or --frames stops it, or a stop signal
    // arrives (stopRequested, when not null, set from a signal handler). Returns the exit code.
    int Run(const FramePresenter& presenter, const volatile std::sig_atomic_t* stopRequested);

  private:
    static bool CopyFrame(void* loop, const FrameView& frame);

    const ViewerOptions& options;
    uint32_t trailCount;
    int32_t colorMode;
    Animation animation;
    ScriptedClock scriptedClock;
    const FramePresenter* presenter = nullptr;
    Presented presented = Presented::Shown;
};
