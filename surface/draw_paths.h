// The ways of drawing a frame's discs, in one table, best first. Every accumulated path walks
// the frame once and writes each pixel a single time with the row writer compiled for its
// instruction set (AVX-512, AVX2, SSE2, WebAssembly's SIMD128, or the scalar loop every build
// has); the reference path clears the surface and adds disc after disc with the surface's own
// operations, and is what the others are compared with byte for byte. Adding an instruction set
// is one entry here and one row-writer file.
//
// The processor is asked once. A host may force a path by name (host/draw_path_choice.h), for
// debugging and for benchmarks.
#pragma once

#include <cstddef>

#include "surface/row_writer_job.h"

using DiscRowWriter = void (*)(const RowWriterJob& job);

struct DrawPath {
    const char* name;
    // 1 when this build carries the path's code and the processor can run it.
    int (*supported)();
    // Null for the reference path, and for a path this build has no code for.
    DiscRowWriter writeRows;
};

constexpr int DrawPathCount = 6;
// Best first; the scalar path is the last accumulated one, the reference path the very last.
extern const DrawPath DrawPaths[DrawPathCount];

const DrawPath& ReferenceDrawPath();
const DrawPath& ScalarDrawPath();
inline bool IsReferencePath(const DrawPath& path) {
    return &path == &ReferenceDrawPath();
}

// The first supported accumulated path.
const DrawPath& BestDrawPath();
// The entry of that name, or null.
const DrawPath* FindDrawPath(const char* name);
