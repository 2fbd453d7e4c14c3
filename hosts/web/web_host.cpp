// The web page's module: the animation, its frame copy and clock, the RGBA image and the exit
// rule behind the functions the page's script calls.
#include "hosts/web/web_host.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/hash_line.h"

namespace {

// The page converts and puts the bands once the step returns; a canvas always shows them.
bool KeepFrame(void* user, const FrameView& frame) {
    static_cast<WebHost*>(user)->frame = frame;
    return true;
}

uint32_t ReadPageClock(void* user) {
    return static_cast<const WebHost*>(user)->pageClock;
}

}  // namespace

void ConvertBandToRgba(const FrameView& frame, const FrameBand& band, uint8_t* image) {
    const auto width = static_cast<size_t>(frame.header.biWidth);
    for (int32_t y = band.top; y < band.bottom; ++y) {
        const uint8_t* in = FramePixel(frame, band.left, y);
        uint8_t* out =
            image + (static_cast<size_t>(y) * width + static_cast<size_t>(band.left)) * 4;
        // One 32-bit store a pixel: WebAssembly is little-endian, so red lands first.
        for (int32_t x = band.left; x < band.right; ++x, in += 3, out += 4) {
            const uint32_t pixel = 0xFF000000u | static_cast<uint32_t>(in[0]) << 16 |
                                   static_cast<uint32_t>(in[1]) << 8 | in[2];
            std::memcpy(out, &pixel, 4);
        }
    }
}

extern "C" {

WebHost* tolva_create() {
    return new (std::nothrow) WebHost();
}

int32_t tolva_start(WebHost* host, int32_t width, int32_t height, uint32_t trailCount,
                    int32_t colorMode, uint32_t clockStart, int32_t flags, int32_t scale) {
    std::free(host->image);
    host->image = nullptr;
    host->frame = FrameView{};
    host->framesDrawn = 0;
    host->scripted = ScriptedClock{clockStart, 0};
    host->useScripted = (flags & WebScriptedClock) != 0;
    if (width < 1 || width > WebMaxSide || height < 1 || height > WebMaxSide) return 0;
    if (!host->animation.Start(width, height, trailCount, colorMode, Animation::DesignSeed, scale))
        return 0;
    if (host->useScripted)
        host->animation.SetMillisecondClock(ScriptedClock::Read, &host->scripted);
    else
        host->animation.SetMillisecondClock(ReadPageClock, host);
    host->animation.SetFrameCopy(KeepFrame, host);
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
    }
    return 1;
}

int32_t tolva_step(WebHost* host, uint32_t clockMs) {
    host->pageClock = clockMs;
    host->scripted.frameIndex = host->framesDrawn;
    host->frame.changedCount = 0;
    host->animation.RenderFrame();
    ++host->framesDrawn;
    if (host->image != nullptr) {
        for (int32_t i = 0; i < host->frame.changedCount; ++i)
            ConvertBandToRgba(host->frame, host->frame.changed[i], host->image);
    }
    return host->frame.changedCount;
}

const uint8_t* tolva_frame(WebHost* host) {
    return host->frame.bits;
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
