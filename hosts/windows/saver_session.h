// The saver's whole state in one value: WinMain makes it, start-up fills it from the command
// line, each saver window reaches it through its MonitorWindow (handed over in the window's
// creation parameters) and the settings dialog through DialogBoxParam's lParam. Nothing of the
// saver lives in process-wide variables.
#pragma once

#include <windows.h>

#include <cstdint>

#include "host/exit_rule.h"
#include "hosts/windows/command_line.h"
#include "hosts/windows/display_watch.h"
#include "hosts/windows/monitor_list.h"
#include "surface/draw_paths.h"

struct MonitorWindow;

struct SaverSession {
    HINSTANCE instance = nullptr;
    SaverMode mode = SaverMode::Configure;
    // The window the command line named (for every mode but configure, the foreground window
    // when it named none): the preview's parent, the dialog's and the password change's owner.
    HWND parent = nullptr;
    // The preview's window or the primary monitor's: the one close requests go to and the
    // password check is given.
    HWND primaryWindow = nullptr;
    // In full screen, for all the windows together: where the cursor stood when the saver
    // started, in screen coordinates (the cursor goes back there when a close is refused), and
    // the mouse moves seen since then on any of them.
    FullScreenExitRule exitRule;
    // The saver's windows, the preview's or the primary monitor's first; each on the heap, so
    // the pointer a window keeps to its own stays good while others come and go.
    MonitorWindow* windows[MaxMonitors] = {};
    int windowCount = 0;
    // The settings as loaded when the saver started: the defaults when the key can be neither
    // read nor made.
    uint32_t trailCount = 0;
    int32_t colorMode = 0;
    // Every animation's drawing path, chosen once at start-up (TOLVA_DRAW); null: the best.
    const DrawPath* drawPath = nullptr;
    // Whether anyone can see the display; the primary's window registers for it. While nobody
    // can, no window has a frame timer.
    DisplayWatch displayWatch;
    // Close-time password checks in progress (CheckPasswordOnClose).
    int32_t passwordCheckDepth = 0;
    // Only a cursor that this saver hid is shown again at its end.
    bool cursorHidden = false;
};
