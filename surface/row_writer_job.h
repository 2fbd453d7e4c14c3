// The job that the disc accumulator hands to a row writer: the recorded discs, the scratch the
// walk uses and the rows of the memory drawn into, and one row writer per accumulated drawing
// path, which writes every pixel layout. Each writer lives in its own file, compiled for its
// instruction set, and runs only when the processor has been found to support it
// (surface/draw_paths.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "surface/pixel_memory.h"

// Vector code is built for x86 only; every other processor draws with the scalar loop. The wide
// paths are left out of MinGW builds: GCC there cannot align the stack to 32 bytes, and a
// spilled AVX register would fault.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__)
#define TOLVA_X86_VECTORS 1
#else
#define TOLVA_X86_VECTORS 0
#endif
#if TOLVA_X86_VECTORS && defined(__x86_64__) && !defined(__MINGW32__) && defined(TOLVA_BUILD_WIDE)
#define TOLVA_WIDE_VECTORS 1
#else
#define TOLVA_WIDE_VECTORS 0
#endif
// WebAssembly modules built with -msimd128 -msse2: emscripten's SSE2 header turns the SSE2 row
// writer's intrinsics into SIMD128 instructions. A module without SIMD128 carries only the
// scalar loop, since a module holding any SIMD instruction fails to load where SIMD is missing.
#if defined(__wasm_simd128__) && defined(__SSE2__)
#define TOLVA_SIMD128_VECTORS 1
#else
#define TOLVA_SIMD128_VECTORS 0
#endif

// A disc as the accumulator keeps it until the frame is written.
struct AccumulatedDisc {
    int32_t centreX;
    int32_t centreY;
    int32_t firstRow;  // first and last rows on the surface that the disc covers
    int32_t lastRow;
    int32_t tableOffset;  // its radius's half-widths in the disc row table
    int32_t next;         // next disc that starts on the same row, or -1
    uint64_t colour;      // packed amounts, see PackedChannelBits
};

// Each channel of a running sum gets 21 bits: at most MaxDiscs (3200) amounts of at most 255
// meet on a pixel, 816,000 < 2^21, so the fields never carry into each other. Blue is the low
// field, then green, then red.
constexpr int PackedChannelBits = 21;
constexpr uint64_t PackedChannelMask = (uint64_t{1} << PackedChannelBits) - 1;

// A disc on the rows being written, copied out of its record so the walk over them reads one
// compact array.
struct ActiveDisc {
    int32_t centreX;
    int32_t centreY;
    int32_t lastRow;
    const uint16_t* halfWidths;  // the radius's row of the disc row table
    uint64_t colour;
};

// Where a row may hold lit pixels: columns first..end-1; every other pixel is black.
struct RowExtent {
    int32_t first;
    int32_t end;
};

struct RowWriterJob {
    uint8_t* topRow;  // first byte of row 0; row y starts pitch bytes after row y - 1
    ptrdiff_t pitch;
    PixelLayout layout;
    int32_t width;
    int32_t height;
    const uint16_t* halfWidths;  // the disc row table
    const AccumulatedDisc* discs;
    int32_t* rowHead;    // first disc starting on each row, -1 when none; left all -1
    ActiveDisc* active;  // scratch, one entry per disc
    RowExtent* extents;  // one per row, as the previous frame left the memory; updated
    uint64_t* delta;     // width + 1 packed differences, left all zero
    uint8_t* marks;      // 1 for each column that has a difference, a multiple of 64 long,
                         // left all zero
};

void WriteRowsScalar(const RowWriterJob& job);
#if TOLVA_X86_VECTORS
void WriteRowsSse2(const RowWriterJob& job);
#endif
#if TOLVA_SIMD128_VECTORS
void WriteRowsSimd128(const RowWriterJob& job);
#endif
#if TOLVA_WIDE_VECTORS
void WriteRowsAvx2(const RowWriterJob& job);
void WriteRowsAvx512(const RowWriterJob& job);
#endif
