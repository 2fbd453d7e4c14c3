// The settings store on the registry's ANSI functions.
#include "hosts/windows/settings_store.h"

#include <windows.h>

#include <cstdint>

#include "hosts/windows/registry_value.h"
#include "hosts/windows/saver_texts.h"
#include "trails/setting_limits.h"

namespace {

// Opens the key with the access asked for, creating it (empty) when it does not exist.
HKEY CreateSettingsKey(REGSAM access) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    char emptyClass[] = "";
    const LONG result =
        RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, emptyClass, REG_OPTION_NON_VOLATILE,
                        access, nullptr, &key, &disposition);
    return result == ERROR_SUCCESS ? key : nullptr;
}

// Loading only reads, so it asks for read access alone: a key the user may read but not write
// (one an administrator set) still gives its stored values. It is created only when missing.
HKEY OpenSettingsKeyToRead() {
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key);
    if (result == ERROR_SUCCESS) return key;
    return result == ERROR_FILE_NOT_FOUND ? CreateSettingsKey(KEY_READ) : nullptr;
}

// No type is asked for: any value of at most 4 bytes is read as the integer its bytes form.
void ReadInteger(HKEY key, const char* name, uint32_t* value) {
    uint8_t data[4] = {};
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, data, &size);
    TakeRegistryInteger(result, data, size, value);
}

void WriteInteger(HKEY key, const char* name, uint32_t value) {
    const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                          static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    RegSetValueExA(key, name, 0, REG_DWORD, data, sizeof data);
}

}  // namespace

int LoadSettings(uint32_t* trailCount, int32_t* colorMode) {
    *trailCount = DefaultTrailCount;
    *colorMode = DefaultColorMode;
    HKEY key = OpenSettingsKeyToRead();
    if (key == nullptr) return 0;
    ReadInteger(key, CountValueName, trailCount);
    uint32_t stored = static_cast<uint32_t>(*colorMode);
    ReadInteger(key, ColorValueName, &stored);
    *colorMode = static_cast<int32_t>(stored);
    RegCloseKey(key);
    return 1;
}

int SaveSettings(uint32_t trailCount, int32_t colorMode) {
    HKEY key = CreateSettingsKey(KEY_SET_VALUE);
    if (key == nullptr) return 0;
    WriteInteger(key, CountValueName, trailCount);
    WriteInteger(key, ColorValueName, static_cast<uint32_t>(colorMode));
    RegCloseKey(key);
    return 1;
}
