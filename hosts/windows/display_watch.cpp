// DPI reading and the display-state and session notifications, each through an entry point looked
// up at run time.
#include "hosts/windows/display_watch.h"

#include <windows.h>
// After windows.h, which it needs; for its constants only: its calls are looked up.
#include <wtsapi32.h>

#include <cstdint>

#include "hosts/windows/system_library.h"

namespace {

// What a DPI that cannot be read counts as: the one the saver was made for.
constexpr uint32_t DesignDpi = 96;
// GetDpiForMonitor's MDT_EFFECTIVE_DPI: the DPI the user chose for the monitor.
constexpr int EffectiveDpi = 0;
// POWERBROADCAST_SETTING's Data for GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on, 2 dimmed.
constexpr DWORD DisplayStateOff = 0;

// GUID_CONSOLE_DISPLAY_STATE, spelt out so that no import library has to supply it.
const GUID ConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

using DpiForWindowEntry = UINT(WINAPI*)(HWND window);
using DpiForMonitorEntry = HRESULT(WINAPI*)(HMONITOR monitor, int kind, UINT* x, UINT* y);
using RegisterPowerEntry = void*(WINAPI*)(HANDLE recipient, LPCGUID setting, DWORD flags);
using UnregisterPowerEntry = BOOL(WINAPI*)(void* notification);
using RegisterSessionEntry = BOOL(WINAPI*)(HWND window, DWORD flags);
using UnregisterSessionEntry = BOOL(WINAPI*)(HWND window);

template <typename Entry>
Entry Lookup(HMODULE library, const char* name) {
    if (library == nullptr) return nullptr;
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

HMODULE User32() {
    return GetModuleHandleA("user32.dll");
}

}  // namespace

uint32_t ReadWindowDpi(HWND window) {
    auto forWindow = Lookup<DpiForWindowEntry>(User32(), "GetDpiForWindow");
    if (forWindow != nullptr) {
        const UINT dpi = forWindow(window);
        if (dpi != 0) return dpi;
    }
    HMODULE shcore = LoadSystemLibrary("shcore.dll");
    auto forMonitor = Lookup<DpiForMonitorEntry>(shcore, "GetDpiForMonitor");
    UINT x = 0;
    UINT y = 0;
    const bool read = forMonitor != nullptr &&
                      forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), EffectiveDpi,
                                 &x, &y) == S_OK &&
                      x != 0;
    if (shcore != nullptr) FreeLibrary(shcore);
    return read ? x : DesignDpi;
}

void StartDisplayWatch(DisplayWatch* watch, HWND window) {
    watch->window = window;
    auto registerPower = Lookup<RegisterPowerEntry>(User32(), "RegisterPowerSettingNotification");
    if (registerPower != nullptr) {
        watch->powerNotification =
            registerPower(window, &ConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    watch->sessionLibrary = LoadSystemLibrary("wtsapi32.dll");
    auto registerSession =
        Lookup<RegisterSessionEntry>(watch->sessionLibrary, "WTSRegisterSessionNotification");
    if (registerSession == nullptr || !registerSession(window, NOTIFY_FOR_THIS_SESSION)) {
        if (watch->sessionLibrary != nullptr) FreeLibrary(watch->sessionLibrary);
        watch->sessionLibrary = nullptr;
    }
}

void StopDisplayWatch(DisplayWatch* watch) {
    if (watch->powerNotification != nullptr) {
        auto unregisterPower =
            Lookup<UnregisterPowerEntry>(User32(), "UnregisterPowerSettingNotification");
        if (unregisterPower != nullptr) unregisterPower(watch->powerNotification);
        watch->powerNotification = nullptr;
    }
    if (watch->sessionLibrary != nullptr) {
        auto unregisterSession = Lookup<UnregisterSessionEntry>(watch->sessionLibrary,
                                                                "WTSUnRegisterSessionNotification");
        if (unregisterSession != nullptr) unregisterSession(watch->window);
        FreeLibrary(watch->sessionLibrary);
        watch->sessionLibrary = nullptr;
    }
}

bool TakeDisplayMessage(DisplayWatch* watch, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool wasUnseen = DisplayUnseen(*watch);
    if (message == WM_POWERBROADCAST && wParam == PBT_POWERSETTINGCHANGE && lParam != 0) {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
        if (IsEqualGUID(setting->PowerSetting, ConsoleDisplayState) &&
            setting->DataLength >= sizeof(DWORD)) {
            DWORD state = 0;
            CopyMemory(&state, setting->Data, sizeof state);
            watch->displayOff = state == DisplayStateOff;
        }
    } else if (message == WM_WTSSESSION_CHANGE) {
        switch (wParam) {
            case WTS_SESSION_LOCK:
                watch->locked = true;
                break;
            case WTS_SESSION_UNLOCK:
                watch->locked = false;
                break;
            case WTS_CONSOLE_DISCONNECT:
            case WTS_REMOTE_DISCONNECT:
                watch->disconnected = true;
                break;
            case WTS_CONSOLE_CONNECT:
            case WTS_REMOTE_CONNECT:
                watch->disconnected = false;
                break;
            default:
                break;
        }
    }
    return DisplayUnseen(*watch) != wasUnseen;
}

bool DisplayUnseen(const DisplayWatch& watch) {
    return watch.displayOff || watch.locked || watch.disconnected;
}
