// Which input ends the full-screen viewer: the Windows saver's rules, kept free of any window
// system so each presenter only translates its events. A key press, the left or the right
// button end it; the middle button, the wheel and releases do not. Pointer motion ends it only
// from the seventh motion event on, and only when the pointer stands more than 3 pixels from
// where it was at start on both axes at once: a nudge of the desk, or a long slide along one
// axis, leaves the saver running.
#pragma once

#include <cstdint>

enum class PointerButton { Left, Middle, Right, Other };

class FullScreenExitRule {
  public:
    // Saves the pointer position (screen coordinates) and restarts the motion count.
    void Start(int32_t pointerX, int32_t pointerY);

    // Each returns 1 when the input ends the saver.
    int OnKeyDown() const { return 1; }
    int OnButtonDown(PointerButton button) const;
    // x and y are the pointer's position in screen coordinates, as at Start.
    int OnMotion(int32_t x, int32_t y);

    uint16_t GetMotionCount() const { return motionCount; }

  private:
    int32_t savedX = 0;
    int32_t savedY = 0;
    uint16_t motionCount = 0;  // wraps after 65535 events, as the saver's counter does
};
