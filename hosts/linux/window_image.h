// The steps every presenter of the frame loop takes between a finished frame and its window
// system's image, whatever that image is (an XImage, an SDL window surface): the size it can
// hold, whether the animation can draw straight into it, the fallback conversion of the changed
// bands where it cannot, and the -fps corner over them. A presenter keeps only its own way of
// sending.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hosts/linux/fps_overlay.h"
#include "hosts/linux/pixel_conversion.h"
#include "surface/frame.h"
#include "surface/pixel_memory.h"

// A window's side as the animation can draw it: sizes are kept in 16 signed bits.
int32_t DrawableSide(int32_t side);

// The image a presenter shows frames in.
struct WindowImage {
    uint8_t* pixels;  // the top row's first byte
    int32_t width;
    int32_t height;
    size_t pitch;
    MaskedFormat format;
    const uint8_t* black;  // opaque black in the image's own layout, for the -fps shadow
};

// The image as memory the animation draws straight into, or empty memory (null topRow) when its
// format is none of the core's layouts: the animation then draws into its own surface, and
// PrepareBands converts.
PixelMemory ImageMemory(const WindowImage& image);

// The most bands PrepareBands gives: the frame's changed bands and the -fps corner.
constexpr int32_t MaxSentBands = MaxChangedBands + 1;

// Brings the image up to the frame (converting the changed bands, unless the frame was drawn in
// the image itself), and with fps (null: none) writes the text over the corner. Writes the bands
// to send, none of them empty, into bands and returns how many; 0: nothing to send. Once they
// are sent, FinishBands puts the corner's pixels back.
int32_t PrepareBands(const FrameView& frame, const WindowImage& image, FpsOverlay* fps,
                     FrameBand bands[MaxSentBands]);
void FinishBands(const WindowImage& image, FpsOverlay* fps);
