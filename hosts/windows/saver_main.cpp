// Start-up and mode selection, and the program's only message loop.
#include "hosts/windows/saver_main.h"

#include <windows.h>

#include <cstdint>

#include "hosts/windows/command_line.h"
#include "hosts/windows/password_hooks.h"
#include "hosts/windows/saver_messages.h"
#include "hosts/windows/saver_texts.h"
#include "hosts/windows/saver_window.h"
#include "hosts/windows/setup_dialog.h"
#include "hosts/windows/shell_state.h"

namespace {

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int RunSaverWindow(int preview) {
    if (CreateSaverWindow(preview) != 0) {
        ShowSaverMessage(CreateFailedMessage, MB_OK | MB_SETFOREGROUND);
        return 0;
    }
    return RunMessageLoop();
}

}  // namespace

int RunSaverProgram(HINSTANCE instance, const char* commandLine) {
    InstanceHandle = instance;
    // Only top-level windows are found, so a running full-screen saver blocks every new start
    // while a preview (a child window) blocks none.
    if (FindWindowA(SaverClassName, nullptr) != nullptr) return 0;

    intptr_t parent = 0;
    const int noSwitch = ParseCommandLine(commandLine, &parent, &SaverMode);
    ParentWindow = reinterpret_cast<HWND>(parent);
    if (noSwitch) return 0;

    switch (SaverMode) {
        case Configure:
            RunSetupDialog(ParentWindow);
            return 0;
        case Preview:
            return RunSaverWindow(1);
        case Run:
            return RunSaverWindow(0);
        case ChangePassword:
            RunPasswordChange(ParentWindow);
            return 0;
        default:
            return 0;
    }
}
