// A surface in its role, its configure events, its scale and its commits.
#include "hosts/linux/wayland_surface.h"

#include <wayland-client.h>

#include <cstdint>

#include "fractional-scale-v1-client-protocol.h"
#include "hosts/linux/window_image.h"
#include "trails/setting_limits.h"
#include "viewporter-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
#if TOLVA_LAYER_SHELL
#include "hosts/linux/wayland_layer_shell.h"
#endif

namespace {

int SlotOf(const WaylandConnection& connection, const wl_output* output) {
    for (int i = 0; i < MaxWaylandOutputs; ++i)
        if (connection.outputs[i].output == output) return i;
    return -1;
}

void SurfaceEnter(void* data, wl_surface*, wl_output* output) {
    auto* surface = static_cast<WaylandSurface*>(data);
    const int slot = SlotOf(*surface->connection, output);
    if (slot >= 0) surface->enteredOutputs |= 1u << slot;
}

void SurfaceLeave(void* data, wl_surface*, wl_output* output) {
    auto* surface = static_cast<WaylandSurface*>(data);
    const int slot = SlotOf(*surface->connection, output);
    if (slot >= 0) surface->enteredOutputs &= ~(1u << slot);
}

const wl_surface_listener SurfaceListener = {SurfaceEnter, SurfaceLeave};

void FrameDone(void* data, wl_callback* callback, uint32_t) {
    auto* surface = static_cast<WaylandSurface*>(data);
    wl_callback_destroy(callback);
    surface->frameCallback = nullptr;
}

const wl_callback_listener FrameListener = {FrameDone};

void PreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale) {
    static_cast<WaylandSurface*>(data)->preferredScale = static_cast<int32_t>(scale);
}

const wp_fractional_scale_v1_listener FractionalListener = {PreferredScale};

// The output's own size in its logical coordinates, for a compositor that leaves the size to us.
void OutputSize(const WaylandSurface& surface, int32_t* width, int32_t* height) {
    if (surface.outputSlot < 0) return;
    const WaylandOutput& output = surface.connection->outputs[surface.outputSlot];
    if (output.modeWidth <= 0 || output.modeHeight <= 0) return;
    *width = output.modeWidth / output.scale;
    *height = output.modeHeight / output.scale;
}

void ToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
    auto* surface = static_cast<WaylandSurface*>(data);
    surface->offeredWidth = width;
    surface->offeredHeight = height;
}

void ToplevelClose(void* data, xdg_toplevel*) {
    static_cast<WaylandSurface*>(data)->closed = true;
}

void ToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void ToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener ToplevelListener = {ToplevelConfigure, ToplevelClose, ToplevelBounds,
                                                ToplevelCapabilities};

void XdgSurfaceConfigure(void* data, xdg_surface* xdgSurface, uint32_t serial) {
    auto* surface = static_cast<WaylandSurface*>(data);
    xdg_surface_ack_configure(xdgSurface, serial);
    // 0 leaves the size to the client: a window keeps its own.
    if (surface->offeredWidth > 0 && surface->offeredHeight > 0) {
        surface->width = surface->offeredWidth;
        surface->height = surface->offeredHeight;
    }
    surface->configured = true;
}

const xdg_surface_listener XdgSurfaceListener = {XdgSurfaceConfigure};

void DecorationConfigure(void*, zxdg_toplevel_decoration_v1*, uint32_t) {}

const zxdg_toplevel_decoration_v1_listener DecorationListener = {DecorationConfigure};

#if TOLVA_LAYER_SHELL
void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                    uint32_t height) {
    auto* surface = static_cast<WaylandSurface*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    if (width > 0 && height > 0) {
        surface->width = static_cast<int32_t>(width);
        surface->height = static_cast<int32_t>(height);
    } else {
        OutputSize(*surface, &surface->width, &surface->height);
    }
    surface->configured = surface->width > 0 && surface->height > 0;
}

void LayerClosed(void* data, zwlr_layer_surface_v1*) {
    static_cast<WaylandSurface*>(data)->closed = true;
}

const zwlr_layer_surface_v1_listener LayerListener = {LayerConfigure, LayerClosed};

void MakeLayerSurface(WaylandSurface* surface, wl_output* output) {
    WaylandConnection& connection = *surface->connection;
    const bool cover = surface->role == SurfaceRole::FullScreen;
    surface->layer = zwlr_layer_shell_v1_get_layer_surface(
        connection.layerShell, surface->surface, output,
        cover ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "tolva");
    zwlr_layer_surface_v1_add_listener(surface->layer, &LayerListener, surface);
    zwlr_layer_surface_v1_set_anchor(
        surface->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                            ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(surface->layer, 0, 0);
    // The whole output, under panels too.
    zwlr_layer_surface_v1_set_exclusive_zone(surface->layer, -1);
    // Version 1's "exclusive" is 1: every key goes to the saver.
    zwlr_layer_surface_v1_set_keyboard_interactivity(surface->layer, cover ? 1 : 0);
    if (!cover) {
        // A wallpaper lets every click through to what is behind it.
        wl_region* none = wl_compositor_create_region(connection.compositor);
        wl_surface_set_input_region(surface->surface, none);
        wl_region_destroy(none);
    }
}
#endif

void MakeToplevel(WaylandSurface* surface, wl_output* output) {
    WaylandConnection& connection = *surface->connection;
    surface->xdgSurface = xdg_wm_base_get_xdg_surface(connection.wmBase, surface->surface);
    xdg_surface_add_listener(surface->xdgSurface, &XdgSurfaceListener, surface);
    surface->toplevel = xdg_surface_get_toplevel(surface->xdgSurface);
    xdg_toplevel_add_listener(surface->toplevel, &ToplevelListener, surface);
    xdg_toplevel_set_title(surface->toplevel, "TOLVA");
    xdg_toplevel_set_app_id(surface->toplevel, "tolva");  // its desktop entry's name
    if (surface->role == SurfaceRole::FullScreen) {
        xdg_toplevel_set_fullscreen(surface->toplevel, output);
    } else if (connection.decorations != nullptr) {
        surface->decoration = zxdg_decoration_manager_v1_get_toplevel_decoration(
            connection.decorations, surface->toplevel);
        zxdg_toplevel_decoration_v1_add_listener(surface->decoration, &DecorationListener, surface);
        zxdg_toplevel_decoration_v1_set_mode(surface->decoration,
                                             ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
}

// The integer scale of where the surface is: its output's, or a window's largest. A window
// shown nowhere yet takes the scale every output shares, so that on a single scaled output its
// first frame is already sharp and the animation does not start again when it is placed.
int32_t IntegerScale(const WaylandSurface& surface) {
    const WaylandConnection& connection = *surface.connection;
    if (surface.outputSlot >= 0) return connection.outputs[surface.outputSlot].scale;
    int32_t scale = 0;
    int32_t shared = 0;  // -1: the outputs differ
    for (int i = 0; i < MaxWaylandOutputs; ++i) {
        const WaylandOutput& output = connection.outputs[i];
        if (output.name == 0) continue;
        if ((surface.enteredOutputs & (1u << i)) != 0 && output.scale > scale) scale = output.scale;
        shared = shared == 0 || shared == output.scale ? output.scale : -1;
    }
    if (scale > 0) return scale;
    return surface.enteredOutputs == 0 && shared > 0 ? shared : surface.bufferScale;
}

}  // namespace

int CreateWaylandSurface(WaylandSurface* surface, WaylandConnection* connection, SurfaceRole role,
                         int outputSlot, int32_t width, int32_t height,
                         WaylandDecorations* decorations, const char** error) {
    const bool layer = role == SurfaceRole::Background ||
                       (role == SurfaceRole::FullScreen && connection->layerShell != nullptr);
    if (role == SurfaceRole::Background && connection->layerShell == nullptr) {
        *error = "--background needs a compositor with wlr-layer-shell, and this one has none";
        return 0;
    }
    if (!layer && connection->wmBase == nullptr) {
        *error = "the compositor offers no xdg_wm_base for a window";
        return 0;
    }
    *surface = WaylandSurface{};
    surface->connection = connection;
    surface->role = role;
    surface->outputSlot = outputSlot;
    surface->width = width;
    surface->height = height;
    if (outputSlot >= 0) OutputSize(*surface, &surface->width, &surface->height);
    surface->surface = wl_compositor_create_surface(connection->compositor);
    wl_surface_add_listener(surface->surface, &SurfaceListener, surface);
    if (connection->viewporter != nullptr && connection->fractionalScale != nullptr) {
        surface->viewport = wp_viewporter_get_viewport(connection->viewporter, surface->surface);
        surface->fractional = wp_fractional_scale_manager_v1_get_fractional_scale(
            connection->fractionalScale, surface->surface);
        wp_fractional_scale_v1_add_listener(surface->fractional, &FractionalListener, surface);
    }
    wl_output* output = outputSlot >= 0 ? connection->outputs[outputSlot].output : nullptr;
#if TOLVA_LAYER_SHELL
    if (layer) MakeLayerSurface(surface, output);
#endif
#if TOLVA_LIBDECOR
    if (role == SurfaceRole::Window && connection->decorations == nullptr &&
        decorations != nullptr && decorations->context != nullptr) {
        surface->decorations = decorations;
        surface->decorated = DecorateWaylandWindow(decorations, surface);
    }
#else
    (void)decorations;
#endif
    if (!layer && surface->decorated == nullptr) MakeToplevel(surface, output);
    // Its scale from the start, so the first frame is already sharp.
    surface->bufferScale = IntegerScale(*surface);
    wl_surface_commit(surface->surface);
    return 1;
}

void DestroyWaylandSurface(WaylandSurface* surface) {
    if (surface->surface == nullptr) return;
    if (surface->frameCallback != nullptr) wl_callback_destroy(surface->frameCallback);
    if (surface->fractional != nullptr) wp_fractional_scale_v1_destroy(surface->fractional);
    if (surface->viewport != nullptr) wp_viewport_destroy(surface->viewport);
    if (surface->decoration != nullptr) zxdg_toplevel_decoration_v1_destroy(surface->decoration);
    if (surface->toplevel != nullptr) xdg_toplevel_destroy(surface->toplevel);
    if (surface->xdgSurface != nullptr) xdg_surface_destroy(surface->xdgSurface);
#if TOLVA_LIBDECOR
    if (surface->decorated != nullptr)
        UndecorateWaylandWindow(surface->decorations, surface->decorated);
#endif
#if TOLVA_LAYER_SHELL
    if (surface->layer != nullptr) zwlr_layer_surface_v1_destroy(surface->layer);
#endif
    wl_surface_destroy(surface->surface);
    DestroySurfaceBuffers(&surface->buffers);
    *surface = WaylandSurface{};
}

int FitWaylandSurface(WaylandSurface* surface, int32_t forcedScale, WindowNews* news) {
    if (!surface->configured || surface->closed) return 0;
    const bool fractional = surface->viewport != nullptr && surface->preferredScale > 0;
    const int32_t integer = IntegerScale(*surface);
    int32_t width = 0;
    int32_t height = 0;
    int32_t scale = 0;
    if (fractional) {
        // The buffer has the output's own pixels; the viewport shows it at the surface's size.
        const int64_t preferred = surface->preferredScale;
        width = static_cast<int32_t>((surface->width * preferred + 60) / 120);
        height = static_cast<int32_t>((surface->height * preferred + 60) / 120);
        scale = static_cast<int32_t>((preferred * ScaleUnit + 60) / 120);
    } else {
        width = surface->width * integer;
        height = surface->height * integer;
        scale = integer * ScaleUnit;
    }
    width = DrawableSide(width);
    height = DrawableSide(height);
    if (forcedScale != 0) scale = forcedScale;
    const int32_t bufferScale = fractional ? 1 : integer;
    if (width == surface->buffers.width && height == surface->buffers.height &&
        scale == surface->drawScale && bufferScale == surface->bufferScale)
        return 0;
    if (!CreateSurfaceBuffers(&surface->buffers, surface->connection->shm, width, height))
        return -1;
    // Both go with the next commit, and the new buffers with it.
    wl_surface_set_buffer_scale(surface->surface, bufferScale);
    if (surface->viewport != nullptr) {
        if (fractional)
            wp_viewport_set_destination(surface->viewport, surface->width, surface->height);
        else
            wp_viewport_set_destination(surface->viewport, -1, -1);
    }
    surface->bufferScale = bufferScale;
    surface->drawScale = scale;
    *news = WindowNews{true, true, width, height, scale};
    return 1;
}

bool WaylandSurfaceWantsFrame(WaylandSurface* surface) {
    return surface->configured && !surface->closed && surface->frameCallback == nullptr &&
           NextFrameBuffer(&surface->buffers) != nullptr;
}

PixelMemory WaylandFrameMemory(WaylandSurface* surface) {
    WaylandBuffer* buffer =
        surface->configured && !surface->closed ? NextFrameBuffer(&surface->buffers) : nullptr;
    return buffer != nullptr ? ReadyForDrawing(surface->buffers, buffer) : PixelMemory{};
}

ShowOutcome NoteWaylandFrame(WaylandSurface* surface, const FrameView& frame) {
    if (BufferOfFrame(&surface->buffers, frame) == nullptr) return ShowOutcome::NotShown;
    for (int32_t i = 0; i < frame.changedCount; ++i)
        surface->buffers.sinceCommit.Add(frame.changed[i]);
    return ShowOutcome::Shown;
}

ShowOutcome CommitWaylandFrame(WaylandSurface* surface, const FrameView& frame, bool fps) {
    SurfaceBuffers& buffers = surface->buffers;
    // A frame drawn anywhere else (the animation's own surface, while no buffer was free) has
    // nothing to commit; the next one goes out whole.
    WaylandBuffer* buffer =
        surface->configured && !surface->closed ? BufferOfFrame(&buffers, frame) : nullptr;
    if (buffer == nullptr) return ShowOutcome::NotShown;
    for (int32_t i = 0; i < frame.changedCount; ++i) buffers.sinceCommit.Add(frame.changed[i]);
    if (fps) {
        surface->fps.FrameShownNow();
        DrawFpsText(&buffers, buffer, surface->fps.Text());
    }
    wl_surface_attach(surface->surface, buffer->buffer, 0, 0);
    for (int32_t i = 0; i < buffers.sinceCommit.count; ++i) {
        const FrameBand& band = buffers.sinceCommit.bands[i];
        wl_surface_damage_buffer(surface->surface, band.left, band.top, band.right - band.left,
                                 band.bottom - band.top);
    }
    buffers.sinceCommit.Clear();
    surface->frameCallback = wl_surface_frame(surface->surface);
    wl_callback_add_listener(surface->frameCallback, &FrameListener, surface);
    wl_surface_commit(surface->surface);
    buffer->busy = true;
    buffer->commit = ++buffers.commits;
    return ShowOutcome::Shown;
}
