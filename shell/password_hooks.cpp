// The password hooks: the desktop setting, PASSWORD.CPL's verification and MPR.DLL's change.
#include "shell/password_hooks.h"

#include <windows.h>

#include <cstdint>

#include "shell/registry_value.h"
#include "shell/saver_texts.h"

int32_t PasswordCheckDepth = 0;

namespace {

using VerifyPasswordEntry = BOOL(WINAPI*)(HWND window);
using ChangePasswordEntry = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved1,
                                           LPVOID reserved2);

void ShowCheckFailed() {
    MessageBoxA(nullptr, PasswordCheckFailedText, PasswordCheckFailedCaption, MB_OK);
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
    uint8_t data[4] = {};
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExA(key, UsePasswordValueName, nullptr, nullptr, data, &size);
    uint32_t usePassword = 0;
    const int read = TakeRegistryInteger(result, data, size, &usePassword);
    RegCloseKey(key);
    return read && usePassword != 0 ? 1 : 0;
}

int VerifyWithHost(HWND window) {
    const int required = PasswordRequired();
    if (required < 0) {
        ShowCheckFailed();
        return 1;
    }
    if (required == 0) return 0;
    HMODULE library = LoadLibraryA(PasswordLibraryName);
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

int CheckPasswordOnClose(HWND window) {
    ++PasswordCheckDepth;
    // A close request that arrives while the host verifies is refused quietly; the outer check
    // alone decides.
    const int keepOpen = PasswordCheckDepth != 1 ? 1 : VerifyWithHost(window);
    --PasswordCheckDepth;
    return keepOpen;
}

void RunPasswordChange(HWND ownerWindow) {
    HMODULE library = LoadLibraryA(ChangeLibraryName);
    if (library == nullptr) {
        MessageBoxA(nullptr, ChangeLibraryMissingText, ChangeLibraryMissingCaption, MB_OK);
        return;
    }
    auto change = reinterpret_cast<ChangePasswordEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, ChangePasswordEntryName)));
    if (change != nullptr) change(PasswordProviderName, ownerWindow, 0, nullptr);
    FreeLibrary(library);
}
