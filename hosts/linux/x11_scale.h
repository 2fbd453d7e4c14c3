// The scale of an X display as desktops set it: Xft.dpi in the server's resources (what xrdb
// loads and GNOME, KDE and Xfce write), the same setting X programs take their font size from.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

// Xft.dpi / 96 in ScaleUnits; ScaleUnit when it is not set or not a number.
int32_t XftScale(Display* display);
