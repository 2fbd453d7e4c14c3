// The pixel formats of window systems' images, described by their channel masks as X11 visuals
// and SDL surfaces give them. Where an image's pixels are one of the core's layouts, the
// animation draws straight into the image; every other image (16-bit, 30-bit, odd masks) is the
// fallback, and gets the changed bands of the animation's own 24-bit frame converted pixel by
// pixel, here and nowhere else.
#pragma once

#include <cstddef>
#include <cstdint>

#include "surface/frame.h"
#include "surface/pixel_memory.h"

// A pixel of 1 to 4 bytes holding a value whose colour bits the masks pick out; the bits that
// are no colour are alpha where the image has one (all set: opaque) and ignored otherwise.
struct MaskedFormat {
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
    uint32_t alpha = 0;
    int bytesPerPixel = 0;
    bool lsbFirst = true;  // the value's low byte first in memory
};

// Whether the format's pixels are those of one of the core's layouts (the fourth byte of a
// 32-bit pixel alpha or unused), and which.
bool LayoutOfFormat(const MaskedFormat& format, PixelLayout* layout);

// Opaque black in the format, its bytesPerPixel bytes in memory order.
void OpaqueBlack(const MaskedFormat& format, uint8_t black[4]);

// Converts the band of frame into the same rectangle of an image of the format whose top row
// starts at image, rows pitch bytes apart. A channel is scaled to its mask's width by its top
// bits.
void ConvertFrameBand(const FrameView& frame, const FrameBand& band, uint8_t* image, size_t pitch,
                      const MaskedFormat& format);
