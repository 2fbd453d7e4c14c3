// The processor's features, each asked on first use and kept. The compiler's query also checks
// that the system saves the wide registers.
#include "surface/processor_features.h"

#if defined(__x86_64__) || defined(__i386__)

int ProcessorHasSse2() {
    static const int has = (__builtin_cpu_init(), __builtin_cpu_supports("sse2")) ? 1 : 0;
    return has;
}

int ProcessorHasAvx2() {
    static const int has =
        (__builtin_cpu_init(), __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2"))
            ? 1
            : 0;
    return has;
}

int ProcessorHasAvx512() {
    static const int has = (__builtin_cpu_init(), __builtin_cpu_supports("avx512f") &&
                                                      __builtin_cpu_supports("avx512bw") &&
                                                      __builtin_cpu_supports("avx512vbmi") &&
                                                      __builtin_cpu_supports("bmi2"))
                               ? 1
                               : 0;
    return has;
}

#else

int ProcessorHasSse2() {
    return 0;
}
int ProcessorHasAvx2() {
    return 0;
}
int ProcessorHasAvx512() {
    return 0;
}

#endif
