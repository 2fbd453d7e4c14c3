// A title bar for tolva's window on compositors that draw none (GNOME offers no xdg-decoration):
// libdecor, loaded at run time only when such a window is opened, as SDL does, so that the
// package needs libwayland-client0 alone and a desktop without libdecor still gets a window.
// libdecor makes the window's xdg_surface and xdg_toplevel itself, draws the frame around the
// surface, and says the size of the content in its configure events.
#pragma once

#include <cstdint>

struct libdecor;
struct libdecor_frame;
struct wl_display;
struct WaylandDecorationCalls;
struct WaylandSurface;

struct WaylandDecorations {
    void* library = nullptr;
    WaylandDecorationCalls* calls = nullptr;  // its functions
    libdecor* context = nullptr;
};

// Loads libdecor (libdecor-0.so.0) and connects it to display. Returns 0 when it is not
// there; a window then has no title bar.
int LoadWaylandDecorations(WaylandDecorations* decorations, wl_display* display);
void UnloadWaylandDecorations(WaylandDecorations* decorations);

// Makes the surface a decorated window titled TOLVA and maps it; its configure and close
// events set the surface's size, configured and closed, as an xdg_toplevel's do.
libdecor_frame* DecorateWaylandWindow(WaylandDecorations* decorations, WaylandSurface* surface);
void UndecorateWaylandWindow(WaylandDecorations* decorations, libdecor_frame* frame);
