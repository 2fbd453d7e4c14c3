// The viewer's ways onto a display. Each opens its windows, runs them in the frame loop and
// returns the process's exit code: on Wayland its own surfaces (a window, full screen or the
// wallpaper on every output); SDL2 for the desktop window and full screen (a window on every
// monitor) elsewhere, with the saver's exit rule in full screen; Xlib for a window that someone
// else owns (XScreenSaver's, or the root window) or XScreenSaver's -window, where the owner
// handles all input.
#pragma once

#include <cstdint>
#include <cstdio>

#include "hosts/linux/frame_loop.h"
#include "hosts/linux/viewer_options.h"

struct wl_display;

// animation is what main chose for every window's animation (the settings, the drawing path);
// each presenter adds the size, the seed and the scale. RunWaylandViewer takes over display, a
// connection to the compositor, and closes it.
int RunWaylandViewer(const ViewerOptions& options, const AnimationStart& animation,
                     wl_display* display);
int RunSdlViewer(const ViewerOptions& options, const AnimationStart& animation);
int RunX11Viewer(const ViewerOptions& options, const AnimationStart& animation);

// The frame loop's settings: main's animation at the command line's scale, else the display's
// (from its DPI), and the command line's pace, hash lines and frame limit.
inline FrameLoopSettings FrameLoopSettingsOf(const ViewerOptions& options,
                                             const AnimationStart& animation,
                                             int32_t displayScale) {
    FrameLoopSettings settings;
    settings.animation = animation;
    settings.animation.scale = options.scale != 0 ? options.scale : displayScale;
    settings.stepMicroseconds = options.stepMicroseconds;
    settings.hash = options.hash;
    settings.frames = options.frames;
    return settings;
}

// The one line for a display that cannot be opened, named by -display or DISPLAY (may be null).
inline void ReportNoDisplay(const char* name) {
    if (name == nullptr || name[0] == '\0')
        std::fputs("tolva: cannot open a display: DISPLAY is not set\n", stderr);
    else
        std::fprintf(stderr, "tolva: cannot open the display %s\n", name);
}
