// Stand-in for the host's PASSWORD.CPL: VerifyScreenSavePwd records the window it was given and
// answers what the test asked for. Asked to, it also plays a host that dispatches messages while
// the user types: it posts a close request to the saver window and pumps it through.
#include <windows.h>

#include "standin_record.h"

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    WriteStandinNumber("TOLVA_VERIFY_CALLS", ReadStandinNumber("TOLVA_VERIFY_CALLS", 0) + 1);
    WriteStandinNumber("TOLVA_VERIFY_WINDOW", reinterpret_cast<LONG_PTR>(window));
    if (ReadStandinNumber("TOLVA_VERIFY_NESTED_CLOSE", 0) != 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        MSG message;
        while (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        WriteStandinNumber("TOLVA_VERIFY_WINDOW_AFTER_NESTED", IsWindow(window) ? 1 : 0);
    }
    return static_cast<BOOL>(ReadStandinNumber("TOLVA_VERIFY_ANSWER", 0));
}
