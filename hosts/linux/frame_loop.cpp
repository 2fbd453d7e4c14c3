// The Linux program's frame loop.
#include "hosts/linux/frame_loop.h"

#include <cstdint>
#include <cstdio>

#include "host/hash_line.h"
#include "host/monitor_seed.h"
#include "hosts/linux/frame_pacer.h"
#include "hosts/linux/monotonic_clock.h"

namespace {

uint32_t ReadMonotonicMilliseconds(void*) {
    return MonotonicMilliseconds();
}

}  // namespace

FrameLoop::FrameLoop(const FrameLoopSettings& loopSettings, int count)
    : settings(loopSettings),
      windowCount(count < 1 ? 1 : (count > MaxLoopWindows ? MaxLoopWindows : count)) {
    for (int i = 0; i < windowCount; ++i) {
        LoopWindow& window = windows[i];
        window.loop = this;
        window.index = i;
        window.scriptedClock.stepMicroseconds = settings.stepMicroseconds;
        if (settings.hash)
            window.animation.SetMillisecondClock(ScriptedClock::Read, &window.scriptedClock);
        else
            window.animation.SetMillisecondClock(ReadMonotonicMilliseconds, nullptr);
        window.animation.SetFrameReceiver(ReceiveFrame, &window);
    }
}

int FrameLoop::Start(int index, int32_t width, int32_t height, int32_t drawScale) {
    if (index < 0 || index >= windowCount) return 0;
    LoopWindow& window = windows[index];
    window.scriptedClock.frameIndex = 0;
    AnimationStart start = settings.animation;
    start.width = width;
    start.height = height;
    start.seed = MonitorSeed(settings.firstMonitor + index);
    if (drawScale != 0) start.scale = drawScale;
    return window.animation.Start(start);
}

bool FrameLoop::ReceiveFrame(void* self, const FrameView& frame) {
    auto* window = static_cast<LoopWindow*>(self);
    FrameLoop* loop = window->loop;
    if (loop->settings.hash && window->index == 0) {
        PrintHashLine(stdout, window->scriptedClock.frameIndex, frame);
        std::fflush(stdout);  // a test reads the lines while the program runs
    }
    const FramePresenter& presenter = *loop->presenter;
    window->outcome = window->passing && presenter.passFrame != nullptr
                          ? presenter.passFrame(presenter.self, window->index, frame)
                          : presenter.showFrame(presenter.self, window->index, frame);
    return window->outcome == ShowOutcome::Shown;
}

int FrameLoop::DrawDueSteps(LoopWindow* window, int* exitCode) {
    for (; window->dueSteps > 0; --window->dueSteps) {
        // The first window's last frame goes out whole, however many steps were due.
        const bool last =
            window->index == 0 && settings.frames != 0 && firstWindowFrames + 1 >= settings.frames;
        window->outcome = ShowOutcome::Shown;
        window->passing = window->dueSteps > 1 && !last;
        const FramePresenter& shown = *presenter;
        window->animation.DrawInto(shown.imageMemory != nullptr
                                       ? shown.imageMemory(shown.self, window->index)
                                       : PixelMemory{});
        window->animation.RenderFrame();
        ++window->scriptedClock.frameIndex;
        // The window went away between two frames: nothing left to draw into.
        if (window->outcome == ShowOutcome::WindowGone || window->outcome == ShowOutcome::Failed) {
            *exitCode = window->outcome == ShowOutcome::Failed ? 1 : 0;
            return 0;
        }
        if (window->index == 0) ++firstWindowFrames;
        if (last) break;
    }
    window->dueSteps = 0;
    return 1;
}

int FrameLoop::Run(const FramePresenter& framePresenter,
                   const volatile std::sig_atomic_t* stopRequested) {
    presenter = &framePresenter;
    const auto wants = [&](int index) {
        return presenter->wantsFrame == nullptr || presenter->wantsFrame(presenter->self, index);
    };
    // Without a say from the window system, a late step is merged into the next.
    const uint32_t mostSteps = presenter->wantsFrame != nullptr ? MaxCatchUpSteps : 1;
    FramePacer pacer;
    pacer.Start(MonotonicNanoseconds(), uint64_t{settings.stepMicroseconds} * 1000u);
    firstWindowFrames = 0;
    for (;;) {
        if (stopRequested != nullptr && *stopRequested) return 0;
        bool anyWants = false;
        for (int i = 0; i < windowCount && !anyWants; ++i) anyWants = wants(i);
        const uint64_t wait = pacer.WaitTime(MonotonicNanoseconds());
        EventNews news;
        // Whole milliseconds, rounded up so the frame is never early.
        presenter->handleEvents(
            presenter->self, anyWants ? static_cast<int>((wait + 999999u) / 1000000u) : -1, &news);
        if (news.step != LoopStep::Continue) return news.step == LoopStep::Fail ? 1 : 0;
        if (stopRequested != nullptr && *stopRequested) return 0;  // taken while waiting
        for (int i = 0; i < windowCount; ++i) {
            const WindowNews& told = news.windows[i];
            if (told.resized) Start(i, told.width, told.height, told.scale);
            if (told.lostPicture) windows[i].animation.ShowWholeNextFrame();
        }
        const uint32_t steps = pacer.TakeSteps(MonotonicNanoseconds(), mostSteps);
        for (int i = 0; i < windowCount; ++i) {
            LoopWindow& window = windows[i];
            window.dueSteps += steps;
            if (window.dueSteps > mostSteps) window.dueSteps = mostSteps;
            if (!wants(i)) continue;
            int exitCode = 0;
            if (!DrawDueSteps(&window, &exitCode)) return exitCode;
        }
        if (settings.frames != 0 && firstWindowFrames >= settings.frames) return 0;
    }
}
