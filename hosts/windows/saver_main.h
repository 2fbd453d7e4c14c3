// The saver program's whole run, from WinMain's arguments to its exit code: the single-instance
// test, the mode from the command line, and that mode's work. WinMain only forwards to it, so
// tests can run each path in-process.
#pragma once

#include <windows.h>

#include "hosts/windows/saver_session.h"

// Fills session from the instance and the command line and hands it to the mode's windows or
// dialog. Returns the exit code, which is 0 on every path.
int RunSaverProgram(HINSTANCE instance, const char* commandLine, SaverSession* session);
