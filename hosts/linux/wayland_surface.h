// One surface of tolva on Wayland and its role: a desktop window (an xdg_toplevel, decorated
// by the compositor where it offers xdg-decoration), the full-screen cover of one output (the
// overlay layer of wlr-layer-shell with the keyboard's focus, else an xdg_toplevel made full
// screen on that output), or the wallpaper of one output (the background layer, taking no
// input). It follows the size the compositor configures and the scale of its output, drawn in
// buffer pixels: the integer buffer scale, or with wp_fractional_scale_v1 and wp_viewporter
// the exact fractional one. A frame is committed only when the compositor asked for one (its
// frame callback), drawn straight into a buffer the compositor released, damaging only what
// changed.
#pragma once

#include <cstdint>

#include "hosts/linux/fps_overlay.h"
#include "hosts/linux/frame_loop.h"
#include "hosts/linux/wayland_buffers.h"
#include "hosts/linux/wayland_connection.h"
#include "hosts/linux/wayland_decorations.h"
#include "surface/frame.h"
#include "surface/pixel_memory.h"

struct libdecor_frame;
struct wl_callback;
struct wl_surface;
struct wp_fractional_scale_v1;
struct wp_viewport;
struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_surface_v1;
struct zxdg_toplevel_decoration_v1;

enum class SurfaceRole { Window, FullScreen, Background };

struct WaylandSurface {
    WaylandConnection* connection = nullptr;
    SurfaceRole role = SurfaceRole::Window;
    int outputSlot = -1;  // the output it covers; -1 for a window
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    xdg_surface* xdgSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    zxdg_toplevel_decoration_v1* decoration = nullptr;
    WaylandDecorations* decorations = nullptr;  // libdecor's window around it, where it has one
    libdecor_frame* decorated = nullptr;
    wp_viewport* viewport = nullptr;
    wp_fractional_scale_v1* fractional = nullptr;
    wl_callback* frameCallback = nullptr;  // a frame was committed and not yet asked for again
    // The size the compositor configured, in its (logical) coordinates; a window starts at the
    // size asked for and keeps it while the compositor leaves the choice to it.
    int32_t width = 0;
    int32_t height = 0;
    int32_t offeredWidth = 0;  // an xdg_toplevel's configure, applied with its xdg_surface's
    int32_t offeredHeight = 0;
    bool configured = false;
    bool closed = false;          // the compositor took it away
    uint32_t enteredOutputs = 0;  // a bit per output slot: where a window is shown
    int32_t preferredScale = 0;   // wp_fractional_scale_v1's, in 120ths; 0: none said
    int32_t bufferScale = 1;      // the integer scale the buffers are drawn at
    int32_t drawScale = 0;        // the animation's (ScaleUnits), as last told to the loop
    SurfaceBuffers buffers;
    FpsCounter fps;
};

// Creates the surface in its role (outputSlot: the output a full-screen or background surface
// covers; width x height: a window's first size) and commits it bare, so that the compositor
// configures it. A window on a compositor without xdg-decoration is libdecor's where
// decorations holds it loaded (null: none). Returns 0 with a one-line reason in *error when
// the compositor lacks the role's protocol.
int CreateWaylandSurface(WaylandSurface* surface, WaylandConnection* connection, SurfaceRole role,
                         int outputSlot, int32_t width, int32_t height,
                         WaylandDecorations* decorations, const char** error);
void DestroyWaylandSurface(WaylandSurface* surface);

// After events: brings the buffers to the configured size at the output's scale (forcedScale,
// the command line's --scale, else that scale, is the animation's). Returns 1 and fills *news
// when the animation must start afresh, 0 when nothing changed, -1 when no buffers could be had.
int FitWaylandSurface(WaylandSurface* surface, int32_t forcedScale, WindowNews* news);

// Configured, with buffers, its last frame asked for and a buffer free.
bool WaylandSurfaceWantsFrame(WaylandSurface* surface);

// The memory the next frame is drawn into: the buffer it will be committed in, released by the
// compositor and made ready; empty memory (null topRow) while there is none.
PixelMemory WaylandFrameMemory(WaylandSurface* surface);
// Notes a frame drawn to catch up, which the next one follows in the same buffer: its changed
// bands go with the next commit. NotShown when it was not drawn into a buffer.
ShowOutcome NoteWaylandFrame(WaylandSurface* surface, const FrameView& frame);
// Commits the buffer the frame was drawn into, with the -fps corner when fps is set, the bands
// changed since the last commit as damage and a frame callback. NotShown when the frame is in
// no released buffer of the surface.
ShowOutcome CommitWaylandFrame(WaylandSurface* surface, const FrameView& frame, bool fps);
