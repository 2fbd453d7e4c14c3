// The password hooks: the desktop setting, PASSWORD.CPL's verification and MPR.DLL's change.
#include "hosts/windows/password_hooks.h"

#include <windows.h>

#include <cstdint>

#include "hosts/windows/registry_value.h"
#include "hosts/windows/saver_messages.h"
#include "hosts/windows/saver_texts.h"
#include "hosts/windows/system_library.h"

namespace {

using VerifyPasswordEntry = BOOL(WINAPI*)(HWND window);
using ChangePasswordEntry = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved1,
                                           LPVOID reserved2);

void ShowCheckFailed() {
    ShowSaverMessage(PasswordCheckFailedMessage, MB_OK | AboveTheSaver);
}

// The host's password services exist on Windows 95, 98 and Me only. The NT family locks the
// session itself when the saver ends and has no PASSWORD.CPL, so there a leftover
// ScreenSaveUsePassword must not keep the saver open.
bool HostHasPasswordServices() {
    return (GetVersion() & 0x80000000u) != 0;
}

// Whether the desktop settings ask for a password: 1 yes, 0 no, -1 the key cannot be opened.
// The key is only read, so read access is all that is asked for; a profile where it is not
// writable must still let the saver close.
int PasswordRequired() {
    HKEY key = nullptr;
    DWORD disposition = 0;
    char emptyClass[] = "";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, DesktopKeyPath, 0, emptyClass, REG_OPTION_NON_VOLATILE,
                        KEY_READ, nullptr, &key, &disposition) != ERROR_SUCCESS) {
        return -1;
    }
    // Room for the flag as text, which is how the desktop settings store it; an integer value
    // longer than 4 bytes still counts as unreadable.
    uint8_t data[64] = {};
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    const LONG result = RegQueryValueExA(key, UsePasswordValueName, nullptr, &type, data, &size);
    uint32_t usePassword = 0;
    const int read = TakeRegistrySetting(result, type, data, size, sizeof data, &usePassword);
    RegCloseKey(key);
    return read && usePassword != 0 ? 1 : 0;
}

int VerifyWithHost(HWND window) {
    if (!HostHasPasswordServices()) return 0;
    const int required = PasswordRequired();
    if (required < 0) {
        ShowCheckFailed();
        return 1;
    }
    if (required == 0) return 0;
    HMODULE library = LoadSystemLibrary(PasswordLibraryName);
    if (library == nullptr) {
        ShowCheckFailed();
        return 1;
    }
    auto verify = reinterpret_cast<VerifyPasswordEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, VerifyPasswordEntryName)));
    if (verify == nullptr) {
        ShowCheckFailed();
        FreeLibrary(library);
        return 1;
    }
    const BOOL accepted = verify(window);
    FreeLibrary(library);
    return accepted != 0 ? 0 : 1;
}

}  // namespace

int CheckPasswordOnClose(HWND window, int32_t* checkDepth) {
    ++*checkDepth;
    // A close request that arrives while the host verifies is refused quietly; the outer check
    // alone decides.
    const int keepOpen = *checkDepth != 1 ? 1 : VerifyWithHost(window);
    --*checkDepth;
    return keepOpen;
}

void RunPasswordChange(HWND ownerWindow) {
    HMODULE library = LoadSystemLibrary(ChangeLibraryName);
    if (library == nullptr) {
        ShowSaverMessage(ChangeLibraryMissingMessage, MB_OK);
        return;
    }
    auto change = reinterpret_cast<ChangePasswordEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, ChangePasswordEntryName)));
    if (change != nullptr) change(PasswordProviderName, ownerWindow, 0, nullptr);
    FreeLibrary(library);
}
