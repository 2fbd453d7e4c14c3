// Input on tolva's Wayland surfaces, through the seat's pointer and keyboard as they come and go
// (a virtual keyboard may appear only when it types). No keymap is needed: in full screen any
// key, the left or the right button, or a real move (FullScreenExitRule) ends the saver, and
// the pointer is hidden over its surfaces; in a window, Escape (evdev's KEY_ESC) ends it. The
// exit rule starts from where the pointer first enters a surface of tolva's, in the
// compositor's space (the output's place plus the point on the surface), never from 0,0.
#pragma once

#include <cstdint>

#include "host/exit_rule.h"
#include "hosts/linux/wayland_connection.h"

struct wl_keyboard;
struct wl_pointer;
struct wl_surface;

enum class InputRule { Escape, FullScreen };

struct WaylandInput {
    WaylandConnection* connection = nullptr;
    InputRule rule = InputRule::Escape;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    int32_t originX = 0;  // the place of the output under the pointer
    int32_t originY = 0;
    FullScreenExitRule exitRule;
    bool started = false;  // the pointer has entered, and the exit rule has its start point
    bool ended = false;    // an input ended tolva
};

// Listens to the connection's seat, if it has one. The surfaces' user data must be their
// WaylandSurface.
void StartWaylandInput(WaylandInput* input, WaylandConnection* connection, InputRule rule);
void StopWaylandInput(WaylandInput* input);
