// tolva's connection to a Wayland compositor and what the compositor offers: the globals it
// binds (the compositor, shared memory, the shells, the scale and decoration managers, one seat)
// and the outputs, which may come and go while it runs. The registry's events only note what
// changed; the presenter looks at the notes after each dispatch, so nothing here calls up.
#pragma once

#include <cstdint>

#include "hosts/linux/frame_loop.h"

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wp_fractional_scale_manager_v1;
struct wp_viewporter;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zxdg_decoration_manager_v1;

// An output a surface of its own may cover; its slot is the index of that surface's window in
// the frame loop, so each output keeps its animation's seed while it stays.
struct WaylandOutput {
    uint32_t name = 0;  // the registry's; 0 with an output: gone, its surface still to go
    wl_output* output = nullptr;
    int32_t scale = 1;  // wl_output.scale
    int32_t x = 0;      // its top left corner in the compositor's space
    int32_t y = 0;
    int32_t modeWidth = 0;  // its current mode, in pixels
    int32_t modeHeight = 0;
    bool ready = false;  // its first description is complete (wl_output.done)
};

constexpr int MaxWaylandOutputs = MaxLoopWindows;

struct WaylandConnection {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* wmBase = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;  // null where the build or compositor has none
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScale = nullptr;
    zxdg_decoration_manager_v1* decorations = nullptr;
    wl_seat* seat = nullptr;  // bound by the input, where there is any
    uint32_t seatName = 0;    // the first seat the registry named
    uint32_t seatVersion = 0;
    WaylandOutput outputs[MaxWaylandOutputs];
    // An output came, went, or changed its scale or place since the presenter last looked.
    bool outputsChanged = false;
};

// Binds what the compositor at display offers and learns its outputs (two round trips).
// Returns 1, or 0 with a one-line reason in *error when it lacks what every mode needs.
int BindWaylandGlobals(wl_display* display, WaylandConnection* connection, const char** error);

// Sends what is queued, waits at most milliseconds (-1: no limit) for the compositor or for
// wakeFd (-1: none) to become readable, and dispatches every event that came. Returns 0 when
// the connection is lost; *woken says whether wakeFd is readable.
int DispatchWayland(WaylandConnection* connection, int milliseconds, int wakeFd, bool* woken);

// Lets go of the outputs that went away, once their surfaces are gone: their slots are free.
void ForgetRemovedOutputs(WaylandConnection* connection);

// Destroys every global and output bound, and disconnects.
void DisconnectWayland(WaylandConnection* connection);
