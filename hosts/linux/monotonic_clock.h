// The viewer's real clocks: a monotonic count in nanoseconds for pacing the frames, and the
// platform-style 32-bit millisecond count that wraps after 49.7 days, as colour scheme 9 expects.
#pragma once

#include <cstdint>

uint64_t MonotonicNanoseconds();
uint32_t MonotonicMilliseconds();
