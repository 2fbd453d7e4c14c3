// The saver's one window, as a child of the host's preview window or full screen, and its
// window procedure: set-up on creation, one frame per timer tick, and in full screen the input
// rules that end the saver after the password check.
#pragma once

#include <windows.h>

#include <cstdint>

#include "tools/common/exit_rule.h"
#include "trails/animation.h"

extern HWND SaverWindow;
// The window's animation: the window procedure has no user pointer, so it finds it here.
extern Animation SaverAnimation;
// In full screen: where the cursor stood when the window was created, in screen coordinates
// (the cursor goes back there when a close is refused), and the mouse moves seen since then.
extern FullScreenExitRule SaverExitRule;

// Registers the window class and creates the window for the current SaverMode. Returns 0 when
// the window exists and 1 when the class or the window could not be created.
int CreateSaverWindow(int preview);

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
