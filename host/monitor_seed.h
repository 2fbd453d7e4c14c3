// Where each monitor's animation starts when a host shows one per monitor.
#pragma once

#include <cstdint>

#include "trails/animation.h"

// The first window (the primary monitor) draws the frames the saver always drew; the others
// start their generators a step of the golden ratio apart, so that no two show the same
// animation.
inline uint32_t MonitorSeed(int index) {
    return Animation::DesignSeed + static_cast<uint32_t>(index) * 0x9E3779B9u;
}
