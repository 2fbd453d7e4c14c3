// The drawing path every host's animations draw with: the best this build and processor run,
// unless TOLVA_DRAW=reference|scalar|sse2|avx2|avx512 in the environment forces one, for
// debugging and for benchmarks. The core only takes the path it is given; this is the one place
// that reads the variable, and each program reads it once, at start, and hands the path down
// with its animations' start (AnimationStart::drawPath).
#pragma once

#include <string>

#include "surface/draw_paths.h"

// The path TOLVA_DRAW names, else the best. When the variable names no path, or one this build
// or processor cannot run, returns the best and sets *error (when not null) to a one-line
// reason; otherwise *error is emptied.
const DrawPath& DrawPathFromEnvironment(std::string* error);
