// Turning the frame's 24-bit pixels into the 32-bit pixels that X servers and SDL's window
// surfaces take (0xFFRRGGBB in the host's byte order: alpha opaque for a 32-bit visual), band by
// band, so that a presenter converts only what changed. The conversions are listed best first, each
// with the check that the processor can run it; the scalar one runs everywhere and is what the
// others are tested against.
#pragma once

#include <cstddef>
#include <cstdint>

#include "trails/frame_seams.h"

// Converts count pixels of three bytes (blue, green, red) at in to count 32-bit pixels at out.
using PixelRowConversion = void (*)(const uint8_t* in, uint32_t* out, int32_t count);

struct PixelConversion {
    const char* name;
    int (*supported)();
    PixelRowConversion convert;
};

constexpr int PixelConversionCount = 2;
extern const PixelConversion PixelConversions[PixelConversionCount];

// The first supported entry; the processor is asked once.
const PixelConversion& BestPixelConversion();

// Converts the band of a frame into top-down rows of 32-bit pixels, pitch bytes apart, whose
// first pixel, at out, is the band's top left one.
void ConvertFrameBand(const FrameView& frame, const FrameBand& band, uint8_t* out, size_t pitch,
                      PixelRowConversion convert);
