// The viewer's two ways onto a screen. Each runs the whole animation loop for its mode and
// returns the process's exit code: SDL2 for the desktop window and full screen, with the
// Windows saver's input rules in full screen; Xlib for a window that someone else owns
// (XScreenSaver's, or the root window), where the owner handles all input.
#pragma once

#include "tools/viewer/viewer_animation.h"
#include "tools/viewer/viewer_options.h"

// hashLog is null unless --hash was given.
int RunSdlViewer(const ViewerOptions& options, FrameHashLog* hashLog);
int RunX11Viewer(const ViewerOptions& options, FrameHashLog* hashLog);
