// The monitors the full-screen saver covers, as rectangles in virtual-screen coordinates (which
// may be negative), the primary monitor's first. Reading a list of them from text is free of the
// platform: it is how a test lays fake monitors out on one screen (the saver reads the variable
// TOLVA_FAKE_MONITORS, and only for this), since Wine under Xvfb shows one monitor.
#pragma once

#include <cstdint>

struct MonitorRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// As many monitors as a saver covers; any beyond stay uncovered.
constexpr int MaxMonitors = 64;

// Reads "LEFT,TOP,RIGHT,BOTTOM;LEFT,TOP,RIGHT,BOTTOM;..." (decimal, optionally signed; the first
// rectangle is the primary monitor) into monitors. Returns how many were read, or 0, with
// monitors untouched, when the text is not such a list: a missing number, an empty or inverted
// rectangle, a number beyond 32 bits, anything else in between, or more than capacity.
int ParseMonitorList(const char* text, MonitorRect* monitors, int capacity);
