// saver_stress_probe: runs the real saver full screen for as long as 20,000 frames take, watches
// it from outside the way a tester with Task Manager would (GDI and USER objects through
// GetGuiResources, private bytes and working set, kernel handles), then presses a key as a user
// would and requires the saver to close with exit code 0.
//
//   saver_stress_probe SAVER_PATH [FRAMES]
//
// The saver draws one frame per tick of a 5 ms timer. The probe measures how often such a timer
// really fires here (Wine's timers are coarser than 5 ms) and runs the saver long enough for the
// requested number of ticks. Exits 0 when the counts stay flat and the saver closed cleanly.
#include <windows.h>
// psapi.h needs the types of windows.h first.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD TimerPeriodMs = 5;
constexpr SIZE_T AllowedGrowthBytes = 1 << 20;  // after the first frames; a leak per frame of
                                                // even 64 bytes would pass 1 MiB in 20,000

struct Sample {
    DWORD gdiObjects;
    DWORD userObjects;
    DWORD handles;
    SIZE_T privateBytes;
    SIZE_T workingSet;
};

Sample TakeSample(HANDLE process) {
    Sample s = {};
    s.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
    s.userObjects = GetGuiResources(process, GR_USEROBJECTS);
    GetProcessHandleCount(process, &s.handles);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        s.privateBytes = memory.PrivateUsage;
        s.workingSet = memory.WorkingSetSize;
    }
    return s;
}

void Print(const char* when, double seconds, const Sample& s) {
    std::printf(
        "%-6s %7.1f s  GDI %4lu  USER %4lu  handles %4lu  private %8lu KiB  working set "
        "%8lu KiB\n",
        when, seconds, static_cast<unsigned long>(s.gdiObjects),
        static_cast<unsigned long>(s.userObjects), static_cast<unsigned long>(s.handles),
        static_cast<unsigned long>(s.privateBytes / 1024),
        static_cast<unsigned long>(s.workingSet / 1024));
    std::fflush(stdout);
}

// Ticks per second of a 5 ms timer on this system, counted over a second.
double MeasureTickRate() {
    const UINT_PTR timer = SetTimer(nullptr, 0, TimerPeriodMs, nullptr);
    const DWORD start = GetTickCount();
    int ticks = 0;
    MSG message;
    while (GetTickCount() - start < 1000 && GetMessageA(&message, nullptr, 0, 0))
        if (message.message == WM_TIMER) ++ticks;
    KillTimer(nullptr, timer);
    return ticks;
}

int Fail(const char* what) {
    std::printf("FAIL: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Fail("usage: saver_stress_probe SAVER_PATH [FRAMES]");
    const double frames = argc > 2 ? std::atof(argv[2]) : 20000.0;
    const double rate = MeasureTickRate();
    if (rate < 1) return Fail("a 5 ms timer never fired");
    const double seconds = frames / rate;
    std::printf("timer: %.0f ticks per second; %.0f frames take %.0f s\n", rate, frames, seconds);

    std::string commandLine = std::string("\"") + argv[1] + "\" /s";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return Fail("cannot start the saver");

    HWND window = nullptr;
    for (int i = 0; i < 200 && window == nullptr; ++i) {
        Sleep(100);
        window = FindWindowA("TOLVA.gwp", nullptr);
    }
    if (window == nullptr) {
        TerminateProcess(process.hProcess, 1);
        return Fail("the saver window never appeared");
    }

    // The first second settles allocations that happen once (the surface, the trails, fonts).
    Sleep(1000);
    const DWORD start = GetTickCount();
    const Sample first = TakeSample(process.hProcess);
    Print("start", 0, first);
    Sample last = first;
    SIZE_T peakPrivate = first.privateBytes;
    bool exitedEarly = false;
    for (;;) {
        const double elapsed = (GetTickCount() - start) / 1000.0;
        if (elapsed >= seconds) break;
        if (WaitForSingleObject(process.hProcess, 5000) == WAIT_OBJECT_0) {
            exitedEarly = true;
            break;
        }
        last = TakeSample(process.hProcess);
        if (last.privateBytes > peakPrivate) peakPrivate = last.privateBytes;
        Print("run", (GetTickCount() - start) / 1000.0, last);
    }
    if (exitedEarly) return Fail("the saver ended by itself");
    Print("end", (GetTickCount() - start) / 1000.0, last);

    // A key press, as the user would end it.
    PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        return Fail("the saver did not close after a key press");
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    std::printf("closed by a key, exit code %lu\n", static_cast<unsigned long>(exitCode));

    int failures = 0;
    if (exitCode != 0) failures += Fail("exit code is not 0");
    if (last.gdiObjects != first.gdiObjects) failures += Fail("GDI objects changed");
    if (last.userObjects != first.userObjects) failures += Fail("USER objects changed");
    if (last.handles > first.handles + 4) failures += Fail("kernel handles grew");
    if (peakPrivate > first.privateBytes + AllowedGrowthBytes)
        failures += Fail("private bytes grew by more than 1 MiB");
    if (first.gdiObjects == 0 && first.userObjects == 0)
        std::printf("note: GetGuiResources reports 0 objects here (not implemented)\n");
    return failures == 0 ? 0 : 1;
}
