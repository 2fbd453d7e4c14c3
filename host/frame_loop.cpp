// The frame loop of the hosts that wait for their own frames.
#include "host/frame_loop.h"

#include <cstdint>
#include <cstdio>

#include "host/draw_path_choice.h"
#include "host/frame_pacer.h"
#include "host/hash_line.h"
#include "host/monotonic_clock.h"
#include "host/window_seed.h"

namespace {

uint32_t ReadMonotonicMilliseconds(void*) {
    return MonotonicMilliseconds();
}

}  // namespace

FrameLoop::FrameLoop(const FrameLoopSettings& loopSettings, int count, uint32_t trails,
                     int32_t color, int32_t drawScale)
    : settings(loopSettings),
      windowCount(count < 1 ? 1 : (count > MaxLoopWindows ? MaxLoopWindows : count)),
      trailCount(trails),
      colorMode(color),
      scale(drawScale) {
    for (int i = 0; i < windowCount; ++i) {
        LoopWindow& window = windows[i];
        window.loop = this;
        window.index = i;
        window.animation.SetDrawPath(DrawPathFromEnvironment(nullptr));  // main refused a bad one
        window.scriptedClock.stepMicroseconds = settings.stepMicroseconds;
        if (settings.hash)
            window.animation.SetMillisecondClock(ScriptedClock::Read, &window.scriptedClock);
        else
            window.animation.SetMillisecondClock(ReadMonotonicMilliseconds, nullptr);
        window.animation.SetFrameCopy(CopyFrame, &window);
    }
}

int FrameLoop::Start(int index, int32_t width, int32_t height) {
    if (index < 0 || index >= windowCount) return 0;
    LoopWindow& window = windows[index];
    window.scriptedClock.frameIndex = 0;
    return window.animation.Start(width, height, trailCount, colorMode, MonitorSeed(index), scale);
}

bool FrameLoop::CopyFrame(void* self, const FrameView& frame) {
    auto* window = static_cast<LoopWindow*>(self);
    FrameLoop* loop = window->loop;
    if (loop->settings.hash && window->index == 0) {
        PrintHashLine(stdout, window->scriptedClock.frameIndex, frame);
        std::fflush(stdout);  // a test reads the lines while the program runs
    }
    window->presented = loop->presenter->showFrame(loop->presenter->self, window->index, frame);
    return window->presented == Presented::Shown;
}

int FrameLoop::Run(const FramePresenter& framePresenter,
                   const volatile std::sig_atomic_t* stopRequested) {
    presenter = &framePresenter;
    FramePacer pacer;
    pacer.Start(MonotonicNanoseconds(), uint64_t{settings.stepMicroseconds} * 1000u);
    uint32_t framesDrawn = 0;
    for (;;) {
        if (stopRequested != nullptr && *stopRequested) return 0;
        const uint64_t wait = pacer.WaitTime(MonotonicNanoseconds());
        EventNews news;
        // Whole milliseconds, rounded up so the frame is never early.
        presenter->handleEvents(presenter->self, static_cast<int>((wait + 999999u) / 1000000u),
                                &news);
        if (news.step != LoopStep::Continue) return news.step == LoopStep::Fail ? 1 : 0;
        for (int i = 0; i < windowCount; ++i) {
            const WindowNews& told = news.windows[i];
            if (told.resized) Start(i, told.width, told.height);
            if (told.lostPicture) windows[i].animation.ShowWholeNextFrame();
        }
        if (pacer.WaitTime(MonotonicNanoseconds()) > 0) continue;
        for (int i = 0; i < windowCount; ++i) {
            LoopWindow& window = windows[i];
            window.presented = Presented::Shown;
            window.animation.DrawInto(presenter->imageMemory(presenter->self, i));
            window.animation.RenderFrame();
            ++window.scriptedClock.frameIndex;
            // The window went away between two frames: nothing left to draw into.
            if (window.presented == Presented::WindowGone) return 0;
            if (window.presented == Presented::Failed) return 1;
        }
        pacer.FrameDrawn(MonotonicNanoseconds());
        ++framesDrawn;
        if (settings.frames != 0 && framesDrawn >= settings.frames) return 0;
    }
}
