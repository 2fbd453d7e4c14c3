// The viewer's clocks, from CLOCK_MONOTONIC.
#include "hosts/linux/monotonic_clock.h"

#include <time.h>

#include <cstdint>

uint64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000ull + static_cast<uint64_t>(now.tv_nsec);
}

uint32_t MonotonicMilliseconds() {
    return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000ull);
}
