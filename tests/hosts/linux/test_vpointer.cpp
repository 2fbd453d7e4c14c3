// A pointer for the Wayland end-to-end tests: a wlr virtual pointer that plays the steps on
// its command line, each one a frame of its own that the compositor has taken before the next.
//   tolva-test-vpointer STEP...
//     at X Y W H   the pointer to X,Y of a W x H layout      by DX DY   moved by DX,DY
//     click left|middle|right                               wheel      one notch down
//     wait MS
// Exit codes: 0 done, 1 no compositor or no virtual-pointer protocol, 2 a bad step.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

void Global(void* manager, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        *static_cast<zwlr_virtual_pointer_manager_v1**>(manager) =
            static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void GlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener RegistryListener = {Global, GlobalRemove};

uint32_t Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "tolva-test-vpointer: no compositor\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
    wl_registry_add_listener(registry, &RegistryListener, &manager);
    wl_display_roundtrip(display);
    if (manager == nullptr) {
        std::fprintf(stderr, "tolva-test-vpointer: no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, nullptr);
    wl_display_roundtrip(display);
    for (int i = 1; i < argc; ++i) {
        const char* step = argv[i];
        const auto number = [&](int k) { return i + k < argc ? std::atoi(argv[i + k]) : 0; };
        if (std::strcmp(step, "at") == 0 && i + 4 < argc) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer, Now(), number(1), number(2), number(3),
                                                    number(4));
            i += 4;
        } else if (std::strcmp(step, "by") == 0 && i + 2 < argc) {
            zwlr_virtual_pointer_v1_motion(pointer, Now(), wl_fixed_from_int(number(1)),
                                           wl_fixed_from_int(number(2)));
            i += 2;
        } else if (std::strcmp(step, "click") == 0 && i + 1 < argc) {
            const char* name = argv[++i];
            const uint32_t button = std::strcmp(name, "left") == 0     ? BTN_LEFT
                                    : std::strcmp(name, "middle") == 0 ? BTN_MIDDLE
                                                                       : BTN_RIGHT;
            zwlr_virtual_pointer_v1_button(pointer, Now(), button, WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            zwlr_virtual_pointer_v1_button(pointer, Now(), button,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (std::strcmp(step, "wheel") == 0) {
            zwlr_virtual_pointer_v1_axis_source(pointer, WL_POINTER_AXIS_SOURCE_WHEEL);
            zwlr_virtual_pointer_v1_axis_discrete(pointer, Now(), WL_POINTER_AXIS_VERTICAL_SCROLL,
                                                  wl_fixed_from_int(15), 1);
        } else if (std::strcmp(step, "wait") == 0 && i + 1 < argc) {
            const long ms = std::atol(argv[++i]);
            const timespec pause{ms / 1000, (ms % 1000) * 1000000L};
            nanosleep(&pause, nullptr);
            continue;
        } else {
            std::fprintf(stderr, "tolva-test-vpointer: bad step '%s'\n", step);
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
