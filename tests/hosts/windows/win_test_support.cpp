// The Wine-side test helpers.
#include "win_test_support.h"

#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char SandboxRoot[] = "Software\\TolvaTestProfiles";

HKEY OpenRealCurrentUser() {
    HKEY key = nullptr;
    RegOpenCurrentUser(KEY_ALL_ACCESS, &key);
    return key;
}

void ApplyAccessList(const char* path, const char* sddl) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                             nullptr)) {
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        LocalFree(descriptor);
    }
    RegCloseKey(key);
}

// Gives a locked key tree back its default access so the sandbox can be deleted.
void UnlockTree(HKEY parent, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                 &descriptor, nullptr)) {
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
            LocalFree(descriptor);
        }
        RegCloseKey(key);
    }
    if (RegOpenKeyExA(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        UnlockTree(key, name);
    }
    RegCloseKey(key);
}

int sandboxSerial = 0;

}  // namespace

RegistrySandbox::RegistrySandbox() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    HKEY real = OpenRealCurrentUser();
    const std::string path = std::string(SandboxRoot) + "\\" +
                             std::to_string(GetCurrentProcessId()) + "_" +
                             std::to_string(++sandboxSerial);
    DWORD disposition = 0;
    RegCreateKeyExA(real, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &profile,
                    &disposition);
    RegCloseKey(real);
    RegOverridePredefKey(HKEY_CURRENT_USER, profile);
}

RegistrySandbox::~RegistrySandbox() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    UnlockTree(profile, "");
    RegDeleteTreeA(profile, nullptr);
    RegCloseKey(profile);
    HKEY real = OpenRealCurrentUser();
    RegDeleteTreeA(real, SandboxRoot);
    RegCloseKey(real);
}

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

DWORD ValueCount(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return values;
}

void WriteRawValue(const char* path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        &disposition) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void WriteDword(const char* path, const char* name, DWORD value) {
    WriteRawValue(path, name, REG_DWORD, &value, sizeof value);
}

bool ReadRawValue(const char* path, const char* name, DWORD* type, std::vector<uint8_t>* data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    uint8_t buffer[64] = {};
    DWORD size = sizeof buffer;
    const LONG result = RegQueryValueExA(key, name, nullptr, type, buffer, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    data->assign(buffer, buffer + size);
    return true;
}

void LockKeyReadOnly(const char* path) {
    ApplyAccessList(path, "D:P(A;;KR;;;WD)");
}
void LockKeyCompletely(const char* path) {
    ApplyAccessList(path, "D:P");
}

MessageBoxWatcher::MessageBoxWatcher() : watcher([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stopping = true;
    watcher.join();
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen() {
    std::lock_guard<std::mutex> lock(mutex);
    return seen;
}

void MessageBoxWatcher::Watch() {
    const DWORD process = GetCurrentProcessId();
    while (!stopping) {
        HWND box = nullptr;
        while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(box, &owner);
            char caption[256] = {};
            GetWindowTextA(box, caption, sizeof caption);
            if (owner != process || !IsWindowVisible(box) || std::string(caption) == "SETUP") {
                continue;
            }
            SeenMessageBox entry;
            entry.caption = caption;
            char text[512] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            entry.text = text;
            entry.hasOwner = GetWindow(box, GW_OWNER) != nullptr;
            HWND cancel = GetDlgItem(box, IDCANCEL);
            entry.hasCancel = cancel != nullptr && IsWindowVisible(cancel);
            {
                std::lock_guard<std::mutex> lock(mutex);
                seen.push_back(entry);
            }
            // OK ends the box; wait until it is gone so it is not read twice.
            SendMessageA(box, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(10);
            break;
        }
        Sleep(20);
    }
}

std::string StandinDirectory(const char* name) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    directory.resize(directory.find_last_of('\\') + 1);
    return directory + name;
}

namespace {

constexpr const char* HostLibraries[] = {"PASSWORD.CPL", "MPR.DLL"};

std::string InSystemFolder(const char* name) {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

// Wine ships an mpr.dll of its own (and no PASSWORD.CPL); it waits here while stand-ins are in.
std::string WineMprSetAside() {
    return InSystemFolder("mpr.dll.tolva-set-aside");
}

}  // namespace

void UseStandins(const char* name) {
    if (GetFileAttributesA(WineMprSetAside().c_str()) == INVALID_FILE_ATTRIBUTES) {
        MoveFileExA(InSystemFolder("MPR.DLL").c_str(), WineMprSetAside().c_str(), 0);
    }
    for (const char* library : HostLibraries) {
        const std::string installed = InSystemFolder(library);
        DeleteFileA(installed.c_str());
        CopyFileA((StandinDirectory(name) + "\\" + library).c_str(), installed.c_str(), FALSE);
    }
}

void RemoveStandins() {
    for (const char* library : HostLibraries) DeleteFileA(InSystemFolder(library).c_str());
    MoveFileExA(WineMprSetAside().c_str(), InSystemFolder("MPR.DLL").c_str(), 0);
}

void ResetStandinRecords() {
    for (const char* name : {"TOLVA_VERIFY_CALLS", "TOLVA_VERIFY_WINDOW",
                             "TOLVA_VERIFY_NESTED_CLOSE", "TOLVA_VERIFY_WINDOW_AFTER_NESTED",
                             "TOLVA_VERIFY_ANSWER", "TOLVA_CHANGE_CALLS", "TOLVA_CHANGE_PROVIDER",
                             "TOLVA_CHANGE_OWNER", "TOLVA_CHANGE_ARG3", "TOLVA_CHANGE_ARG4"}) {
        SetEnvironmentVariableA(name, nullptr);
    }
}

long StandinNumber(const char* name) {
    char text[64] = {};
    if (GetEnvironmentVariableA(name, text, sizeof text) == 0) return -1;
    return std::strtol(text, nullptr, 0);
}

std::string StandinText(const char* name) {
    char text[256] = {};
    if (GetEnvironmentVariableA(name, text, sizeof text) == 0) return "";
    return text;
}

void SetStandinNumber(const char* name, long value) {
    SetEnvironmentVariableA(name, std::to_string(value).c_str());
}

bool TakePostedClose(HWND window) {
    MSG message;
    bool found = false;
    bool quit = false;
    WPARAM quitCode = 0;
    // WM_QUIT comes back whatever the filter says; put it back for whoever waits for it.
    while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
        if (message.message == WM_CLOSE) found = true;
        if (message.message == WM_QUIT) {
            quit = true;
            quitCode = message.wParam;
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return found;
}

bool TakePostedQuit(WPARAM* code) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    *code = message.wParam;
    return true;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND CreateHostWindow(int width, int height) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TolvaTestHost";
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        RegisterClassA(&windowClass);
        registered = true;
    }
    return CreateWindowExA(0, "TolvaTestHost", "host", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

int CursorDisplayCount() {
    const int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return count;
}
