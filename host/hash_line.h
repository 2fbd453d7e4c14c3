// The "INDEX HASH" lines by which tolva-render, the viewer's --hash and the tests compare
// frames: the 0-based frame index in decimal, a space, and the 64-bit FNV-1a hash of the whole
// frame as 24-bit bottom-up rows (height rows of the header's stride, bottom row first, padding
// included, as zeros) as 16 lower-case hex digits, whatever layout it was drawn in. Scripts
// across builds parse these lines; the format never changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "trails/frame_seams.h"

uint64_t HashFrame(const FrameView& frame);

// Writes "INDEX HASH\n" into out (at least 28 bytes).
void FormatHashLine(uint32_t index, uint64_t hash, char* out, size_t size);

// Prints the frame's line to out. Returns 1, or 0 when the line could not be written.
int PrintHashLine(std::FILE* out, uint32_t index, const FrameView& frame);
