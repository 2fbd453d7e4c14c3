// Start-up and mode selection, and the program's only message loop.
#include "hosts/windows/saver_main.h"

#include <windows.h>

#include <cstdint>

#include "host/draw_path_choice.h"
#include "hosts/windows/command_line.h"
#include "hosts/windows/password_hooks.h"
#include "hosts/windows/saver_messages.h"
#include "hosts/windows/saver_session.h"
#include "hosts/windows/saver_texts.h"
#include "hosts/windows/saver_window.h"
#include "hosts/windows/setup_dialog.h"
#include "hosts/windows/win32_seams.h"

namespace {

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int RunSaverWindows(SaverSession* session) {
    if (!CreateSaverWindows(session)) {
        ShowSaverMessage(CreateFailedMessage, MB_OK | MB_SETFOREGROUND);
        return 0;
    }
    return RunMessageLoop();
}

}  // namespace

int RunSaverProgram(HINSTANCE instance, const char* commandLine, SaverSession* session) {
    session->instance = instance;
    // Only top-level windows are found, so a running full-screen saver blocks every new start
    // while a preview (a child window) blocks none.
    if (FindWindowA(SaverClassName, nullptr) != nullptr) return 0;

    // Read once for every window the saver opens; a name it cannot draw with leaves the best.
    session->drawPath = &DrawPathFromEnvironment(nullptr);
    intptr_t parent = 0;
    const int chosen = ParseCommandLine(commandLine, ReadForegroundWindow, &parent, &session->mode);
    session->parent = reinterpret_cast<HWND>(parent);
    if (!chosen) return 0;

    switch (session->mode) {
        case SaverMode::Configure:
            RunSetupDialog(session);
            return 0;
        case SaverMode::Preview:
        case SaverMode::Run:
            return RunSaverWindows(session);
        case SaverMode::ChangePassword:
            RunPasswordChange(session->parent);
            return 0;
        default:
            return 0;
    }
}
