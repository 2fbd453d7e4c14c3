// The SDL2 presenter: a resizable desktop window (640x480 unless --size) or full screen.
// Each finished frame goes into one streaming texture whose rows are copied in reverse
// order (the surface is bottom-up), so presenting allocates nothing per frame. A new window
// size restarts the animation at that size, as a new saver window would.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "surface/bitmap_header.h"
#include "tools/common/exit_rule.h"
#include "tools/viewer/fps_overlay.h"
#include "tools/viewer/frame_loop.h"
#include "tools/viewer/presenters.h"

namespace {

struct SdlScreen {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    ViewerLoop* loop = nullptr;
    bool fullScreen = false;
    FullScreenExitRule rule;
    FpsOverlay* fps = nullptr;  // null unless --fps
};

LoopStep ShowFrame(void* self, const FrameView& frame) {
    auto* screen = static_cast<SdlScreen*>(self);
    const int width = frame.header.biWidth;
    const int height = frame.header.biHeight;
    const uint8_t* bits = frame.bits;
    if (screen->texture == nullptr || width != screen->textureWidth ||
        height != screen->textureHeight)
        return LoopStep::Continue;
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(screen->texture, nullptr, &pixels, &pitch) != 0) return LoopStep::Continue;
    const size_t stride = FrameRowStride(frame.header);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    auto* out = static_cast<uint8_t*>(pixels);
    for (int y = 0; y < height; ++y)
        std::memcpy(out + static_cast<size_t>(y) * static_cast<size_t>(pitch),
                    bits + static_cast<size_t>(height - 1 - y) * stride, rowBytes);
    if (screen->fps != nullptr)
        screen->fps->DrawOnFrame(out, width, height, static_cast<size_t>(pitch), 3);
    SDL_UnlockTexture(screen->texture);
    SDL_RenderCopy(screen->renderer, screen->texture, nullptr, nullptr);
    SDL_RenderPresent(screen->renderer);
    return LoopStep::Continue;
}

// A new texture and a fresh animation for the window's current size.
int Restart(SdlScreen* screen) {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(screen->window, &width, &height);
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    if (width > INT16_MAX) width = INT16_MAX;
    if (height > INT16_MAX) height = INT16_MAX;
    if (screen->texture != nullptr && width == screen->textureWidth &&
        height == screen->textureHeight)
        return 1;
    if (screen->texture != nullptr) SDL_DestroyTexture(screen->texture);
    // Bytes blue, green, red in memory order, the surface's own layout.
    screen->texture = SDL_CreateTexture(screen->renderer, SDL_PIXELFORMAT_BGR24,
                                        SDL_TEXTUREACCESS_STREAMING, width, height);
    if (screen->texture == nullptr) {
        std::fprintf(stderr, "tolva: cannot create a %dx%d texture: %s\n", width, height,
                     SDL_GetError());
        return 0;
    }
    screen->textureWidth = width;
    screen->textureHeight = height;
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
    if (screen->texture != nullptr) SDL_DestroyTexture(screen->texture);
    if (screen->renderer != nullptr) SDL_DestroyRenderer(screen->renderer);
    if (screen->window != nullptr) SDL_DestroyWindow(screen->window);
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
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "tolva: cannot open the display: %s\n", SDL_GetError());
        return 1;
    }
    ViewerLoop loop(options, trailCount, colorMode);
    SdlScreen screen;
    screen.loop = &loop;
    screen.fullScreen = fullScreen;
    FpsOverlay fps;
    if (options.showFps) screen.fps = &fps;
    const Uint32 flags = fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
    screen.window = SDL_CreateWindow("TOLVA", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                     options.width, options.height, flags);
    if (screen.window != nullptr) screen.renderer = SDL_CreateRenderer(screen.window, -1, 0);
    if (screen.renderer == nullptr) {
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
