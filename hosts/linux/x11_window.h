// Which X window the Xlib presenter draws into: the one named by --window-id or
// $XSCREENSAVER_WINDOW, the root window, or, for XScreenSaver's -window, a window of the
// hack's own. The presenter keeps the window's contact with Xlib here and asks only what
// window to draw into, what events to select on it and whether an event closes it.
#pragma once

#include <X11/Xlib.h>

#include "hosts/linux/viewer_options.h"

struct ChosenXWindow {
    Window window = 0;
    long eventMask = 0;
    bool own = false;       // created here: it ends the hack when closed, Escape or q
    Atom closeMessage = 0;  // WM_DELETE_WINDOW, for a window of its own
};

// Chooses the window's events on it (for a window of its own, from its creation, before it is
// mapped). Returns 1 with *chosen filled, or 0 when the window could not be created (own windows
// only; whether a foreign window exists is the presenter's question).
int OpenChosenXWindow(Display* display, const ViewerOptions& options, ChosenXWindow* chosen);

// The window's place among the display's monitors, counted as the Windows saver counts its
// monitors, so that XScreenSaver's hack on each head draws an animation of its own: the X
// screens in order, the monitors of each with its primary first. A window is on the monitor
// that shows most of it, the earlier one on a tie; 0 on a display with one monitor.
int WindowMonitor(Display* display, Window window, const XWindowAttributes& attributes);

// 1 when event asks to close the hack's own window: the window manager's close button,
// Escape or q, as standalone hacks end.
int OwnWindowCloseRequested(const ChosenXWindow& chosen, XEvent* event);
