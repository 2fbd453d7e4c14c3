// saver_input_probe: feeds the real saver the registry values and command lines nobody should
// give it, and requires the defined behaviour every time: no crash and no hang, whatever window
// the rules call for (the saver window, the preview, the settings dialog, or the creation-failure
// message), a saver that a key press, a closed dialog or a dismissed message still ends, and exit
// code 0. One line per case; exit code 0 when every case passed.
//
//   saver_input_probe SAVER_PATH [quick]
//
// quick keeps a sample of each kind of case (short, exactly 4, long values of three types; the
// extreme numbers; every command line) for runs where time is short.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr char SettingsKey[] = "Software\\Ravik\\SCREEN SAVER\\TOLVA";
constexpr DWORD CaseTimeoutMs = 20000;

std::string saverPath;
bool quick = false;
HWND hostWindow = nullptr;
int failures = 0;
int cases = 0;

struct Seen {
    bool saverWindow = false;
    bool setupDialog = false;
    bool messageBox = false;
    bool preview = false;
};

struct Search {
    DWORD processId;
    Seen* seen;
};

// Closes whatever the saver shows the way a user would: a key on the saver window, Cancel on the
// settings dialog, OK on a message box.
BOOL CALLBACK Answer(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    char className[64] = {};
    char title[64] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (std::strcmp(className, "TOLVA.gwp") == 0) {
        search->seen->saverWindow = true;
        PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    } else if (std::strcmp(className, "#32770") == 0 && std::strcmp(title, "SETUP") == 0) {
        search->seen->setupDialog = true;
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    } else if (std::strcmp(className, "#32770") == 0) {
        search->seen->messageBox = true;
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHost() {
    WNDCLASSA host = {};
    host.lpfnWndProc = HostProc;
    host.hInstance = GetModuleHandleA(nullptr);
    host.lpszClassName = "ProbePreviewHost";
    RegisterClassA(&host);
    return CreateWindowExA(0, "ProbePreviewHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           160, 120, nullptr, nullptr, host.hInstance, nullptr);
}

// Whether the preview's child window sits in the host.
bool HasPreviewChild() {
    return FindWindowExA(hostWindow, nullptr, "TOLVA.gwp", nullptr) != nullptr;
}

enum class Expect { NothingShown, SaverOrMessage, Dialog, PreviewInHost, Anything };

void RunCase(const char* name, const std::string& arguments, Expect expect) {
    ++cases;
    std::string commandLine = "\"" + saverPath + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("FAIL %-44s cannot start (command line of %u bytes)\n", name,
                    static_cast<unsigned>(commandLine.size()));
        ++failures;
        return;
    }
    Seen seen;
    Search search = {process.dwProcessId, &seen};
    const DWORD start = GetTickCount();
    bool exited = false;
    bool hostClosed = false;
    while (GetTickCount() - start < CaseTimeoutMs) {
        Pump();
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) {
            exited = true;
            break;
        }
        if (expect == Expect::PreviewInHost && !hostClosed && HasPreviewChild() &&
            GetTickCount() - start > 1000) {
            // A preview ends with the window it lives in.
            seen.preview = true;
            DestroyWindow(hostWindow);
            hostClosed = true;
        }
        if (GetTickCount() - start > 300) EnumWindows(Answer, reinterpret_cast<LPARAM>(&search));
    }
    DWORD exitCode = 259;
    if (!exited) TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (hostClosed) hostWindow = CreateHost();

    std::string shown;
    if (seen.saverWindow) shown += " saver-window";
    if (seen.preview) shown += " preview";
    if (seen.setupDialog) shown += " setup-dialog";
    if (seen.messageBox) shown += " message-box";
    if (shown.empty()) shown = " nothing";
    bool ok = exited && exitCode == 0;
    switch (expect) {
        case Expect::NothingShown:
            ok = ok && !seen.saverWindow && !seen.setupDialog && !seen.messageBox;
            break;
        case Expect::SaverOrMessage:
            ok = ok && (seen.saverWindow || seen.messageBox) && !seen.setupDialog;
            break;
        case Expect::Dialog:
            ok = ok && seen.setupDialog && !seen.saverWindow;
            break;
        case Expect::PreviewInHost:
            ok = ok && seen.preview;
            break;
        case Expect::Anything:
            break;
    }
    if (!ok) ++failures;
    std::printf("%s %-44s %s, exit code %lu, shown:%s\n", ok ? "ok  " : "FAIL", name,
                exited ? "ended" : "HUNG (killed)", static_cast<unsigned long>(exitCode),
                shown.c_str());
    std::fflush(stdout);
}

HKEY OpenSettings() {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    return key;
}

void ClearSettings() {
    RegDeleteKeyA(HKEY_CURRENT_USER, SettingsKey);
}

void SetValue(const char* name, DWORD type, const std::vector<BYTE>& bytes) {
    HKEY key = OpenSettings();
    RegSetValueExA(key, name, 0, type, bytes.empty() ? nullptr : bytes.data(),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

std::vector<BYTE> Dword(uint32_t value) {
    return {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
            static_cast<BYTE>(value >> 24)};
}

void RegistryCases() {
    const struct {
        DWORD type;
        const char* name;
    } types[] = {
        {REG_NONE, "REG_NONE"},           {REG_SZ, "REG_SZ"},
        {REG_EXPAND_SZ, "REG_EXPAND_SZ"}, {REG_BINARY, "REG_BINARY"},
        {REG_DWORD, "REG_DWORD"},         {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
        {REG_MULTI_SZ, "REG_MULTI_SZ"},   {REG_QWORD, "REG_QWORD"},
        {0x7FFF, "type 0x7FFF"},
    };
    const char* names[] = {"COUNT", "COLOR"};
    char label[96];
    // Every type with every size from 0 to 16 bytes; the bytes are all 0xFF so that a short
    // value, read into the low-order bytes, still gives a large or negative number.
    for (const auto& type : types) {
        if (quick && type.type != REG_SZ && type.type != REG_BINARY && type.type != REG_QWORD)
            continue;
        for (DWORD size = 0; size <= 16; ++size) {
            if (quick && size != 0 && size != 3 && size != 4 && size != 5 && size != 16) continue;
            ClearSettings();
            std::vector<BYTE> bytes(size, 0xFF);
            const char* name = names[size % 2];
            SetValue(name, type.type, bytes);
            // The other value gets the same treatment one size up, so both are covered.
            SetValue(names[(size + 1) % 2], type.type,
                     std::vector<BYTE>(size < 16 ? size + 1 : 0, 0x7F));
            std::snprintf(label, sizeof label, "%s %s %lu bytes", name, type.name,
                          static_cast<unsigned long>(size));
            RunCase(label, "/s", Expect::SaverOrMessage);
        }
    }
    const uint32_t counts[] = {0, 1, 2, 80, 81, 200, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    const uint32_t colors[] = {0, 9, 10, 12, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    for (uint32_t count : counts) {
        if (quick && count != 0 && count != 81 && count != 0xFFFFFFFF) continue;
        ClearSettings();
        SetValue("COUNT", REG_DWORD, Dword(count));
        std::snprintf(label, sizeof label, "COUNT %lu", static_cast<unsigned long>(count));
        RunCase(label, "/s", Expect::SaverOrMessage);
    }
    for (uint32_t color : colors) {
        if (quick && color != 0 && color != 10 && color != 0x80000000) continue;
        ClearSettings();
        SetValue("COLOR", REG_DWORD, Dword(color));
        std::snprintf(label, sizeof label, "COLOR %ld",
                      static_cast<long>(static_cast<int32_t>(color)));
        RunCase(label, "/s", Expect::SaverOrMessage);
        RunCase("  ... and the settings dialog", "/c", Expect::Dialog);
    }
    ClearSettings();
    RunCase("no settings key", "/s", Expect::SaverOrMessage);

    // A key the saver cannot open: no access for anyone.
    HKEY key = OpenSettings();
    SECURITY_DESCRIPTOR denyAll;
    InitializeSecurityDescriptor(&denyAll, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&denyAll, TRUE, nullptr, FALSE);
    ACL emptyAcl;
    InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION);
    SetSecurityDescriptorDacl(&denyAll, TRUE, &emptyAcl, FALSE);
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &denyAll);
    RegCloseKey(key);
    HKEY check = nullptr;
    const LONG denied = RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_ALL_ACCESS, &check);
    if (denied == ERROR_SUCCESS) RegCloseKey(check);
    std::printf("note: the locked key %s\n",
                denied == ERROR_SUCCESS ? "still opens here (this system does not enforce it)"
                                        : "is refused to KEY_ALL_ACCESS");
    RunCase("settings key that cannot be opened", "/s", Expect::SaverOrMessage);
    RunCase("  ... and the settings dialog", "/c", Expect::Dialog);
    ClearSettings();
}

void CommandLineCases() {
    char handle[32];
    std::snprintf(handle, sizeof handle, "%lu",
                  static_cast<unsigned long>(reinterpret_cast<uintptr_t>(hostWindow)));
    RunCase("empty command line", "", Expect::Dialog);
    RunCase("32 KiB of text after /s", "/s " + std::string(32700, 'x'), Expect::SaverOrMessage);
    RunCase("32 KiB of digits after /s", "/s " + std::string(32700, '9'), Expect::SaverOrMessage);
    RunCase("32 KiB without a switch", std::string(32700, 'q'), Expect::NothingShown);
    RunCase("huge negative handle", "-s -99999999999999999999", Expect::SaverOrMessage);
    RunCase("preview of a window that does not exist", "/p 123456789", Expect::SaverOrMessage);
    RunCase("non-ASCII bytes around /S", "\x82\xa0\xff\xfe/S\x83\x5c\x81", Expect::SaverOrMessage);
    std::string many;
    for (int i = 0; i < 2000; ++i) many += "/a -P /s ";
    many += "/C";
    RunCase("many switches, configure last", many, Expect::Dialog);
    RunCase("preview in a real window, junk after", std::string("/p ") + handle + "\x90\x90junk",
            Expect::PreviewInHost);
    RunCase("password change", "/a", Expect::Anything);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: saver_input_probe SAVER_PATH [quick]\n");
        return 2;
    }
    saverPath = argv[1];
    quick = argc > 2 && std::strcmp(argv[2], "quick") == 0;
    hostWindow = CreateHost();
    RegistryCases();
    CommandLineCases();
    std::printf("%d of %d cases passed\n", cases - failures, cases);
    return failures == 0 ? 0 : 1;
}
