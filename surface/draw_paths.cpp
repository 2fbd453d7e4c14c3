// The drawing-path table and the best of its entries.
#include "surface/draw_paths.h"

#include <cstring>

#include "surface/processor_features.h"

namespace {

int Always() {
    return 1;
}

// A path is supported where this build carries its row writer and the processor runs it.
#if TOLVA_X86_VECTORS
int HasSse2() {
    return ProcessorHasSse2();
}
#else
int HasSse2() {
    return 0;
}
#endif

// A WebAssembly module runs only where all of its instructions validate, so a module built with
// SIMD128 may always use it; the page loads the module without SIMD where it is missing.
#if TOLVA_SIMD128_VECTORS
int HasSimd128() {
    return 1;
}
#else
int HasSimd128() {
    return 0;
}
#endif

#if TOLVA_WIDE_VECTORS
int HasAvx2() {
    return ProcessorHasAvx2();
}
int HasAvx512() {
    return ProcessorHasAvx512();
}
#else
int HasAvx2() {
    return 0;
}
int HasAvx512() {
    return 0;
}
#endif

}  // namespace

const DrawPath DrawPaths[DrawPathCount] = {
#if TOLVA_WIDE_VECTORS
    {"avx512", HasAvx512, WriteRowsAvx512},    {"avx2", HasAvx2, WriteRowsAvx2},
#else
    {"avx512", HasAvx512, nullptr},      {"avx2", HasAvx2, nullptr},
#endif
#if TOLVA_X86_VECTORS
    {"sse2", HasSse2, WriteRowsSse2},
#else
    {"sse2", HasSse2, nullptr},
#endif
#if TOLVA_SIMD128_VECTORS
    {"simd128", HasSimd128, WriteRowsSimd128},
#else
    {"simd128", HasSimd128, nullptr},
#endif
    {"scalar", Always, WriteRowsScalar},       {"reference", Always, nullptr},
};

const DrawPath& ReferenceDrawPath() {
    return DrawPaths[DrawPathCount - 1];
}

const DrawPath& ScalarDrawPath() {
    return DrawPaths[DrawPathCount - 2];
}

const DrawPath& BestDrawPath() {
    static const DrawPath* best = [] {
        for (const DrawPath& path : DrawPaths) {
            if (path.writeRows != nullptr && path.supported()) return &path;
        }
        return &ScalarDrawPath();
    }();
    return *best;
}

const DrawPath* FindDrawPath(const char* name) {
    if (name == nullptr) return nullptr;
    for (const DrawPath& path : DrawPaths) {
        if (std::strcmp(path.name, name) == 0) return &path;
    }
    return nullptr;
}
