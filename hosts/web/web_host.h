// The web page's side of the animation: what the WebAssembly module exports to the page's
// script. The page holds one WebHost (made by tolva_create) and passes it to every call, so the
// module keeps no state of its own.
//
// Implemented: the animation at any size up to WebMaxSide, stepped by the page's clock or by the
// scripted clock of the hash mode; each frame drawn straight into a persistent top-down RGBA
// image that the page hands to putImageData over the module's memory, band by changed band; the
// frame hash lines; the full-screen exit rule, fed with the browser's input.
#pragma once

#include <cstdint>

#include "host/exit_rule.h"
#include "host/pace.h"
#include "surface/frame.h"
#include "trails/animation.h"
#include "trails/frame_seams.h"

// No page may ask for a larger surface, whatever its query says.
constexpr int32_t WebMaxSide = 8192;

// tolva_start's flags.
constexpr int32_t WebScriptedClock = 1;  // frame n reads start + 5n ms, as tolva-render's do
constexpr int32_t WebKeepImage = 2;      // draw into an RGBA image for a canvas

struct WebHost {
    Animation animation;
    FrameView frame{};
    ScriptedClock scripted;
    bool useScripted = false;
    uint32_t pageClock = 0;
    uint32_t framesDrawn = 0;
    uint8_t* image = nullptr;  // width * height RGBA pixels, top row first, or null
    FullScreenExitRule exitRule;
    char hashLine[40] = "";
};

extern "C" {
WebHost* tolva_create();
// Starts afresh at width x height (1..WebMaxSide each), with the user's two settings and scale
// (in ScaleUnits), as every host fills an AnimationStart: the page's script passes its one
// start object's fields here, in this order. Returns 1, or 0 when the memory cannot be had. The
// page must take new views of the memory after this call: it may have grown.
int32_t tolva_start(WebHost* host, int32_t width, int32_t height, uint32_t trailCount,
                    int32_t colorMode, uint32_t clockStart, int32_t flags, int32_t scale);
// Draws the next frame with the page's clock at clockMs (ignored under the scripted clock), into
// the image when there is one, and returns the count of its changed bands.
int32_t tolva_step(WebHost* host, uint32_t clockMs);
// The last frame's changed bands, as FrameBand (top, bottom, left, right).
const FrameBand* tolva_bands(WebHost* host);
uint8_t* tolva_image(WebHost* host);
// The last frame's "INDEX HASH\n" line, as tolva-render prints it.
const char* tolva_hash_line(WebHost* host);
const char* tolva_draw_path(WebHost* host);

void tolva_exit_start(WebHost* host, int32_t screenX, int32_t screenY);
// Each returns 1 when the input ends full screen. button is a DOM MouseEvent.button.
int32_t tolva_exit_on_key(WebHost* host);
int32_t tolva_exit_on_button(WebHost* host, int32_t button);
int32_t tolva_exit_on_motion(WebHost* host, int32_t screenX, int32_t screenY);
}
