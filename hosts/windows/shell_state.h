// The process-wide values that start-up sets once and the rest of the shell reads: the module
// instance, the mode chosen on the command line and the window named there (or the foreground
// window in its place).
#pragma once

#include <windows.h>

#include <cstdint>

extern HINSTANCE InstanceHandle;
extern int16_t SaverMode;
extern HWND ParentWindow;
