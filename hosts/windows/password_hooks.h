// The two places where the saver defers to the host's screen-saver password services, which
// live in host libraries loaded from the system folder for the length of one call: the check
// before the full-screen saver closes, and the password change the host asks for with /a.
#pragma once

#include <windows.h>

#include <cstdint>

// Returns 1 to keep the saver open, 0 to let it close. On Windows 9x, asks the host to verify
// the password when the desktop settings ask for one; when that cannot be done the saver stays
// open and a message says so. The NT family locks the session itself: there it always lets the
// saver close.
//
// checkDepth counts the close-time checks in progress (0 between checks, 1 during one): the
// host's verification may dispatch messages while it waits, so a second close request can
// arrive inside the first.
int CheckPasswordOnClose(HWND window, int32_t* checkDepth);

// Has the host change the screen-saver password, owned by ownerWindow.
void RunPasswordChange(HWND ownerWindow);
