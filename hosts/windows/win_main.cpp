// The saver's entry point: runs the program with the one session that holds the saver's state for
// the whole run. The host passes the command line without the program's own path; the text is ANSI.
#include <windows.h>

#include "hosts/windows/saver_main.h"
#include "hosts/windows/saver_session.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    SaverSession session;
    return RunSaverProgram(instance, commandLine, &session);
}
