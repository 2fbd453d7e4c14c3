// What the system tells the saver about its display: the DPI each window is shown at (the scale
// its animation draws at, so trails keep the physical size they have on a 96-DPI monitor), and
// whether anyone can see the display at all: its power state and the session's lock and
// connection. The calls that older Windows lacks are looked up at run time, so the saver still
// starts there and needs no library beyond the system's own.
#pragma once

#include <windows.h>

#include <cstdint>

// The DPI window is shown at: GetDpiForWindow (Windows 10 1607), else GetDpiForMonitor of its
// monitor (Windows 8.1), else 96, which is also what a DPI that cannot be read counts as. The
// animation's scale for it is every host's (host/display_scale.h).
uint32_t ReadWindowDpi(HWND window);

// Whether the screen is seen, and the registrations that keep it known.
struct DisplayWatch {
    HWND window = nullptr;
    void* powerNotification = nullptr;
    HMODULE sessionLibrary = nullptr;
    bool displayOff = false;
    bool locked = false;
    bool disconnected = false;
};

// Asks for display-state notifications (WM_POWERBROADCAST, Windows Vista and later, which sends
// the current state at once) and session notifications (WM_WTSSESSION_CHANGE) to window. Either
// may be missing; the display then counts as seen throughout.
void StartDisplayWatch(DisplayWatch* watch, HWND window);
// Unregisters both; for the window's WM_DESTROY.
void StopDisplayWatch(DisplayWatch* watch);
// Takes a WM_POWERBROADCAST or WM_WTSSESSION_CHANGE in. Returns whether it changed whether the
// display is seen.
bool TakeDisplayMessage(DisplayWatch* watch, UINT message, WPARAM wParam, LPARAM lParam);
// The display is off, or the session locked or disconnected: frames would reach nobody.
bool DisplayUnseen(const DisplayWatch& watch);
