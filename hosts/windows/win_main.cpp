// The saver's entry point: plugs the platform into the animation core and runs the program with
// the one session that holds the saver's state for the whole run. The host passes the command
// line without the program's own path; the text is ANSI.
#include <windows.h>

#include "hosts/windows/saver_main.h"
#include "hosts/windows/saver_session.h"
#include "hosts/windows/win32_seams.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    InstallWin32Seams();
    SaverSession session;
    return RunSaverProgram(instance, commandLine, &session);
}
