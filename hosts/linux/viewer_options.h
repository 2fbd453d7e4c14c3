// Command line of tolva, the Linux viewer. One parser serves the desktop window, full screen,
// XScreenSaver (which passes its options with a single dash: -root, -window-id 0x2a00007, and
// the -install, -visual and -fps every hack takes) and --configure, which is the only thing
// that ever writes the settings file.
#pragma once

#include <cstdint>
#include <string>

#include "host/pace.h"

// Window and FullScreen draw natively on Wayland, else through SDL; Background (a wallpaper
// on every output) on Wayland alone; ForeignWindow (someone else's X window, or the root) and
// OwnXWindow (XScreenSaver's -window) through Xlib.
enum class ViewerMode { Window, FullScreen, Background, ForeignWindow, OwnXWindow, Configure };

// --wayland and --x11; Any: Wayland where WAYLAND_DISPLAY names a compositor that answers.
enum class WindowSystem { Any, Wayland, X11 };

struct ViewerOptions {
    ViewerMode mode = ViewerMode::Window;
    WindowSystem windowSystem = WindowSystem::Any;
    int32_t width = 640;  // a new window's first size; full screen and foreign windows use theirs
    int32_t height = 480;
    // -geometry's +X+Y for XScreenSaver's -window: in from the left and top edges, or with a
    // minus in from the right and bottom ones, as X programs read it.
    bool positionGiven = false;
    int32_t x = 0;
    int32_t y = 0;
    bool xFromRight = false;
    bool yFromBottom = false;
    std::string displayName;  // -display; empty: $DISPLAY
    // --count, --color and --delay override the stored settings for one run
    bool trailCountGiven = false;
    uint32_t trailCount = 0;
    bool colorModeGiven = false;
    int32_t colorMode = 0;
    bool delayGiven = false;
    uint32_t stepMicroseconds = DefaultStepMicroseconds;  // the pace: microseconds a step
    // -scale in ScaleUnit 256ths; 0: the display's own scale.
    int32_t scale = 0;
    // Foreign window: an X window id, or 0 for the real root window.
    unsigned long windowId = 0;
    bool showFps = false;  // the frame rate and CPU load in the picture's lower left corner
    // Debug: print each frame's hash, and stop after this many frames (0: never).
    bool hash = false;
    uint32_t frames = 0;
    bool help = false;
};

// Reads argv. environmentWindow is $XSCREENSAVER_WINDOW (null when unset): XScreenSaver names
// the window it gives a hack there. As every hack reads it (the virtual root), --root means that
// window when it is set and the real root otherwise, and with no mode at all it counts as
// --window-id. --window-id wins over --root and --window, as XScreenSaver's preview appends it
// to the hack's whole command line. Returns 1 with *options filled, or 0 with a one-line reason
// in *error.
int ParseViewerOptions(int argc, char** argv, const char* environmentWindow, ViewerOptions* options,
                       std::string* error);

std::string ViewerUsage();
