// The saver's windows, their layout over the monitors, and their input rules.
#include "hosts/windows/saver_window.h"

#include <windows.h>

#include <cstdint>
#include <new>

#include "host/frame_tick.h"
#include "hosts/windows/command_line.h"
#include "hosts/windows/monitor_list.h"
#include "hosts/windows/password_hooks.h"
#include "hosts/windows/saver_texts.h"
#include "hosts/windows/settings_store.h"
#include "hosts/windows/shell_state.h"
#include "hosts/windows/win32_seams.h"

HWND SaverWindow = nullptr;
FullScreenExitRule SaverExitRule;

namespace {

constexpr UINT_PTR FrameTimerId = 0;
constexpr char FakeMonitorsVariable[] = "TOLVA_FAKE_MONITORS";

const DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// Each on the heap, so the pointer a window keeps to its screen stays good while other screens
// come and go. The preview's or the primary monitor's is the first.
SaverScreen* screens[MaxMonitors] = {};
int screenCount = 0;

// The settings as loaded when the saver started: the defaults when the key can be neither read
// nor made.
uint32_t trailCount = 0;
int32_t colorMode = 0;
// Only a cursor that this saver hid is shown again at its end.
bool cursorHidden = false;

bool IsPreview() {
    return SaverMode == Preview;
}

// The primary monitor draws the frames the saver always drew; the others start their generators
// a step of the golden ratio apart, so that no two monitors show the same animation.
uint32_t MonitorSeed(int index) {
    return Animation::DesignSeed + static_cast<uint32_t>(index) * 0x9E3779B9u;
}

// A window's size as the saver has always recorded it: signed 16-bit.
int16_t RecordedWidth(const MonitorRect& bounds) {
    return static_cast<int16_t>(bounds.right - bounds.left);
}
int16_t RecordedHeight(const MonitorRect& bounds) {
    return static_cast<int16_t>(bounds.bottom - bounds.top);
}

SaverScreen* ScreenOf(HWND window) {
    return reinterpret_cast<SaverScreen*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void RemoveScreen(SaverScreen* screen) {
    for (int i = 0; i < screenCount; ++i) {
        if (screens[i] != screen) continue;
        for (int j = i + 1; j < screenCount; ++j) screens[j - 1] = screens[j];
        screens[--screenCount] = nullptr;
        delete screen;
        return;
    }
}

// From the screen's seed, at the screen's size: the primary's (and the preview's) frames are
// the ones the saver has always drawn.
void StartAnimation(SaverScreen* screen) {
    Animation& animation = screen->animation;
    animation.SetMillisecondClock(ReadPlatformClock, nullptr);
    screen->frameTarget = WindowFrameTarget{screen->window, &animation};
    animation.SetFrameCopy(CopyFrameToWindow, &screen->frameTarget);
    animation.Start(RecordedWidth(screen->bounds), RecordedHeight(screen->bounds), trailCount,
                    colorMode, screen->seed);
}

// Creates one window: the preview as a child of the host's window, or a monitor's full-screen
// window. Full-screen windows have no owner: an owned window goes when its owner goes (with no
// password check) and hides when it is minimised, and the window that happened to be in front
// when the saver started is no part of the saver. Returns whether the window exists.
bool AddScreen(const MonitorRect& bounds, uint32_t seed, bool preview) {
    if (screenCount == MaxMonitors) return false;
    SaverScreen* screen = new (std::nothrow) SaverScreen;
    if (screen == nullptr) return false;
    screen->bounds = bounds;
    screen->seed = seed;
    screens[screenCount++] = screen;
    const HWND window = CreateWindowExA(
        preview ? 0 : WS_EX_TOPMOST, SaverClassName, SaverWindowTitle,
        preview ? PreviewStyle : FullScreenStyle, bounds.left, bounds.top, RecordedWidth(bounds),
        RecordedHeight(bounds), preview ? ParentWindow : nullptr, nullptr, InstanceHandle, screen);
    if (window != nullptr) return true;
    // Still listed unless the window got as far as its WM_NCDESTROY, which takes it out itself.
    RemoveScreen(screen);
    return false;
}

struct MonitorCollector {
    MonitorRect* monitors;
    int count;
};

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* collector = reinterpret_cast<MonitorCollector*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    if (collector->count == MaxMonitors) return FALSE;
    const MonitorRect bounds = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                                info.rcMonitor.bottom};
    MonitorRect* monitors = collector->monitors;
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
        for (int i = collector->count; i > 0; --i) monitors[i] = monitors[i - 1];
        monitors[0] = bounds;
    } else {
        monitors[collector->count] = bounds;
    }
    ++collector->count;
    return TRUE;
}

LRESULT SetUpWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SaverScreen* screen = ScreenOf(window);
    screen->window = window;
    if (screenCount > 0 && screen == screens[0]) SaverWindow = window;
    StartAnimation(screen);
    SetTimer(window, FrameTimerId, FrameTickMilliseconds, nullptr);
    return DefWindowProcA(window, message, wParam, lParam);
}

// A burst of closing input (a key and a click, or moves over two monitors) asks once: a close
// request already waiting is not joined by a second, which would mean a second password check.
void RequestClose() {
    MSG waiting;
    if (PeekMessageA(&waiting, SaverWindow, WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) return;
    PostMessageA(SaverWindow, WM_CLOSE, 0, 0);
}

// The primary's window goes last, so SaverWindow names a window until the end.
void DestroyAllWindows() {
    for (int i = screenCount - 1; i >= 0; --i) DestroyWindow(screens[i]->window);
}

// The window's timer and pixels go; when no other saver window is left, the saver ends.
void TearDownWindow(HWND window, SaverScreen* screen) {
    KillTimer(window, FrameTimerId);
    if (screen != nullptr) screen->animation.Stop();
    for (int i = 0; i < screenCount; ++i) {
        if (screens[i]->window != window && IsWindow(screens[i]->window)) return;
    }
    if (cursorHidden) {
        ShowCursor(TRUE);
        cursorHidden = false;
    }
    PostQuitMessage(0);
}

// Monitors came, went or changed size: each window takes its monitor's new place (restarting its
// animation from its seed when the size changed), new monitors get windows, and the windows of
// monitors that are gone close. The primary's window stays throughout.
void LayOutAgain() {
    MonitorRect monitors[MaxMonitors];
    const int count = EnumerateSaverMonitors(monitors);
    for (int i = 0; i < count; ++i) {
        if (i >= screenCount) {
            AddScreen(monitors[i], MonitorSeed(i), false);
            continue;
        }
        SaverScreen* screen = screens[i];
        const MonitorRect& bounds = monitors[i];
        const MonitorRect& old = screen->bounds;
        if (bounds.left == old.left && bounds.top == old.top && bounds.right == old.right &&
            bounds.bottom == old.bottom) {
            continue;
        }
        const bool resized = RecordedWidth(bounds) != RecordedWidth(old) ||
                             RecordedHeight(bounds) != RecordedHeight(old);
        screen->bounds = bounds;
        SetWindowPos(screen->window, HWND_TOPMOST, bounds.left, bounds.top, RecordedWidth(bounds),
                     RecordedHeight(bounds), SWP_NOACTIVATE);
        if (resized) StartAnimation(screen);
    }
    for (int i = screenCount - 1; i >= count && i > 0; --i) DestroyWindow(screens[i]->window);
}

}  // namespace

SaverScreen* GetSaverScreen(int index) {
    return index >= 0 && index < screenCount ? screens[index] : nullptr;
}

int GetSaverScreenCount() {
    return screenCount;
}

int EnumerateSaverMonitors(MonitorRect* monitors) {
    char fake[1024];
    const DWORD length = GetEnvironmentVariableA(FakeMonitorsVariable, fake, sizeof fake);
    if (length > 0 && length < sizeof fake) {
        const int count = ParseMonitorList(fake, monitors, MaxMonitors);
        if (count > 0) return count;
    }
    MonitorCollector collector = {monitors, 0};
    EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&collector));
    if (collector.count > 0) return collector.count;
    HDC screen = GetDC(nullptr);
    monitors[0] = {0, 0, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)};
    ReleaseDC(nullptr, screen);
    return 1;
}

int CreateSaverWindow(int preview) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = InstanceHandle;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = SaverClassName;
    if (RegisterClassA(&windowClass) == 0) return 1;

    SaverWindow = nullptr;
    LoadSettings(&trailCount, &colorMode);
    if (preview) {
        RECT parentRect = {};
        GetWindowRect(ParentWindow, &parentRect);
        const MonitorRect area = {0, 0, parentRect.right - parentRect.left,
                                  parentRect.bottom - parentRect.top};
        return AddScreen(area, Animation::DesignSeed, true) ? 0 : 1;
    }

    SaverExitRule = FullScreenExitRule{};
    MonitorRect monitors[MaxMonitors];
    const int count = EnumerateSaverMonitors(monitors);
    if (!AddScreen(monitors[0], MonitorSeed(0), false)) return 1;
    // A monitor whose window cannot be had stays uncovered; the saver still runs on the rest.
    for (int i = 1; i < count; ++i) AddScreen(monitors[i], MonitorSeed(i), false);
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    SaverExitRule.Start(cursor.x, cursor.y);
    ShowCursor(FALSE);
    cursorHidden = true;
    return 0;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    // A few messages come before WM_NCCREATE, when the window has no screen yet.
    SaverScreen* screen = ScreenOf(window);
    if (screen == nullptr) return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
        case WM_CREATE:
            return SetUpWindow(window, message, wParam, lParam);

        case WM_DESTROY:
            TearDownWindow(window, screen);
            return 0;

        case WM_NCDESTROY:
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            RemoveScreen(screen);
            break;

        case WM_CLOSE:
            if (IsPreview()) {
                DestroyWindow(window);
                break;
            }
            // One check for the whole saver, whichever window the request reached.
            if (CheckPasswordOnClose(SaverWindow) != 0) {
                SetCursorPos(SaverExitRule.GetStartX(), SaverExitRule.GetStartY());
                SaverExitRule.RestartMotionCount();
                return 0;
            }
            DestroyAllWindows();
            return 0;

        case WM_ERASEBKGND: {
            // The device context the message carries is not used: the fill goes through a fresh
            // one.
            HDC dc = GetDC(window);
            RECT client = {};
            GetClientRect(window, &client);
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            ReleaseDC(window, dc);
            screen->animation.ShowWholeNextFrame();
            break;
        }

        case WM_PAINT:
            // Uncovered or restored: the next frame repaints all of it.
            screen->animation.ShowWholeNextFrame();
            break;

        case WM_TIMER:
            screen->animation.RenderFrame();
            break;

        case WM_DISPLAYCHANGE:
            // Every top-level window hears of it; the primary's lays them all out.
            if (!IsPreview() && window == SaverWindow) LayOutAgain();
            break;

        case WM_SYSCOMMAND:
            // Every system command is swallowed: neither the host's screen-saver start nor a move,
            // a size or a close from the system menu may disturb the running saver.
            return 0;

        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (IsPreview() || !SaverExitRule.OnKeyDown()) break;
            RequestClose();
            return 0;

        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (IsPreview() ||
                !SaverExitRule.OnButtonDown(message == WM_LBUTTONDOWN ? PointerButton::Left
                                                                      : PointerButton::Right))
                break;
            RequestClose();
            return 0;

        case WM_MOUSEMOVE: {
            if (IsPreview()) break;
            // The message's client position, moved by the window's place on the virtual screen:
            // one start point serves every monitor. For the primary, at (0, 0), the two agree.
            const int32_t x = static_cast<int16_t>(lParam & 0xFFFF) + screen->bounds.left;
            const int32_t y = static_cast<int16_t>((lParam >> 16) & 0xFFFF) + screen->bounds.top;
            if (!SaverExitRule.OnMotion(x, y)) break;
            RequestClose();
            return 0;
        }

        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
