// The connection to the compositor: the registry's globals and outputs, and the one wait of
// the presenter, on the compositor's socket and a wake-up descriptor at once.
#include "hosts/linux/wayland_connection.h"

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
#if TOLVA_LAYER_SHELL
#include "hosts/linux/wayland_layer_shell.h"
#endif

namespace {

uint32_t Version(uint32_t offered, uint32_t wanted) {
    return offered < wanted ? offered : wanted;
}

WaylandOutput* OutputOf(WaylandConnection* connection, const wl_output* output) {
    for (WaylandOutput& slot : connection->outputs)
        if (slot.name != 0 && slot.output == output) return &slot;
    return nullptr;
}

void OutputGeometry(void* data, wl_output* output, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                    const char*, const char*, int32_t) {
    auto* connection = static_cast<WaylandConnection*>(data);
    if (WaylandOutput* slot = OutputOf(connection, output)) {
        slot->x = x;
        slot->y = y;
    }
}

void OutputMode(void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height,
                int32_t) {
    auto* connection = static_cast<WaylandConnection*>(data);
    WaylandOutput* slot = OutputOf(connection, output);
    if (slot != nullptr && (flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        slot->modeWidth = width;
        slot->modeHeight = height;
    }
}

void OutputDone(void* data, wl_output* output) {
    auto* connection = static_cast<WaylandConnection*>(data);
    if (WaylandOutput* slot = OutputOf(connection, output)) {
        slot->ready = true;
        connection->outputsChanged = true;
    }
}

void OutputScale(void* data, wl_output* output, int32_t factor) {
    auto* connection = static_cast<WaylandConnection*>(data);
    WaylandOutput* slot = OutputOf(connection, output);
    if (slot != nullptr) slot->scale = factor < 1 ? 1 : factor;
}

void OutputName(void*, wl_output*, const char*) {}
void OutputDescription(void*, wl_output*, const char*) {}

const wl_output_listener OutputListener = {OutputGeometry, OutputMode, OutputDone,
                                           OutputScale,    OutputName, OutputDescription};

void WmBasePing(void*, xdg_wm_base* wmBase, uint32_t serial) {
    xdg_wm_base_pong(wmBase, serial);
}

const xdg_wm_base_listener WmBaseListener = {WmBasePing};

void AddOutput(WaylandConnection* connection, uint32_t name, uint32_t version) {
    for (WaylandOutput& slot : connection->outputs) {
        if (slot.name != 0 || slot.output != nullptr) continue;
        slot = WaylandOutput{};
        slot.name = name;
        slot.output = static_cast<wl_output*>(wl_registry_bind(
            connection->registry, name, &wl_output_interface, Version(version, 2)));
        wl_output_add_listener(slot.output, &OutputListener, connection);
        return;
    }
    // More outputs than windows: the rest stay uncovered.
}

void RegistryGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                    uint32_t version) {
    auto* connection = static_cast<WaylandConnection*>(data);
    const auto bind = [&](const wl_interface* kind, uint32_t wanted) {
        return wl_registry_bind(registry, name, kind, Version(version, wanted));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= 4) {
        // Version 4 brings damage in buffer pixels.
        connection->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        connection->shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        connection->wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(connection->wmBase, &WmBaseListener, nullptr);
#if TOLVA_LAYER_SHELL
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        connection->layerShell =
            static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 3));
#endif
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
        connection->viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0) {
        connection->fractionalScale = static_cast<wp_fractional_scale_manager_v1*>(
            bind(&wp_fractional_scale_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0) {
        connection->decorations = static_cast<zxdg_decoration_manager_v1*>(
            bind(&zxdg_decoration_manager_v1_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && connection->seatName == 0) {
        // Bound by the input, which must hear the capabilities that come with the binding.
        connection->seatName = name;
        connection->seatVersion = version;
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        AddOutput(connection, name, version);
    }
}

void RegistryGlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto* connection = static_cast<WaylandConnection*>(data);
    for (WaylandOutput& slot : connection->outputs) {
        if (slot.name != name) continue;
        // A surface may still cover it until the presenter looks: ForgetRemovedOutputs.
        slot.name = 0;
        slot.ready = false;
        connection->outputsChanged = true;
    }
}

const wl_registry_listener RegistryListener = {RegistryGlobal, RegistryGlobalRemove};

}  // namespace

int BindWaylandGlobals(wl_display* display, WaylandConnection* connection, const char** error) {
    connection->display = display;
    connection->registry = wl_display_get_registry(display);
    wl_registry_add_listener(connection->registry, &RegistryListener, connection);
    // The globals, then what each output says of itself.
    if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0) {
        *error = "the compositor closed the connection";
        return 0;
    }
    if (connection->compositor == nullptr || connection->shm == nullptr) {
        *error = "the compositor offers no wl_compositor 4 or no wl_shm";
        return 0;
    }
    return 1;
}

int DispatchWayland(WaylandConnection* connection, int milliseconds, int wakeFd, bool* woken) {
    wl_display* display = connection->display;
    *woken = false;
    // Events read by an earlier round trip are dispatched first; then there is no waiting, as
    // they may have changed what the loop wants.
    int dispatched = 0;
    while (wl_display_prepare_read(display) != 0) {
        const int count = wl_display_dispatch_pending(display);
        if (count < 0) return 0;
        dispatched += count;
    }
    pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    // A full socket takes the rest when it can.
    if (wl_display_flush(display) < 0 && errno == EAGAIN) fds[0].events |= POLLOUT;
    const int ready = poll(fds, wakeFd >= 0 ? 2 : 1, dispatched > 0 ? 0 : milliseconds);
    if (ready > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
        if (wl_display_read_events(display) < 0) return 0;
    } else {
        wl_display_cancel_read(display);
    }
    if (ready > 0 && (fds[0].revents & POLLOUT) != 0) wl_display_flush(display);
    *woken = ready > 0 && wakeFd >= 0 && (fds[1].revents & POLLIN) != 0;
    return wl_display_dispatch_pending(display) >= 0;
}

void ForgetRemovedOutputs(WaylandConnection* connection) {
    for (WaylandOutput& slot : connection->outputs) {
        if (slot.name != 0 || slot.output == nullptr) continue;
        wl_output_destroy(slot.output);
        slot = WaylandOutput{};
    }
}

void DisconnectWayland(WaylandConnection* connection) {
    if (connection->display == nullptr) return;
    for (WaylandOutput& slot : connection->outputs)
        if (slot.output != nullptr) wl_output_destroy(slot.output);
    if (connection->seat != nullptr) wl_seat_destroy(connection->seat);
    if (connection->decorations != nullptr)
        zxdg_decoration_manager_v1_destroy(connection->decorations);
    if (connection->fractionalScale != nullptr)
        wp_fractional_scale_manager_v1_destroy(connection->fractionalScale);
    if (connection->viewporter != nullptr) wp_viewporter_destroy(connection->viewporter);
#if TOLVA_LAYER_SHELL
    if (connection->layerShell != nullptr) zwlr_layer_shell_v1_destroy(connection->layerShell);
#endif
    if (connection->wmBase != nullptr) xdg_wm_base_destroy(connection->wmBase);
    if (connection->shm != nullptr) wl_shm_destroy(connection->shm);
    if (connection->compositor != nullptr) wl_compositor_destroy(connection->compositor);
    if (connection->registry != nullptr) wl_registry_destroy(connection->registry);
    wl_display_disconnect(connection->display);
    *connection = WaylandConnection{};
}
