// The viewer's frame loop.
#include "hosts/linux/frame_loop.h"

#include <cstdint>
#include <cstdio>

#include "host/draw_path_choice.h"
#include "host/frame_pacer.h"
#include "host/hash_line.h"
#include "host/monotonic_clock.h"

namespace {

uint32_t ReadMonotonicMilliseconds(void*) {
    return MonotonicMilliseconds();
}

}  // namespace

ViewerLoop::ViewerLoop(const ViewerOptions& viewerOptions, uint32_t count, int32_t color)
    : options(viewerOptions), trailCount(count), colorMode(color) {
    animation.SetDrawPath(DrawPathFromEnvironment(nullptr));  // main has refused a bad name
    scriptedClock.stepMicroseconds = options.stepMicroseconds;
    if (options.hash)
        animation.SetMillisecondClock(ScriptedClock::Read, &scriptedClock);
    else
        animation.SetMillisecondClock(ReadMonotonicMilliseconds, nullptr);
    animation.SetFrameCopy(CopyFrame, this);
}

int ViewerLoop::Restart(int32_t width, int32_t height) {
    scriptedClock.frameIndex = 0;
    return animation.Start(width, height, trailCount, colorMode);
}

bool ViewerLoop::CopyFrame(void* self, const FrameView& frame) {
    auto* loop = static_cast<ViewerLoop*>(self);
    if (loop->options.hash) {
        PrintHashLine(stdout, loop->scriptedClock.frameIndex, frame);
        std::fflush(stdout);  // a test reads the lines while the viewer runs
    }
    loop->presented = loop->presenter->showFrame(loop->presenter->self, frame);
    return loop->presented == Presented::Shown;
}

int ViewerLoop::Run(const FramePresenter& framePresenter,
                    const volatile std::sig_atomic_t* stopRequested) {
    presenter = &framePresenter;
    FramePacer pacer;
    pacer.Start(MonotonicNanoseconds(), uint64_t{options.stepMicroseconds} * 1000u);
    uint32_t framesDrawn = 0;
    for (;;) {
        if (stopRequested != nullptr && *stopRequested) return 0;
        const uint64_t wait = pacer.WaitTime(MonotonicNanoseconds());
        // Whole milliseconds, rounded up so the frame is never early.
        const LoopStep step =
            presenter->handleEvents(presenter->self, static_cast<int>((wait + 999999u) / 1000000u));
        if (step != LoopStep::Continue) return step == LoopStep::Fail ? 1 : 0;
        if (pacer.WaitTime(MonotonicNanoseconds()) > 0) continue;
        presented = Presented::Shown;
        animation.RenderFrame();
        ++scriptedClock.frameIndex;
        pacer.FrameDrawn(MonotonicNanoseconds());
        // The window went away between two frames: nothing left to draw into.
        if (presented == Presented::WindowGone) return 0;
        if (presented == Presented::Failed) return 1;
        ++framesDrawn;
        if (options.frames != 0 && framesDrawn >= options.frames) return 0;
    }
}
