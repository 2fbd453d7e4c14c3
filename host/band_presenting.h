// The steps every presenter of the frame loop takes between a finished frame and its window
// system's image, whatever that image is (an XImage, an SDL window surface): the size it can
// hold, the changed bands to convert and send, and the -fps corner over them. A presenter keeps
// only its own conversion of one band and its own way of sending.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/fps_overlay.h"
#include "surface/frame.h"

// A window's side as the animation can draw it: sizes are kept in 16 signed bits.
int32_t DrawableSide(int32_t side);

// The image a presenter converts frames into.
struct PresentedImage {
    uint8_t* pixels;
    int32_t width;
    int32_t height;
    size_t pitch;
    int bytesPerPixel;
    const uint8_t* black;  // opaque black in the image's own layout, for the -fps shadow
};

// Brings the image's pixels in band up to the frame's.
using BandConversion = void (*)(void* presenter, const FrameView& frame, const FrameBand& band);

// The most bands PrepareBands gives: the frame's changed bands and the -fps corner.
constexpr int32_t MaxPresentedBands = MaxChangedBands + 1;

// Converts the frame's changed bands into the image, and with fps (null: none) the corner too:
// the frame's own pixels first, then the text over them. Writes the bands to send, none of
// them empty, into bands and returns how many; 0: nothing to send.
int32_t PrepareBands(const FrameView& frame, const PresentedImage& image, FpsOverlay* fps,
                     BandConversion convert, void* presenter, FrameBand bands[MaxPresentedBands]);
