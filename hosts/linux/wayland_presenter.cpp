// The Wayland presenter of tolva: a desktop window, full screen with a surface on every output
// (each its own animation, the Windows saver's seeds, any closing input on any of them ending
// all), or a moving wallpaper on every output. Outputs that come or go while it runs get or lose
// their surface. Each surface draws only when the compositor asks for a frame, catching up at
// most a few steps of the pace, straight into the buffer that frame is committed in; so a
// surface the compositor does not show costs nothing: while none is asked for, the loop waits
// on the connection with no time-out. The stop signals (SIGTERM, SIGINT, SIGHUP) arrive through
// a signalfd beside the connection and end it with exit code 0.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>

#include "hosts/linux/frame_loop.h"
#include "hosts/linux/presenters.h"
#include "hosts/linux/wayland_connection.h"
#include "hosts/linux/wayland_decorations.h"
#include "hosts/linux/wayland_input.h"
#include "hosts/linux/wayland_surface.h"
#include "trails/setting_limits.h"

namespace {

struct WaylandPresenter {
    WaylandConnection connection;
    WaylandInput input;
    WaylandDecorations decorations;  // libdecor, for a window where the compositor draws none
    WaylandSurface surfaces[MaxLoopWindows];
    SurfaceRole role = SurfaceRole::Window;
    int32_t forcedScale = 0;  // --scale; 0: each output's own
    bool showFps = false;
    int signalFd = -1;
    // The compositor took the output's surface away: none again while the output stays.
    bool takenAway[MaxWaylandOutputs] = {};
};

// Full screen and the wallpaper: a surface for every output there is, none for one gone.
int FollowOutputs(WaylandPresenter* presenter) {
    WaylandConnection& connection = presenter->connection;
    connection.outputsChanged = false;
    for (int slot = 0; slot < MaxWaylandOutputs; ++slot) {
        const WaylandOutput& output = connection.outputs[slot];
        WaylandSurface& surface = presenter->surfaces[slot];
        if (output.name == 0) {
            // A window shown there is no longer.
            for (WaylandSurface& each : presenter->surfaces) each.enteredOutputs &= ~(1u << slot);
            presenter->takenAway[slot] = false;
            if (presenter->role != SurfaceRole::Window) DestroyWaylandSurface(&surface);
            continue;
        }
        if (presenter->role == SurfaceRole::Window || !output.ready || surface.surface != nullptr ||
            presenter->takenAway[slot])
            continue;
        const char* error = "";
        if (!CreateWaylandSurface(&surface, &connection, presenter->role, slot, 0, 0, nullptr,
                                  &error)) {
            std::fprintf(stderr, "tolva: %s\n", error);
            return 0;
        }
    }
    ForgetRemovedOutputs(&connection);
    return 1;
}

void HandleEvents(void* self, int waitMilliseconds, EventNews* news) {
    auto* presenter = static_cast<WaylandPresenter*>(self);
    bool signalled = false;
    if (!DispatchWayland(&presenter->connection, waitMilliseconds, presenter->signalFd,
                         &signalled)) {
        std::fprintf(stderr, "tolva: the connection to the compositor was lost\n");
        news->step = LoopStep::Fail;
        return;
    }
    if (signalled || presenter->input.ended) {
        news->step = LoopStep::Stop;
        return;
    }
    for (int i = 0; i < MaxLoopWindows; ++i) {
        WaylandSurface& surface = presenter->surfaces[i];
        if (surface.surface == nullptr || !surface.closed) continue;
        // Closing a window, or a full-screen one, ends tolva; a layer surface the compositor
        // takes away (its output going off) goes alone.
        if (surface.role == SurfaceRole::Window || surface.toplevel != nullptr) {
            news->step = LoopStep::Stop;
            return;
        }
        DestroyWaylandSurface(&surface);
        presenter->takenAway[i] = true;
    }
    if (presenter->connection.outputsChanged && !FollowOutputs(presenter)) {
        news->step = LoopStep::Fail;
        return;
    }
    for (int i = 0; i < MaxLoopWindows; ++i) {
        WaylandSurface& surface = presenter->surfaces[i];
        if (surface.surface == nullptr) continue;
        if (FitWaylandSurface(&surface, presenter->forcedScale, &news->windows[i]) < 0) {
            std::fprintf(stderr, "tolva: cannot allocate %dx%d buffers\n", surface.width,
                         surface.height);
            news->step = LoopStep::Fail;
            return;
        }
    }
}

bool WantsFrame(void* self, int index) {
    WaylandSurface& surface = static_cast<WaylandPresenter*>(self)->surfaces[index];
    return surface.surface != nullptr && WaylandSurfaceWantsFrame(&surface);
}

ShowOutcome ShowFrame(void* self, int index, const FrameView& frame) {
    auto* presenter = static_cast<WaylandPresenter*>(self);
    WaylandSurface& surface = presenter->surfaces[index];
    if (surface.surface == nullptr) return ShowOutcome::NotShown;
    const ShowOutcome outcome = CommitWaylandFrame(&surface, frame, presenter->showFps);
    wl_display_flush(presenter->connection.display);
    return outcome;
}

ShowOutcome PassFrame(void* self, int index, const FrameView& frame) {
    WaylandSurface& surface = static_cast<WaylandPresenter*>(self)->surfaces[index];
    if (surface.surface == nullptr) return ShowOutcome::NotShown;
    return NoteWaylandFrame(&surface, frame);
}

PixelMemory FrameMemory(void* self, int index) {
    WaylandSurface& surface = static_cast<WaylandPresenter*>(self)->surfaces[index];
    return surface.surface != nullptr ? WaylandFrameMemory(&surface) : PixelMemory{};
}

// The stop signals, blocked, readable from a descriptor instead.
int StopSignalFd() {
    sigset_t stops;
    sigemptyset(&stops);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stops, signal);
    sigprocmask(SIG_BLOCK, &stops, nullptr);
    return signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK);
}

int Run(WaylandPresenter* presenter, const ViewerOptions& options,
        const AnimationStart& animation) {
    WaylandConnection& connection = presenter->connection;
#if !TOLVA_LAYER_SHELL
    if (presenter->role == SurfaceRole::Background) {
        std::fprintf(stderr, "tolva: --background: this tolva was built without wlr-layer-shell\n");
        return 1;
    }
#endif
    presenter->signalFd = StopSignalFd();
    if (presenter->role != SurfaceRole::Background)
        StartWaylandInput(
            &presenter->input, &connection,
            presenter->role == SurfaceRole::FullScreen ? InputRule::FullScreen : InputRule::Escape);
    // A window is one surface; full screen and the wallpaper keep a place for every output.
    FrameLoop loop(FrameLoopSettingsOf(options, animation, ScaleUnit),
                   presenter->role == SurfaceRole::Window ? 1 : MaxLoopWindows);
    if (presenter->role == SurfaceRole::Window) {
#if TOLVA_LIBDECOR
        if (connection.decorations == nullptr && connection.wmBase != nullptr)
            LoadWaylandDecorations(&presenter->decorations, connection.display);
#endif
        const char* error = "";
        if (!CreateWaylandSurface(&presenter->surfaces[0], &connection, SurfaceRole::Window, -1,
                                  options.width, options.height, &presenter->decorations, &error)) {
            std::fprintf(stderr, "tolva: %s\n", error);
            return 1;
        }
    } else {
        if (presenter->role == SurfaceRole::Background && connection.layerShell == nullptr) {
            std::fprintf(stderr,
                         "tolva: --background needs a compositor with wlr-layer-shell, and this "
                         "one has none\n");
            return 1;
        }
        if (!FollowOutputs(presenter)) return 1;
    }
    return loop.Run(
        FramePresenter{presenter, HandleEvents, ShowFrame, FrameMemory, WantsFrame, PassFrame},
        nullptr);
}

}  // namespace

int RunWaylandViewer(const ViewerOptions& options, const AnimationStart& animation,
                     wl_display* display) {
    WaylandPresenter presenter;
    presenter.role = options.mode == ViewerMode::FullScreen   ? SurfaceRole::FullScreen
                     : options.mode == ViewerMode::Background ? SurfaceRole::Background
                                                              : SurfaceRole::Window;
    presenter.forcedScale = options.scale;
    presenter.showFps = options.showFps;
    const char* error = "";
    int exitCode = 1;
    if (BindWaylandGlobals(display, &presenter.connection, &error))
        exitCode = Run(&presenter, options, animation);
    else
        std::fprintf(stderr, "tolva: %s\n", error);
    for (WaylandSurface& surface : presenter.surfaces) DestroyWaylandSurface(&surface);
#if TOLVA_LIBDECOR
    UnloadWaylandDecorations(&presenter.decorations);
#endif
    StopWaylandInput(&presenter.input);
    DisconnectWayland(&presenter.connection);
    if (presenter.signalFd >= 0) close(presenter.signalFd);
    return exitCode;
}
