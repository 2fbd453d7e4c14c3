// Which input ends a full-screen saver, for the Windows saver window and the viewer alike, kept
// free of any window system so each host only translates its events. A key press, the left or the
// right button end it; the middle button, the wheel and releases do not. Pointer motion ends it
// only from the seventh motion event on, and only when the pointer stands more than 3 pixels from
// where it was at start on both axes at once: a nudge of the desk, or a long slide along one
// axis, leaves the saver running.
#pragma once

#include <cstdint>

enum class PointerButton { Left, Middle, Right, Other };

class FullScreenExitRule {
  public:
    // Saves the pointer position (screen coordinates) and restarts the motion count.
    void Start(int32_t pointerX, int32_t pointerY);
    // After a refused close: the first motions are ignored again, from the same start point.
    void RestartMotionCount() { motionCount = 0; }

    // Each returns 1 when the input ends the saver.
    int OnKeyDown() const { return 1; }
    int OnButtonDown(PointerButton button) const;
    // x and y are the pointer's position in the same signed screen coordinates as at Start.
    int OnMotion(int32_t x, int32_t y);

    uint16_t GetMotionCount() const { return motionCount; }
    int32_t GetStartX() const { return savedX; }
    int32_t GetStartY() const { return savedY; }

  private:
    int32_t savedX = 0;
    int32_t savedY = 0;
    uint16_t motionCount = 0;  // wraps after 65535 events, as the saver's counter does
};
