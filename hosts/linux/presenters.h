// The viewer's two ways onto a screen. Each opens its window, plugs itself into the frame loop
// and returns the process's exit code: SDL2 for the desktop window and full screen, with the
// saver's exit rule in full screen; Xlib for a window that someone else owns (XScreenSaver's,
// or the root window), where the owner handles all input.
#pragma once

#include <cstdint>

#include "hosts/linux/viewer_options.h"

int RunSdlViewer(const ViewerOptions& options, uint32_t trailCount, int32_t colorMode);
int RunX11Viewer(const ViewerOptions& options, uint32_t trailCount, int32_t colorMode);
