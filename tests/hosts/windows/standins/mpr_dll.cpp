// Stand-in for the host's MPR.DLL: PwdChangePasswordA records its four arguments.
#include <windows.h>

#include <cstring>

#include "standin_record.h"

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD reserved1, LPVOID reserved2) {
    WriteStandinNumber("TOLVA_CHANGE_CALLS", ReadStandinNumber("TOLVA_CHANGE_CALLS", 0) + 1);
    SetEnvironmentVariableA("TOLVA_CHANGE_PROVIDER", provider != nullptr ? provider : "(null)");
    WriteStandinNumber("TOLVA_CHANGE_OWNER", reinterpret_cast<LONG_PTR>(owner));
    WriteStandinNumber("TOLVA_CHANGE_ARG3", static_cast<long long>(reserved1));
    WriteStandinNumber("TOLVA_CHANGE_ARG4", reinterpret_cast<LONG_PTR>(reserved2));
    return 0;
}
