// The drawing-path table and the one-time choice among its entries. The processor is asked
// through the compiler's feature query, so no platform call is needed.
#include "surface/draw_paths.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Always() {
    return 1;
}

#if TOLVA_X86_VECTORS
// SSE2 belongs to every x86 target we build (i686 is compiled with -msse2).
int HasSse2() {
    return 1;
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
// The library's query also checks that the system saves the wide registers.
int HasAvx2() {
    static const int has =
        (__builtin_cpu_init(), __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2"))
            ? 1
            : 0;
    return has;
}
int HasAvx512() {
    static const int has = (__builtin_cpu_init(), __builtin_cpu_supports("avx512f") &&
                                                      __builtin_cpu_supports("avx512bw") &&
                                                      __builtin_cpu_supports("avx512vbmi") &&
                                                      __builtin_cpu_supports("bmi2"))
                               ? 1
                               : 0;
    return has;
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
    {"avx512", HasAvx512, ResolveDiscsAvx512},    {"avx2", HasAvx2, ResolveDiscsAvx2},
#else
    {"avx512", HasAvx512, nullptr},
    {"avx2", HasAvx2, nullptr},
#endif
#if TOLVA_X86_VECTORS
    {"sse2", HasSse2, ResolveDiscsSse2},
#else
    {"sse2", HasSse2, nullptr},
#endif
#if TOLVA_SIMD128_VECTORS
    {"simd128", HasSimd128, ResolveDiscsSimd128},
#else
    {"simd128", HasSimd128, nullptr},
#endif
    {"scalar", Always, ResolveDiscsScalar},       {"reference", Always, nullptr},
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

const DrawPath& DefaultDrawPath(const char** error) {
    // Read once: every animation of the process draws alike, and the message is made once.
    static const char* reason = "";
    static const DrawPath* chosen = [] {
        static char message[160];
        const char* name = std::getenv("TOLVA_DRAW");
        if (name == nullptr || *name == '\0') return &BestDrawPath();
        const DrawPath* path = FindDrawPath(name);
        if (path == nullptr) {
            std::snprintf(message, sizeof message,
                          "TOLVA_DRAW: no drawing path '%.40s' (reference, scalar, simd128, sse2, "
                          "avx2, avx512)",
                          name);
        } else if (!path->supported()) {
            std::snprintf(message, sizeof message,
                          "TOLVA_DRAW: this build or processor cannot draw with '%s'", path->name);
        } else {
            return path;
        }
        reason = message;
        return &BestDrawPath();
    }();
    if (error != nullptr) *error = reason;
    return *chosen;
}
