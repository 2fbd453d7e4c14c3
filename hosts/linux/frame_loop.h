// The Linux program's frame loop, for its three presenters (SDL2, Xlib, Wayland): one animation
// per window, its clock (the real one, or with the hash lines the scripted one tolva-render
// reads) and one frame per step for every window. A presenter plugs in its functions; what they
// find goes back as answers, never as calls into the loop: showing a frame says whether it was
// shown, the event handling what became of the windows, and the image memory where the next
// frame is drawn.
#pragma once

#include <csignal>
#include <cstdint>

#include "host/pace.h"
#include "surface/pixel_memory.h"
#include "trails/animation.h"

// One window a monitor is the most a desktop has in practice; more are drawn as this many.
constexpr int MaxLoopWindows = 8;
// A window that draws only when its window system asks for a frame draws at most this many
// steps in a row when it is asked, the steps that fell due meanwhile.
constexpr uint32_t MaxCatchUpSteps = 4;
// The most bands a window is shown between two of its frames: every caught-up step's changed
// bands and the -fps corner.
constexpr int32_t MaxCatchUpBands = MaxCatchUpSteps * MaxChangedBands + 1;

enum class LoopStep { Continue, Stop, Fail };
// What became of a frame handed to a presenter. NotShown (a hidden window, a failed put) makes
// the next frame whole; WindowGone stops the loop with exit code 0, Failed with 1.
enum class ShowOutcome { Shown, NotShown, WindowGone, Failed };

// What a presenter's event handling found out about one window.
struct WindowNews {
    bool lostPicture = false;  // exposed, restored, seen again: the next frame goes out whole
    bool resized = false;      // the animation starts afresh at width x height
    int32_t width = 0;
    int32_t height = 0;
    int32_t scale = 0;  // with resized: the scale to draw at (ScaleUnits); 0: the loop's own
};

// What a presenter's event handling found out: whether the loop goes on (Stop ends it with exit
// code 0, Fail with 1), and each window's news.
struct EventNews {
    LoopStep step = LoopStep::Continue;
    WindowNews windows[MaxLoopWindows];
};

struct FramePresenter {
    void* self;
    // Handles the events that are there, then waits at most waitMilliseconds (0: only looks;
    // -1: no time-out, while no window wants a frame) for more. While nothing of any window
    // can be seen it waits for events with no time-out instead, so that the animation pauses
    // rather than draw frames nobody sees.
    void (*handleEvents)(void* self, int waitMilliseconds, EventNews* news);
    // Shows a finished frame of window index's animation.
    ShowOutcome (*showFrame)(void* self, int index, const FrameView& frame);
    // The memory window index's next frame is drawn into: its image, where the animation can
    // draw the image's layout, so that the frame needs no conversion; else empty memory (null
    // topRow), and the animation draws into its own surface, as it does when this is null.
    // Asked before every frame, so an image that went away is never drawn into, and a presenter
    // may hand buffers in turn.
    PixelMemory (*imageMemory)(void* self, int index) = nullptr;
    // For window systems that say when a window can take its next frame (Wayland's frame
    // callbacks); null: every window takes one every step. A window that cannot keeps the
    // steps that fall due meanwhile, at most MaxCatchUpSteps, and draws them in a row once it
    // can; while none can, the loop waits for events with no time-out.
    bool (*wantsFrame)(void* self, int index) = nullptr;
    // A frame drawn to catch up, which the next one follows at once: only its changed bands
    // need be noted. Null: showFrame.
    ShowOutcome (*passFrame)(void* self, int index, const FrameView& frame) = nullptr;
};

struct FrameLoopSettings {
    // Every window's animation: the trail count, the colour mode, the scale and the drawing
    // path; its size and seed are each window's own.
    AnimationStart animation;
    uint32_t stepMicroseconds = DefaultStepMicroseconds;
    // Debug: the first window's frames on the scripted clock, a hash line each on stdout.
    bool hash = false;
    uint32_t frames = 0;  // the loop ends after the first window drew this many; 0: never
    // The first window's place among the display's monitors (0: the primary, or a lone window).
    int firstMonitor = 0;
};

class FrameLoop {
  public:
    // windowCount (1..MaxLoopWindows) animations, each started from settings.animation. Window
    // i draws from MonitorSeed(firstMonitor + i): the primary's, or a lone window's, from
    // Animation::DesignSeed, the others from seeds of their own.
    FrameLoop(const FrameLoopSettings& settings, int windowCount);
    FrameLoop(const FrameLoop&) = delete;
    FrameLoop& operator=(const FrameLoop&) = delete;

    // Starts window index's animation afresh at its window's size, as a new saver window would,
    // at drawScale (0: the settings' own); with hash lines the frame index (and the scripted clock)
    // start again at 0. Returns 1, or 0 when the frames could not be had at that size.
    int Start(int index, int32_t width, int32_t height, int32_t drawScale = 0);

    // Draws a frame of every window each step until the presenter or the frame limit stops it,
    // or a stop signal arrives (stopRequested, when not null, set from a signal handler).
    // Returns the exit code.
    int Run(const FramePresenter& presenter, const volatile std::sig_atomic_t* stopRequested);

  private:
    struct LoopWindow {
        FrameLoop* loop = nullptr;
        int index = 0;
        Animation animation;
        ScriptedClock scriptedClock;
        ShowOutcome outcome = ShowOutcome::Shown;
        uint32_t dueSteps = 0;
        bool passing = false;  // the frame being drawn is one to catch up
    };
    // Draws the steps due in window index; returns 0 when a presenter answer ends the loop,
    // with the exit code in *exitCode.
    int DrawDueSteps(LoopWindow* window, int* exitCode);
    static bool ReceiveFrame(void* window, const FrameView& frame);

    FrameLoopSettings settings;
    int windowCount;
    const FramePresenter* presenter = nullptr;
    uint32_t firstWindowFrames = 0;
    LoopWindow windows[MaxLoopWindows];
};
