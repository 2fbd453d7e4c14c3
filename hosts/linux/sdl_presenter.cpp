// The SDL2 presenter: a resizable desktop window (640x480 unless --size) or full screen.
// Frames are drawn into the window's own surface, SDL's copy of what the window shows, and
// only their changed bands are converted and sent (SDL_UpdateWindowSurfaceRects); on X11 that
// is one MIT-SHM put per band, with no renderer in between. A window event (exposed, shown,
// restored...) brings the whole next frame; a hidden or minimised window is sent nothing while
// the animation goes on. A new window size restarts the animation at that size, as a new saver
// window would.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/exit_rule.h"
#include "host/fps_overlay.h"
#include "host/pixel_conversion.h"
#include "hosts/linux/frame_loop.h"
#include "hosts/linux/presenters.h"
#include "surface/frame.h"

namespace {

struct SdlScreen {
    SDL_Window* window = nullptr;
    SDL_Surface* surface = nullptr;  // the window's; SDL makes a new one for a new size
    int width = 0;                   // of the animation
    int height = 0;
    // Set for surfaces of 32-bit pixels 0x00RRGGBB; any other format goes through SDL.
    PixelRowConversion convert = nullptr;
    SDL_Rect sent[MaxChangedBands + 1];  // and the -fps corner
    ViewerLoop* loop = nullptr;
    bool fullScreen = false;
    FullScreenExitRule rule;
    FpsOverlay* fps = nullptr;  // null unless --fps
    uint8_t black[4] = {};      // the -fps shadow
};

// Brings the surface's pixels in band up to the frame's.
void ConvertBand(SdlScreen* screen, const FrameView& frame, const FrameBand& band) {
    SDL_Surface* surface = screen->surface;
    const int bytesPerPixel = surface->format->BytesPerPixel;
    auto* out = static_cast<uint8_t*>(surface->pixels) +
                static_cast<size_t>(band.top) * surface->pitch +
                static_cast<size_t>(band.left) * bytesPerPixel;
    if (screen->convert != nullptr) {
        ConvertFrameBand(frame, band, out, static_cast<size_t>(surface->pitch), screen->convert);
        return;
    }
    const size_t stride = FrameRowStride(frame.header);
    for (int y = band.top; y < band.bottom; ++y, out += surface->pitch) {
        SDL_ConvertPixels(band.right - band.left, 1, SDL_PIXELFORMAT_BGR24,
                          FramePixel(frame, band.left, y), static_cast<int>(stride),
                          surface->format->format, out, surface->pitch);
    }
}

Presented ShowFrame(void* self, const FrameView& frame) {
    auto* screen = static_cast<SdlScreen*>(self);
    SDL_Surface* surface = screen->surface;
    if (surface == nullptr || frame.header.biWidth != screen->width ||
        frame.header.biHeight != screen->height)
        return Presented::NotShown;
    if ((SDL_GetWindowFlags(screen->window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0) {
        return Presented::NotShown;  // nothing of it would reach the screen
    }
    if (frame.changedCount == 0 && screen->fps == nullptr) return Presented::Shown;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return Presented::NotShown;
    int sent = 0;
    for (int32_t i = 0; i < frame.changedCount; ++i) {
        const FrameBand& band = frame.changed[i];
        ConvertBand(screen, frame, band);
        screen->sent[sent++] =
            SDL_Rect{band.left, band.top, band.right - band.left, band.bottom - band.top};
    }
    if (screen->fps != nullptr) {
        // The text goes over the frame's own pixels, which come back first.
        const FrameBand corner = CornerTextBand(screen->width, screen->height);
        ConvertBand(screen, frame, corner);
        screen->fps->DrawOnFrame(static_cast<uint8_t*>(surface->pixels), screen->width,
                                 screen->height, static_cast<size_t>(surface->pitch),
                                 surface->format->BytesPerPixel, screen->black);
        if (corner.bottom > corner.top && corner.right > corner.left)
            screen->sent[sent++] = SDL_Rect{corner.left, corner.top, corner.right - corner.left,
                                            corner.bottom - corner.top};
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    return SDL_UpdateWindowSurfaceRects(screen->window, screen->sent, sent) == 0
               ? Presented::Shown
               : Presented::NotShown;
}

// The window's surface at its current size, and a fresh animation when the size is new.
int Restart(SdlScreen* screen) {
    screen->surface = SDL_GetWindowSurface(screen->window);
    if (screen->surface == nullptr) {
        std::fprintf(stderr, "tolva: cannot draw into the window: %s\n", SDL_GetError());
        return 0;
    }
    // Opaque black in the surface's own layout, alpha included where it has one.
    const uint8_t frameBlack[3] = {};
    SDL_ConvertPixels(1, 1, SDL_PIXELFORMAT_BGR24, frameBlack, 3, screen->surface->format->format,
                      screen->black, 4);
    screen->convert = screen->surface->format->format == SDL_PIXELFORMAT_RGB888
                          ? BestPixelConversion().convert
                          : nullptr;
    int width = screen->surface->w;
    int height = screen->surface->h;
    if (width > INT16_MAX) width = INT16_MAX;
    if (height > INT16_MAX) height = INT16_MAX;
    if (width == screen->width && height == screen->height) return 1;
    screen->width = width;
    screen->height = height;
    screen->loop->Restart(width, height);
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

// Returns 1 when the event ends the viewer.
int HandleEvent(const SDL_Event& event, SdlScreen* screen, int* failed) {
    const bool fullScreen = screen->fullScreen;
    FullScreenExitRule* rule = &screen->rule;
    switch (event.type) {
        case SDL_QUIT:
            return 1;  // window closed, or SIGINT / SIGTERM
        case SDL_KEYDOWN:
            if (fullScreen) return rule->OnKeyDown();
            return event.key.keysym.sym == SDLK_ESCAPE ? 1 : 0;
        case SDL_MOUSEBUTTONDOWN:
            return fullScreen ? rule->OnButtonDown(ButtonOf(event.button.button)) : 0;
        case SDL_MOUSEMOTION: {
            if (!fullScreen) return 0;
            // The start position is in screen coordinates; on a second monitor the
            // full-screen window does not stand at (0, 0).
            int windowX = 0;
            int windowY = 0;
            SDL_GetWindowPosition(screen->window, &windowX, &windowY);
            return rule->OnMotion(event.motion.x + windowX, event.motion.y + windowY);
        }
        case SDL_WINDOWEVENT:
            // Exposed, shown, restored, resized...: what the window showed may be gone.
            screen->loop->ShowWholeNextFrame();
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && !Restart(screen)) {
                *failed = 1;
                return 1;
            }
            return 0;
        default:
            return 0;
    }
}

LoopStep HandleEvents(void* self, int waitMilliseconds) {
    auto* screen = static_cast<SdlScreen*>(self);
    int failed = 0;
    SDL_Event event;
    if (waitMilliseconds > 0 && SDL_WaitEventTimeout(&event, waitMilliseconds) &&
        HandleEvent(event, screen, &failed))
        return failed ? LoopStep::Fail : LoopStep::Stop;
    while (SDL_PollEvent(&event)) {
        if (HandleEvent(event, screen, &failed)) return failed ? LoopStep::Fail : LoopStep::Stop;
    }
    return LoopStep::Continue;
}

void Close(SdlScreen* screen) {
    if (screen->window != nullptr) SDL_DestroyWindow(screen->window);  // and its surface
    *screen = SdlScreen{};
    SDL_ShowCursor(SDL_ENABLE);
    SDL_Quit();
}

}  // namespace

int RunSdlViewer(const ViewerOptions& options, uint32_t trailCount, int32_t colorMode) {
    const bool fullScreen = options.mode == ViewerMode::FullScreen;
    // A saver that minimises itself when another window takes the focus shows nothing.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // SDL keeps the display awake by default; a saver must let it sleep.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // SDL reads the X display's name from the environment alone.
    if (!options.displayName.empty()) setenv("DISPLAY", options.displayName.c_str(), 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "tolva: cannot open the display: %s\n", SDL_GetError());
        return 1;
    }
    // SDL would otherwise back an X11 window's surface with a renderer's texture and present
    // all of it on every update; the X server's shared memory takes just the changed bands.
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0)
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    ViewerLoop loop(options, trailCount, colorMode);
    SdlScreen screen;
    screen.loop = &loop;
    screen.fullScreen = fullScreen;
    FpsOverlay fps;
    if (options.showFps) screen.fps = &fps;
    const Uint32 flags = fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
    int width = options.width;
    int height = options.height;
    SDL_Rect display{};
    // Full screen is a request to the window manager; without one (a bare X server, Xvfb) the
    // window keeps the size it was created with, so it is created as large as the screen.
    if (fullScreen && SDL_GetDisplayBounds(0, &display) == 0) {
        width = display.w;
        height = display.h;
    }
    screen.window = SDL_CreateWindow("TOLVA", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                     height, flags);
    if (screen.window == nullptr) {
        std::fprintf(stderr, "tolva: cannot create the window: %s\n", SDL_GetError());
        Close(&screen);
        return 1;
    }
    if (!Restart(&screen)) {
        Close(&screen);
        return 1;
    }
    if (fullScreen) {
        int x = 0;
        int y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        screen.rule.Start(x, y);
        SDL_ShowCursor(SDL_DISABLE);
    }
    const int exitCode = loop.Run(FramePresenter{&screen, HandleEvents, ShowFrame}, nullptr);
    Close(&screen);
    return exitCode;
}
