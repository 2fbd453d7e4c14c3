// The saver's one window, as a child of the host's preview window or full screen, and its
// window procedure: set-up on creation, one frame per timer tick, and in full screen the input
// rules that end the saver after the password check.
#pragma once

#include <windows.h>

#include <cstdint>

extern HWND SaverWindow;
// Where the cursor stood when the full-screen window was created, in screen coordinates; the
// cursor goes back there when a close is refused. (0, 0) until then.
extern POINT SavedCursorPos;
// WM_MOUSEMOVE messages since start or since the last refused close; wraps at 65536.
extern uint16_t MouseMoveCount;

// Registers the window class and creates the window for the current SaverMode. Returns 0 when
// the window exists and 1 when the class or the window could not be created.
int CreateSaverWindow(int preview);

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
