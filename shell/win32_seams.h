// The Windows side of the animation core's seams: timeGetTime as the millisecond clock, the
// device-context copy of a finished frame, and GetForegroundWindow as the command line's
// fallback window.
#pragma once

// Plugs all three in; start-up calls it before anything else runs.
void InstallWin32Seams();
