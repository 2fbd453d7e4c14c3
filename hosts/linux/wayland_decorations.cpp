// libdecor through dlopen: its header gives the types, the library the functions. Its plugins
// read the compositor's events from the connection's default queue, which the presenter
// dispatches anyway.
#include "hosts/linux/wayland_decorations.h"

#include <dlfcn.h>
#include <libdecor.h>
#include <wayland-client.h>

#include <cstdint>

#include "hosts/linux/wayland_surface.h"

struct WaylandDecorationCalls {
    decltype(&libdecor_new) create;
    decltype(&libdecor_unref) release;
    decltype(&libdecor_decorate) decorate;
    decltype(&libdecor_frame_unref) releaseFrame;
    decltype(&libdecor_frame_set_title) setTitle;
    decltype(&libdecor_frame_set_app_id) setAppId;
    decltype(&libdecor_frame_map) map;
    decltype(&libdecor_frame_commit) commit;
    decltype(&libdecor_state_new) newState;
    decltype(&libdecor_state_free) freeState;
    decltype(&libdecor_configuration_get_content_size) contentSize;
};

namespace {

template <typename Function>
bool Find(void* library, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(dlsym(library, name));
    return *function != nullptr;
}

// A plugin that fails leaves the window without its title bar, and the window goes on.
void DecorationError(libdecor*, libdecor_error, const char*) {}

// Both tables leave libdecor's reserved entries empty.
const libdecor_interface DecorationInterface = [] {
    libdecor_interface table{};
    table.error = DecorationError;
    return table;
}();

void FrameConfigure(libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
    auto* surface = static_cast<WaylandSurface*>(data);
    const WaylandDecorationCalls& calls = *surface->decorations->calls;
    int width = 0;
    int height = 0;
    // Without a size the choice is the window's: it keeps its own.
    if (calls.contentSize(configuration, frame, &width, &height) && width > 0 && height > 0) {
        surface->width = width;
        surface->height = height;
    }
    libdecor_state* state = calls.newState(surface->width, surface->height);
    calls.commit(frame, state, configuration);
    calls.freeState(state);
    surface->configured = true;
}

void FrameClose(libdecor_frame*, void* data) {
    static_cast<WaylandSurface*>(data)->closed = true;
}

void FrameCommit(libdecor_frame*, void* data) {
    wl_surface_commit(static_cast<WaylandSurface*>(data)->surface);
}

void FrameDismissPopup(libdecor_frame*, const char*, void*) {}

const libdecor_frame_interface FrameInterface = [] {
    libdecor_frame_interface table{};
    table.configure = FrameConfigure;
    table.close = FrameClose;
    table.commit = FrameCommit;
    table.dismiss_popup = FrameDismissPopup;
    return table;
}();

}  // namespace

int LoadWaylandDecorations(WaylandDecorations* decorations, wl_display* display) {
    void* library = dlopen("libdecor-0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return 0;
    WaylandDecorationCalls calls{};
    if (!Find(library, "libdecor_new", &calls.create) ||
        !Find(library, "libdecor_unref", &calls.release) ||
        !Find(library, "libdecor_decorate", &calls.decorate) ||
        !Find(library, "libdecor_frame_unref", &calls.releaseFrame) ||
        !Find(library, "libdecor_frame_set_title", &calls.setTitle) ||
        !Find(library, "libdecor_frame_set_app_id", &calls.setAppId) ||
        !Find(library, "libdecor_frame_map", &calls.map) ||
        !Find(library, "libdecor_frame_commit", &calls.commit) ||
        !Find(library, "libdecor_state_new", &calls.newState) ||
        !Find(library, "libdecor_state_free", &calls.freeState) ||
        !Find(library, "libdecor_configuration_get_content_size", &calls.contentSize)) {
        dlclose(library);
        return 0;
    }
    // libdecor keeps the interface and never writes to it.
    decorations->context =
        calls.create(display, const_cast<libdecor_interface*>(&DecorationInterface));
    if (decorations->context == nullptr) {
        dlclose(library);
        return 0;
    }
    decorations->library = library;
    decorations->calls = new WaylandDecorationCalls(calls);
    return 1;
}

void UnloadWaylandDecorations(WaylandDecorations* decorations) {
    if (decorations->library == nullptr) return;
    decorations->calls->release(decorations->context);
    delete decorations->calls;
    dlclose(decorations->library);
    *decorations = WaylandDecorations{};
}

libdecor_frame* DecorateWaylandWindow(WaylandDecorations* decorations, WaylandSurface* surface) {
    const WaylandDecorationCalls& calls = *decorations->calls;
    libdecor_frame* frame =
        calls.decorate(decorations->context, surface->surface,
                       const_cast<libdecor_frame_interface*>(&FrameInterface), surface);
    calls.setTitle(frame, "TOLVA");
    calls.setAppId(frame, "tolva");  // its desktop entry's name
    calls.map(frame);
    return frame;
}

void UndecorateWaylandWindow(WaylandDecorations* decorations, libdecor_frame* frame) {
    decorations->calls->releaseFrame(frame);
}
