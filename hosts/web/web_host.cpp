// The web page's module: the animation, its frame receiver and clock, the RGBA image it draws into
// and the exit rule behind the functions the page's script calls.
#include "hosts/web/web_host.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "host/hash_line.h"
#include "surface/pixel_memory.h"

namespace {

// The page puts the bands once the step returns; a canvas always shows them.
bool KeepFrame(void* user, const FrameView& frame) {
    static_cast<WebHost*>(user)->frame = frame;
    return true;
}

uint32_t ReadPageClock(void* user) {
    return static_cast<const WebHost*>(user)->pageClock;
}

}  // namespace

extern "C" {

WebHost* tolva_create() {
    return new (std::nothrow) WebHost();
}

int32_t tolva_start(WebHost* host, int32_t width, int32_t height, uint32_t trailCount,
                    int32_t colorMode, uint32_t clockStart, int32_t flags, int32_t scale) {
    // Never to be drawn into again once freed.
    host->animation.Stop();
    std::free(host->image);
    host->image = nullptr;
    host->frame = FrameView{};
    host->framesDrawn = 0;
    host->scripted = ScriptedClock{clockStart, 0};
    host->useScripted = (flags & WebScriptedClock) != 0;
    if (width < 1 || width > WebMaxSide || height < 1 || height > WebMaxSide) return 0;
    AnimationStart start;
    start.width = width;
    start.height = height;
    start.trailCount = trailCount;
    start.colorMode = colorMode;
    start.scale = scale;
    if (!host->animation.Start(start)) return 0;
    if (host->useScripted)
        host->animation.SetMillisecondClock(ScriptedClock::Read, &host->scripted);
    else
        host->animation.SetMillisecondClock(ReadPageClock, host);
    host->animation.SetFrameReceiver(KeepFrame, host);
    if ((flags & WebKeepImage) != 0) {
        // Black and opaque, as the canvas shows it before the first frame.
        const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
        host->image = static_cast<uint8_t*>(std::malloc(bytes));
        if (host->image == nullptr) {
            host->animation.Stop();
            return 0;
        }
        for (size_t i = 0; i < bytes; i += 4) {
            host->image[i] = 0;
            host->image[i + 1] = 0;
            host->image[i + 2] = 0;
            host->image[i + 3] = 255;
        }
        PixelMemory memory;
        memory.topRow = host->image;
        memory.pitch = static_cast<ptrdiff_t>(width) * 4;
        memory.layout = PixelLayout::Rgba32;
        memory.width = width;
        memory.height = height;
        host->animation.DrawInto(memory);
    }
    return 1;
}

int32_t tolva_step(WebHost* host, uint32_t clockMs) {
    host->pageClock = clockMs;
    host->scripted.frameIndex = host->framesDrawn;
    host->frame.changedCount = 0;
    host->animation.RenderFrame();
    ++host->framesDrawn;
    return host->frame.changedCount;
}

const FrameBand* tolva_bands(WebHost* host) {
    return host->frame.changed;
}

uint8_t* tolva_image(WebHost* host) {
    return host->image;
}

const char* tolva_hash_line(WebHost* host) {
    if (host->frame.bits == nullptr || host->framesDrawn == 0) return "";
    FormatHashLine(host->framesDrawn - 1, HashFrame(host->frame), host->hashLine,
                   sizeof host->hashLine);
    return host->hashLine;
}

const char* tolva_draw_path(WebHost* host) {
    return host->animation.GetDrawPath().name;
}

void tolva_exit_start(WebHost* host, int32_t screenX, int32_t screenY) {
    host->exitRule.Start(screenX, screenY);
}

int32_t tolva_exit_on_key(WebHost* host) {
    return host->exitRule.OnKeyDown();
}

int32_t tolva_exit_on_button(WebHost* host, int32_t button) {
    // The DOM numbers buttons 0 left, 1 middle (the wheel), 2 right, then back and forward.
    const PointerButton pressed = button == 0   ? PointerButton::Left
                                  : button == 1 ? PointerButton::Middle
                                  : button == 2 ? PointerButton::Right
                                                : PointerButton::Other;
    return host->exitRule.OnButtonDown(pressed);
}

int32_t tolva_exit_on_motion(WebHost* host, int32_t screenX, int32_t screenY) {
    return host->exitRule.OnMotion(screenX, screenY);
}

}  // extern "C"
