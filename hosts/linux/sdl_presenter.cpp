// The SDL2 presenter: a resizable desktop window (640x480 unless --size), or full screen with a
// window on every monitor (SDL's "displays"), each with an animation of its own at that
// monitor's size and the saver's exit rule over all of them (any closing input on any monitor
// ends every one).
// Frames are drawn straight into each window's own surface, SDL's copy of what the window shows,
// when its pixels are 32-bit (XRGB8888, ARGB8888 and the like; other formats get the changed
// bands of the animation's own frame converted), and only their changed bands are sent
// (SDL_UpdateWindowSurfaceRects); on X11 that is one MIT-SHM put per band, with no renderer in
// between. A window event (exposed, shown,
// restored...) brings the whole next frame; while every window is hidden or minimised the
// presenter waits for events and the animations pause. A new window size restarts that
// window's animation at that size, as a new saver window would. On X11 the scale is the
// display's Xft.dpi / 96, as for the Xlib presenter. With no display to show on it ends rather
// than run where nobody sees it; SIGHUP ends it as SIGINT and SIGTERM do.
#include <SDL.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <signal.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/exit_rule.h"
#include "hosts/linux/fps_overlay.h"
#include "hosts/linux/frame_loop.h"
#include "hosts/linux/pixel_conversion.h"
#include "hosts/linux/presenters.h"
#include "hosts/linux/window_image.h"
#include "hosts/linux/x11_scale.h"
#include "surface/frame.h"

namespace {

struct SdlWindow {
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;  // the window's; SDL makes a new one for a new size
    int width = 0;                   // of the animation
    int height = 0;
    MaskedFormat format;    // the surface's pixels
    uint8_t black[4] = {};  // the -fps shadow
    FpsOverlay fps;
};

struct SdlWindowPresenter {
    SdlWindow windows[MaxLoopWindows];
    int windowCount = 0;
    bool fullScreen = false;
    bool showFps = false;
    FullScreenExitRule rule;
    bool ruleStarted = false;  // the first motion event has given the start point
};

bool Hidden(const SdlWindow& window) {
    return (SDL_GetWindowFlags(window.window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0;
}

WindowImage ImageOf(const SdlWindow& window) {
    return WindowImage{static_cast<uint8_t*>(window.surface->pixels), window.width,  window.height,
                       static_cast<size_t>(window.surface->pitch),    window.format, window.black};
}

PixelMemory ImageMemoryOf(void* self, int index) {
    const SdlWindow& window = static_cast<const SdlWindowPresenter*>(self)->windows[index];
    // A surface that must be locked has its pixels only while locked.
    if (window.surface == nullptr || SDL_MUSTLOCK(window.surface)) return PixelMemory{};
    return ImageMemory(ImageOf(window));
}

ShowOutcome ShowFrame(void* self, int index, const FrameView& frame) {
    auto* presenter = static_cast<SdlWindowPresenter*>(self);
    SdlWindow* window = &presenter->windows[index];
    SDL_Surface* surface = window->surface;
    if (surface == nullptr || frame.header.biWidth != window->width ||
        frame.header.biHeight != window->height)
        return ShowOutcome::NotShown;
    if (Hidden(*window)) return ShowOutcome::NotShown;  // nothing of it would reach the screen
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return ShowOutcome::NotShown;
    FpsOverlay* fps = presenter->showFps ? &window->fps : nullptr;
    const WindowImage image = ImageOf(*window);
    FrameBand bands[MaxSentBands];
    const int32_t count = PrepareBands(frame, image, fps, bands);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (count == 0) return ShowOutcome::Shown;
    SDL_Rect rects[MaxSentBands];
    for (int32_t i = 0; i < count; ++i)
        rects[i] = SDL_Rect{bands[i].left, bands[i].top, bands[i].right - bands[i].left,
                            bands[i].bottom - bands[i].top};
    const bool sent = SDL_UpdateWindowSurfaceRects(window->window, rects, count) == 0;
    if (fps != nullptr && (!SDL_MUSTLOCK(surface) || SDL_LockSurface(surface) == 0)) {
        FinishBands(ImageOf(*window), fps);
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    }
    return sent ? ShowOutcome::Shown : ShowOutcome::NotShown;
}

// The window's surface at its current size; a new size goes into *news. Returns 0 when the
// window cannot be drawn into.
int TakeSurface(SdlWindow* window, WindowNews* news) {
    window->surface = SDL_GetWindowSurface(window->window);
    if (window->surface == nullptr) {
        std::fprintf(stderr, "tolva: cannot draw into the window: %s\n", SDL_GetError());
        return 0;
    }
    const SDL_PixelFormat& pixels = *window->surface->format;
    if (SDL_ISPIXELFORMAT_INDEXED(pixels.format) || SDL_ISPIXELFORMAT_FOURCC(pixels.format) ||
        pixels.BytesPerPixel < 1 || pixels.BytesPerPixel > 4) {
        std::fprintf(stderr, "tolva: cannot draw into a window of %s pixels\n",
                     SDL_GetPixelFormatName(pixels.format));
        return 0;
    }
    // SDL's packed pixels are values in the machine's own byte order.
    window->format =
        MaskedFormat{pixels.Rmask, pixels.Gmask,         pixels.Bmask,
                     pixels.Amask, pixels.BytesPerPixel, SDL_BYTEORDER == SDL_LIL_ENDIAN};
    // Opaque black in the surface's own layout, alpha included where it has one.
    OpaqueBlack(window->format, window->black);
    const int width = DrawableSide(window->surface->w);
    const int height = DrawableSide(window->surface->h);
    if (width == window->width && height == window->height) return 1;
    window->width = width;
    window->height = height;
    *news = WindowNews{true, true, width, height};
    return 1;
}

PointerButton ButtonOf(uint8_t sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT:
            return PointerButton::Left;
        case SDL_BUTTON_MIDDLE:
            return PointerButton::Middle;
        case SDL_BUTTON_RIGHT:
            return PointerButton::Right;
        default:
            return PointerButton::Other;
    }
}

int WindowIndex(const SdlWindowPresenter& presenter, Uint32 windowId) {
    for (int i = 0; i < presenter.windowCount; ++i)
        if (SDL_GetWindowID(presenter.windows[i].window) == windowId) return i;
    return -1;
}

// Returns what the event means for the loop.
LoopStep HandleEvent(const SDL_Event& event, SdlWindowPresenter* presenter, EventNews* news) {
    const bool fullScreen = presenter->fullScreen;
    FullScreenExitRule* rule = &presenter->rule;
    const auto stopIf = [](int ends) { return ends ? LoopStep::Stop : LoopStep::Continue; };
    switch (event.type) {
        case SDL_QUIT:
            return LoopStep::Stop;  // window closed, or SIGINT / SIGTERM
        case SDL_KEYDOWN:
            if (fullScreen) return stopIf(rule->OnKeyDown());
            return stopIf(event.key.keysym.sym == SDLK_ESCAPE);
        case SDL_MOUSEBUTTONDOWN:
            return stopIf(fullScreen && rule->OnButtonDown(ButtonOf(event.button.button)));
        case SDL_MOUSEMOTION: {
            const int index = WindowIndex(*presenter, event.motion.windowID);
            if (!fullScreen || index < 0) return LoopStep::Continue;
            // The start position is in global coordinates; a window on another monitor does
            // not stand at (0, 0).
            int windowX = 0;
            int windowY = 0;
            SDL_GetWindowPosition(presenter->windows[index].window, &windowX, &windowY);
            // SDL sends the first one as the pointer enters a window: where it stands. Its
            // global state at start may be stale (XWayland) or 0,0 (SDL's Wayland backend).
            if (!presenter->ruleStarted) {
                rule->Start(event.motion.x + windowX, event.motion.y + windowY);
                presenter->ruleStarted = true;
                return LoopStep::Continue;
            }
            return stopIf(rule->OnMotion(event.motion.x + windowX, event.motion.y + windowY));
        }
        case SDL_WINDOWEVENT: {
            const int index = WindowIndex(*presenter, event.window.windowID);
            if (index < 0) return LoopStep::Continue;
            // Exposed, shown, restored, resized...: what the window showed may be gone.
            news->windows[index].lostPicture = true;
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED &&
                !TakeSurface(&presenter->windows[index], &news->windows[index]))
                return LoopStep::Fail;
            return LoopStep::Continue;
        }
        default:
            return LoopStep::Continue;
    }
}

bool AllHidden(const SdlWindowPresenter& presenter) {
    for (int i = 0; i < presenter.windowCount; ++i)
        if (!Hidden(presenter.windows[i])) return false;
    return true;
}

void HandleEvents(void* self, int waitMilliseconds, EventNews* news) {
    auto* presenter = static_cast<SdlWindowPresenter*>(self);
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if ((news->step = HandleEvent(event, presenter, news)) != LoopStep::Continue) return;
    // Nothing to draw for: wait for the event that shows a window again (or ends the program).
    while (AllHidden(*presenter)) {
        if (!SDL_WaitEvent(&event)) return;
        if ((news->step = HandleEvent(event, presenter, news)) != LoopStep::Continue) return;
    }
    if (waitMilliseconds > 0 && SDL_WaitEventTimeout(&event, waitMilliseconds))
        news->step = HandleEvent(event, presenter, news);
}

void Close(SdlWindowPresenter* presenter) {
    for (int i = 0; i < presenter->windowCount; ++i)
        SDL_DestroyWindow(presenter->windows[i].window);  // and its surface
    presenter->windowCount = 0;
    SDL_ShowCursor(SDL_ENABLE);
    SDL_Quit();
}

// Full screen covers every monitor; a desktop window is one window.
int WindowCount(bool fullScreen) {
    if (!fullScreen) return 1;
    const int monitors = SDL_GetNumVideoDisplays();
    if (monitors < 1) return 1;
    return monitors > MaxLoopWindows ? MaxLoopWindows : monitors;
}

// SDL draws into a window's surface only in the pixel layouts it knows, and 10 bits a channel
// (a 30-bit screen) is none of them: there the window takes a visual of 8 bits a channel,
// which such a screen offers too (a 24-bit one, else the compositor's 32-bit one).
void ChooseWindowVisual(Display* display) {
    const int screen = DefaultScreen(display);
    if (DefaultVisual(display, screen)->bits_per_rgb <= 8) return;
    XVisualInfo wanted{};
    wanted.screen = screen;
    wanted.c_class = TrueColor;
    wanted.red_mask = 0xFF0000;
    wanted.green_mask = 0xFF00;
    wanted.blue_mask = 0xFF;
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display,
                                        VisualScreenMask | VisualClassMask | VisualRedMaskMask |
                                            VisualGreenMaskMask | VisualBlueMaskMask,
                                        &wanted, &count);
    const XVisualInfo* chosen = nullptr;
    for (int i = 0; i < count; ++i)
        if ((found[i].depth == 24 || found[i].depth == 32) &&
            (chosen == nullptr || found[i].depth < chosen->depth))
            chosen = &found[i];
    if (chosen != nullptr) {
        char id[24];
        std::snprintf(id, sizeof id, "0x%lx", static_cast<unsigned long>(chosen->visualid));
        SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, id);
    }
    if (found != nullptr) XFree(found);
}

// Xlib's handler of X errors from before SDL's, which ends the process on any error. Xlib's
// handlers take no user pointer, hence a variable of the process.
XErrorHandler fatalXErrorHandler = nullptr;

// While SDL waits for events, every event it takes from the X server also sends its own window
// a wake-up message, on a second connection of its own. When that event ends the viewer (Escape,
// the close box, a key in full screen), the window is destroyed at once, and the server may take
// the message after the window is gone: SDL would then read BadWindow as it closes that
// connection, and Xlib's handler would end a saver that was closing fine with exit code 1. A
// message to a window that is no more is harmless; every other error stays fatal.
int IgnoreLateWakeUps(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
    return fatalXErrorHandler != nullptr ? fatalXErrorHandler(display, error) : 0;
}

// SDL turns SIGINT and SIGTERM into a quit event, but not a hang-up, which would kill the
// process: it is made a SIGTERM, so that all three end the viewer alike.
void ForwardHangUp(int) {
    std::raise(SIGTERM);
}

// Starts SDL's video where someone can see it. Returns the display's scale (ScaleUnits: Xft.dpi
// on X11, else 1), or 0, said on stderr, when there is no display to draw on.
int32_t StartSdlVideo(const ViewerOptions& options) {
    // A saver that minimises itself when another window takes the focus shows nothing.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // SDL keeps the display awake by default; a saver must let it sleep.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // Wayland has no pointer warps; SDL makes one up by locking the pointer when a full-screen
    // window closes with the pointer hidden. tolva never warps, and sway 1.7 (wlroots 0.15)
    // crashes when the pointer it is asked to lock has just gone away (the last pointer device
    // unplugged as the saver ends).
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_EMULATE_MOUSE_WARP, "0");
    // Set before SDL's own, which hands every error on to it.
    const XErrorHandler before = XSetErrorHandler(IgnoreLateWakeUps);
    if (before != IgnoreLateWakeUps) fatalXErrorHandler = before;
    // SDL reads the X display's name from the environment alone.
    if (!options.displayName.empty()) setenv("DISPLAY", options.displayName.c_str(), 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "tolva: cannot open the display: %s\n", SDL_GetError());
        return 0;
    }
    // With no display it can reach, SDL falls back on a driver that shows nothing: a viewer
    // running where nobody sees it. Such a driver is used only when SDL_VIDEODRIVER names it.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (SDL_GetHint(SDL_HINT_VIDEODRIVER) == nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        SDL_Quit();
        ReportNoDisplay(std::getenv("DISPLAY"));
        return 0;
    }
    struct sigaction hangUp {};
    hangUp.sa_handler = ForwardHangUp;
    sigemptyset(&hangUp.sa_mask);
    sigaction(SIGHUP, &hangUp, nullptr);
    // SDL would otherwise back an X11 window's surface with a renderer's texture and present
    // all of it on every update; the X server's shared memory takes just the changed bands.
    int32_t displayScale = ScaleUnit;
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        // SDL's own DPI is the monitor's physical one, which desktops do not scale by; Xft.dpi
        // is what they set.
        if (Display* display = XOpenDisplay(nullptr)) {
            displayScale = XftScale(display);
            ChooseWindowVisual(display);
            XCloseDisplay(display);
        }
    }
    return displayScale;
}

// Opens count windows (full screen: one on each monitor) and starts each one's animation in
// loop. Returns 1, or 0, said on stderr, when one cannot be opened or drawn into.
int OpenWindows(SdlWindowPresenter* presenter, const ViewerOptions& options, int count,
                FrameLoop* loop) {
    const Uint32 flags =
        presenter->fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds{static_cast<int>(SDL_WINDOWPOS_CENTERED),
                        static_cast<int>(SDL_WINDOWPOS_CENTERED), options.width, options.height};
        // Full screen is a request to the window manager; without one (a bare X server, Xvfb)
        // a window keeps the place and size it was created with, so each is created over the
        // whole of its monitor.
        if (presenter->fullScreen && SDL_GetDisplayBounds(i, &bounds) != 0)
            bounds = SDL_Rect{0, 0, options.width, options.height};
        SdlWindow& window = presenter->windows[i];
        window.window = SDL_CreateWindow("TOLVA", bounds.x, bounds.y, bounds.w, bounds.h, flags);
        if (window.window == nullptr) {
            std::fprintf(stderr, "tolva: cannot create the window: %s\n", SDL_GetError());
            return 0;
        }
        presenter->windowCount = i + 1;
        WindowNews news;
        if (!TakeSurface(&window, &news)) return 0;
        loop->Start(i, window.width, window.height);  // a size it cannot draw shows black
    }
    return 1;
}

}  // namespace

int RunSdlViewer(const ViewerOptions& options, const AnimationStart& animation) {
    const int32_t displayScale = StartSdlVideo(options);
    if (displayScale == 0) return 1;
    SdlWindowPresenter presenter;
    presenter.fullScreen = options.mode == ViewerMode::FullScreen;
    presenter.showFps = options.showFps;
    const int count = WindowCount(presenter.fullScreen);
    FrameLoop loop(FrameLoopSettingsOf(options, animation, displayScale), count);
    int exitCode = 1;
    if (OpenWindows(&presenter, options, count, &loop)) {
        if (presenter.fullScreen) SDL_ShowCursor(SDL_DISABLE);
        exitCode =
            loop.Run(FramePresenter{&presenter, HandleEvents, ShowFrame, ImageMemoryOf}, nullptr);
    }
    Close(&presenter);
    return exitCode;
}
