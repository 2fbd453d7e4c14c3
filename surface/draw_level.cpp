// Draw level choice: the compiler's processor-feature query, no platform call.
#include "surface/draw_level.h"

#include "surface/disc_resolve_levels.h"

namespace {

int currentLevel = -1;  // -1 until the processor has been asked

int ProcessorHas(DrawLevel level) {
    switch (level) {
        case DrawLevel::Plain:
            return 1;
#if TOLVA_X86_VECTORS
        // SSE2 belongs to every x86 target we build (i686 is compiled with -msse2).
        case DrawLevel::Sse2:
            return 1;
#endif
#if TOLVA_WIDE_VECTORS
        // The library's query also checks that the system saves the wide registers.
        case DrawLevel::Avx2:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") ? 1 : 0;
        case DrawLevel::Avx512:
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                           __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("bmi2")
                       ? 1
                       : 0;
#endif
        default:
            return 0;
    }
}

}  // namespace

int DrawLevelSupported(DrawLevel level) {
    return ProcessorHas(level);
}

DrawLevel BestDrawLevel() {
    for (int level = DrawLevelCount - 1; level > 0; --level) {
        if (ProcessorHas(static_cast<DrawLevel>(level))) return static_cast<DrawLevel>(level);
    }
    return DrawLevel::Plain;
}

DrawLevel CurrentDrawLevel() {
    if (currentLevel < 0) currentLevel = static_cast<int>(BestDrawLevel());
    return static_cast<DrawLevel>(currentLevel);
}

int SetDrawLevel(DrawLevel level) {
    if (!ProcessorHas(level)) return 0;
    currentLevel = static_cast<int>(level);
    return 1;
}

const char* DrawLevelName(DrawLevel level) {
    switch (level) {
        case DrawLevel::Plain:
            return "plain";
        case DrawLevel::Sse2:
            return "sse2";
        case DrawLevel::Avx2:
            return "avx2";
        case DrawLevel::Avx512:
            return "avx512";
    }
    return "?";
}
