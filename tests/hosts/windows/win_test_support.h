// Helpers for the saver tests that run under Wine: a private registry profile standing in for
// HKEY_CURRENT_USER, keys the tests lock against writing or reading, a watcher that finds,
// reads and dismisses message boxes, the stand-in libraries' directories, and message-queue
// probes for the saver window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Redirects HKEY_CURRENT_USER of this process to an empty key of its own for the lifetime of
// the object, so every test starts from a fresh profile and leaves the real one alone.
class RegistrySandbox {
  public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  private:
    HKEY profile = nullptr;
};

// Registry helpers on the (sandboxed) current user's key.
bool KeyExists(const char* path);
DWORD ValueCount(const char* path);
void WriteRawValue(const char* path, const char* name, DWORD type, const void* data, DWORD size);
void WriteDword(const char* path, const char* name, DWORD value);
// Reads a value with its type; false when it is missing.
bool ReadRawValue(const char* path, const char* name, DWORD* type, std::vector<uint8_t>* data);
// Replaces the key's access list: read-only for everyone, or no access at all.
void LockKeyReadOnly(const char* path);
void LockKeyCompletely(const char* path);

struct SeenMessageBox {
    std::string caption;
    std::string text;
    bool hasOwner = false;
    bool hasCancel = false;
};

// Watches, on a thread of its own, for message boxes of this process (every dialog window but
// the configuration dialog), reads caption and text as ANSI bytes and presses OK, so that no
// box is ever left hanging. Stops when destroyed.
class MessageBoxWatcher {
  public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenMessageBox> Seen();

  private:
    void Watch();

    std::mutex mutex;
    std::vector<SeenMessageBox> seen;
    volatile bool stopping = false;
    std::thread watcher;
};

// Directory next to the test program: "standins" (full stand-ins), "standins-empty" (libraries
// without the entry points) or "standins-none" (no libraries).
std::string StandinDirectory(const char* name);
// Puts the host libraries of that directory into the system folder, the only place the saver
// loads them from (none for "standins-none"); Wine's own mpr.dll is set aside meanwhile.
void UseStandins(const char* name);
// Takes the stand-ins out of the system folder again and gives Wine its mpr.dll back.
void RemoveStandins();
// Clears everything the stand-ins read and write.
void ResetStandinRecords();
long StandinNumber(const char* name);
std::string StandinText(const char* name);
void SetStandinNumber(const char* name, long value);

// Removes a posted WM_CLOSE for window from the queue; true when there was one.
bool TakePostedClose(HWND window);
// Removes a posted WM_QUIT; true (with its code) when there was one.
bool TakePostedQuit(WPARAM* code);
// Dispatches every message waiting for this thread.
void PumpMessages();

// A plain top-level popup to parent previews and to own things, at (0, 0).
HWND CreateHostWindow(int width, int height);

// ShowCursor's display counter, read without changing it.
int CursorDisplayCount();
