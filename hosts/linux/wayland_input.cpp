// The seat's pointer and keyboard, translated into the exit rule's calls.
#include "hosts/linux/wayland_input.h"

#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>

#include "hosts/linux/wayland_surface.h"

namespace {

// Where the surface's output stands in the compositor's space; a window's is unknown, and its
// rule needs none.
void TakeOrigin(WaylandInput* input, wl_surface* surface) {
    input->originX = 0;
    input->originY = 0;
    const auto* owner = static_cast<const WaylandSurface*>(wl_surface_get_user_data(surface));
    if (owner == nullptr || owner->outputSlot < 0) return;
    const WaylandOutput& output = input->connection->outputs[owner->outputSlot];
    input->originX = output.x;
    input->originY = output.y;
}

void PointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                  wl_fixed_t x, wl_fixed_t y) {
    auto* input = static_cast<WaylandInput*>(data);
    if (surface == nullptr || input->rule != InputRule::FullScreen) return;
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // hidden over the saver
    TakeOrigin(input, surface);
    if (input->started) return;
    input->exitRule.Start(input->originX + wl_fixed_to_int(x), input->originY + wl_fixed_to_int(y));
    input->started = true;
}

void PointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}

void PointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    auto* input = static_cast<WaylandInput*>(data);
    if (input->rule != InputRule::FullScreen || !input->started) return;
    if (input->exitRule.OnMotion(input->originX + wl_fixed_to_int(x),
                                 input->originY + wl_fixed_to_int(y)))
        input->ended = true;
}

PointerButton ButtonOf(uint32_t button) {
    switch (button) {
        case BTN_LEFT:
            return PointerButton::Left;
        case BTN_MIDDLE:
            return PointerButton::Middle;
        case BTN_RIGHT:
            return PointerButton::Right;
        default:
            return PointerButton::Other;
    }
}

void PointerButtonEvent(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button,
                        uint32_t state) {
    auto* input = static_cast<WaylandInput*>(data);
    if (input->rule == InputRule::FullScreen && state == WL_POINTER_BUTTON_STATE_PRESSED &&
        input->exitRule.OnButtonDown(ButtonOf(button)))
        input->ended = true;
}

// The wheel and the pointer's frames and axis details change nothing.
void PointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void PointerFrame(void*, wl_pointer*) {}
void PointerAxisSource(void*, wl_pointer*, uint32_t) {}
void PointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void PointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void PointerAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener PointerListener = {
    PointerEnter, PointerLeave,      PointerMotion,   PointerButtonEvent,  PointerAxis,
    PointerFrame, PointerAxisSource, PointerAxisStop, PointerAxisDiscrete, PointerAxisValue120};

void KeyboardKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) {
    close(fd);  // keys are told apart by their evdev codes alone
}

// Keys held as the focus comes (the one that started tolva, say) are no new input.
void KeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void KeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}

void KeyboardKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
    auto* input = static_cast<WaylandInput*>(data);
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
    if (input->rule == InputRule::FullScreen ? input->exitRule.OnKeyDown() != 0 : key == KEY_ESC)
        input->ended = true;
}

void KeyboardModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void KeyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}

const wl_keyboard_listener KeyboardListener = {KeyboardKeymap, KeyboardEnter,     KeyboardLeave,
                                               KeyboardKey,    KeyboardModifiers, KeyboardRepeat};

// Release, which tells the compositor, came with version 3 of the seat.
void DropPointer(wl_pointer* pointer) {
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(pointer);
    else
        wl_pointer_destroy(pointer);
}

void DropKeyboard(wl_keyboard* keyboard) {
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
        wl_keyboard_release(keyboard);
    else
        wl_keyboard_destroy(keyboard);
}

void SeatCapabilities(void* data, wl_seat* seat, uint32_t capabilities) {
    auto* input = static_cast<WaylandInput*>(data);
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (pointer && input->pointer == nullptr) {
        input->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(input->pointer, &PointerListener, input);
    } else if (!pointer && input->pointer != nullptr) {
        DropPointer(input->pointer);
        input->pointer = nullptr;
    }
    if (keyboard && input->keyboard == nullptr) {
        input->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(input->keyboard, &KeyboardListener, input);
    } else if (!keyboard && input->keyboard != nullptr) {
        DropKeyboard(input->keyboard);
        input->keyboard = nullptr;
    }
}

void SeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener SeatListener = {SeatCapabilities, SeatName};

}  // namespace

void StartWaylandInput(WaylandInput* input, WaylandConnection* connection, InputRule rule) {
    input->connection = connection;
    input->rule = rule;
    if (connection->seatName == 0) return;
    // Version 5 brings the pointer's frames and axis sources, and releasing devices.
    connection->seat = static_cast<wl_seat*>(
        wl_registry_bind(connection->registry, connection->seatName, &wl_seat_interface,
                         connection->seatVersion < 5 ? connection->seatVersion : 5));
    wl_seat_add_listener(connection->seat, &SeatListener, input);
}

void StopWaylandInput(WaylandInput* input) {
    if (input->pointer != nullptr) DropPointer(input->pointer);
    if (input->keyboard != nullptr) DropKeyboard(input->keyboard);
    input->pointer = nullptr;
    input->keyboard = nullptr;
}
