// Command line of tolva, the Linux viewer. One parser serves the desktop window, full screen,
// XScreenSaver (which passes its options with a single dash: -root, -window-id 0x2a00007) and
// --configure, which is the only thing that ever writes the settings file.
#pragma once

#include <cstdint>
#include <string>

#include "tools/common/frame_tick.h"

enum class ViewerMode { Window, FullScreen, ForeignWindow, Configure };

struct ViewerOptions {
    ViewerMode mode = ViewerMode::Window;
    int32_t width = 640;  // the window's first size; full screen and foreign windows use theirs
    int32_t height = 480;
    bool countGiven = false;  // --count / --color override the stored settings for one run
    uint32_t count = 0;
    bool colorGiven = false;
    int32_t color = 0;
    uint32_t tickMilliseconds = FrameTickMilliseconds;
    // Foreign window: an X window id, or 0 for the root window (--root).
    unsigned long windowId = 0;
    // Debug: print each presented frame's hash, and stop after this many frames (0: never).
    bool hash = false;
    uint32_t frames = 0;
    bool help = false;
};

// Reads argv. environmentWindow is $XSCREENSAVER_WINDOW (null when unset): XScreenSaver names
// the window it gives a hack there, and it counts as --window-id unless the command line names
// another mode. Returns 1 with *options filled, or 0 with a one-line reason in *error.
int ParseViewerOptions(int argc, char** argv, const char* environmentWindow, ViewerOptions* options,
                       std::string* error);

const char* ViewerUsage();
