// The saver's windows and their window procedure: in preview one child of the host's window; in
// full screen one topmost window per monitor, each with its own animation at that monitor's
// pixel size, acting as one saver: one start point and grace count for the mouse, any closing
// input closes them all after at most one password check, and the process ends when the last
// is gone. A change of monitors or resolution lays them out again.
#pragma once

#include <windows.h>

#include <cstdint>

#include "hosts/windows/monitor_list.h"
#include "hosts/windows/saver_session.h"
#include "hosts/windows/win32_seams.h"
#include "trails/animation.h"

// One window of the saver, the preview's or a monitor's, and what it draws.
struct MonitorWindow {
    SaverSession* session = nullptr;
    HWND window = nullptr;
    // The monitor in virtual-screen coordinates; the preview's is its own area at (0, 0).
    MonitorRect bounds = {0, 0, 0, 0};
    // The primary monitor (and the preview) draw the frames the saver always drew; every other
    // monitor draws its own from a seed of its own.
    uint32_t seed = Animation::DesignSeed;
    Animation animation;
};

// Fills monitors (room for MaxMonitors) with the monitors to cover, the primary's first, and
// returns how many: the fake ones that TOLVA_FAKE_MONITORS lists when it is set and well formed
// (tests under Wine, which shows one monitor), else the system's, else the screen at (0, 0).
int EnumerateSaverMonitors(MonitorRect* monitors);

// Registers the window class, loads the settings into the session and creates the preview
// window (a child of session->parent), or the full-screen windows, for session->mode. Returns 1
// when the preview or the primary monitor's window exists and 0 when the class or that window
// could not be created.
int CreateSaverWindows(SaverSession* session);

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
