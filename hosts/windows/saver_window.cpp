// The saver's windows, their layout over the monitors, and their input rules.
#include "hosts/windows/saver_window.h"

#include <windows.h>

#include <cstdint>
#include <new>

#include "host/display_scale.h"
#include "host/monitor_seed.h"
#include "host/pace.h"
#include "hosts/windows/command_line.h"
#include "hosts/windows/display_watch.h"
#include "hosts/windows/monitor_list.h"
#include "hosts/windows/password_hooks.h"
#include "hosts/windows/saver_texts.h"
#include "hosts/windows/settings_store.h"
#include "hosts/windows/win32_seams.h"

namespace {

constexpr UINT_PTR FrameTimerId = 0;
constexpr char FakeMonitorsVariable[] = "TOLVA_FAKE_MONITORS";

const DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

bool IsPreview(const SaverSession& session) {
    return session.mode == SaverMode::Preview;
}

// A window's size as the saver has always recorded it: signed 16-bit.
int16_t RecordedWidth(const MonitorRect& bounds) {
    return static_cast<int16_t>(bounds.right - bounds.left);
}
int16_t RecordedHeight(const MonitorRect& bounds) {
    return static_cast<int16_t>(bounds.bottom - bounds.top);
}

MonitorWindow* MonitorWindowOf(HWND window) {
    return reinterpret_cast<MonitorWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void RemoveMonitorWindow(MonitorWindow* monitor) {
    SaverSession& session = *monitor->session;
    for (int i = 0; i < session.windowCount; ++i) {
        if (session.windows[i] != monitor) continue;
        for (int j = i + 1; j < session.windowCount; ++j) {
            session.windows[j - 1] = session.windows[j];
        }
        session.windows[--session.windowCount] = nullptr;
        delete monitor;
        return;
    }
}

// From the window's seed, at its monitor's size and the given scale (ScaleFromDpi): at 96 DPI the
// primary's (and the preview's) frames are the ones the saver has always drawn.
void StartAnimation(MonitorWindow* monitor, int32_t scale) {
    Animation& animation = monitor->animation;
    const SaverSession& session = *monitor->session;
    animation.SetMillisecondClock(ReadPlatformClock, nullptr);
    animation.SetFrameReceiver(ShowFrameInWindow, monitor->window);
    AnimationStart start;
    start.width = RecordedWidth(monitor->bounds);
    start.height = RecordedHeight(monitor->bounds);
    start.trailCount = session.trailCount;
    start.colorMode = session.colorMode;
    start.seed = monitor->seed;
    start.scale = scale;
    start.drawPath = session.drawPath;
    animation.Start(start);
}

// The scale of the DPI the window is shown at now (the preview at its host's).
int32_t ShownScale(const MonitorWindow& monitor) {
    const SaverSession& session = *monitor.session;
    return ScaleFromDpi(ReadWindowDpi(IsPreview(session) ? session.parent : monitor.window));
}

// Nobody can see the display: every window's frame timer goes, and with it every frame.
void PauseFrames(const SaverSession& session) {
    for (int i = 0; i < session.windowCount; ++i)
        KillTimer(session.windows[i]->window, FrameTimerId);
}

// The display is seen again: each window draws a whole frame at once, what it showed before may
// be gone, and its timer runs again.
void ResumeFrames(const SaverSession& session) {
    for (int i = 0; i < session.windowCount; ++i) {
        MonitorWindow* monitor = session.windows[i];
        monitor->animation.ShowWholeNextFrame();
        monitor->animation.RenderFrame();
        SetTimer(monitor->window, FrameTimerId, SaverTimerMilliseconds, nullptr);
    }
}

// Creates one window: the preview as a child of the host's window, or a monitor's full-screen
// window. Full-screen windows have no owner: an owned window goes when its owner goes (with no
// password check) and hides when it is minimised, and the window that happened to be in front
// when the saver started is no part of the saver. Returns whether the window exists.
bool AddMonitorWindow(SaverSession* session, const MonitorRect& bounds, uint32_t seed) {
    if (session->windowCount == MaxMonitors) return false;
    MonitorWindow* monitor = new (std::nothrow) MonitorWindow;
    if (monitor == nullptr) return false;
    monitor->session = session;
    monitor->bounds = bounds;
    monitor->seed = seed;
    session->windows[session->windowCount++] = monitor;
    const bool preview = IsPreview(*session);
    const HWND window =
        CreateWindowExA(preview ? 0 : WS_EX_TOPMOST, SaverClassName, SaverWindowTitle,
                        preview ? PreviewStyle : FullScreenStyle, bounds.left, bounds.top,
                        RecordedWidth(bounds), RecordedHeight(bounds),
                        preview ? session->parent : nullptr, nullptr, session->instance, monitor);
    if (window != nullptr) return true;
    // Still listed unless the window got as far as its WM_NCDESTROY, which takes it out itself.
    RemoveMonitorWindow(monitor);
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
    MonitorWindow* monitor = MonitorWindowOf(window);
    monitor->window = window;
    SaverSession& session = *monitor->session;
    if (session.windowCount > 0 && monitor == session.windows[0]) {
        session.primaryWindow = window;
        StartDisplayWatch(&session.displayWatch, window);
    }
    StartAnimation(monitor, ShownScale(*monitor));
    // A monitor that comes while nobody sees the display waits for the others' return.
    if (!DisplayUnseen(session.displayWatch)) {
        SetTimer(window, FrameTimerId, SaverTimerMilliseconds, nullptr);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A burst of closing input (a key and a click, or moves over two monitors) asks once: a close
// request already waiting is not joined by a second, which would mean a second password check.
void RequestClose(const SaverSession& session) {
    MSG waiting;
    if (PeekMessageA(&waiting, session.primaryWindow, WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) return;
    PostMessageA(session.primaryWindow, WM_CLOSE, 0, 0);
}

// The primary's window goes last, so primaryWindow names a window until the end.
void DestroyAllWindows(const SaverSession& session) {
    for (int i = session.windowCount - 1; i >= 0; --i) DestroyWindow(session.windows[i]->window);
}

// The window's timer and pixels go; when no other saver window is left, the saver ends.
void TearDownWindow(HWND window, MonitorWindow* monitor) {
    KillTimer(window, FrameTimerId);
    monitor->animation.Stop();
    SaverSession& session = *monitor->session;
    if (window == session.displayWatch.window) StopDisplayWatch(&session.displayWatch);
    for (int i = 0; i < session.windowCount; ++i) {
        if (session.windows[i]->window != window && IsWindow(session.windows[i]->window)) return;
    }
    if (session.cursorHidden) {
        ShowCursor(TRUE);
        session.cursorHidden = false;
    }
    PostQuitMessage(0);
}

// Monitors came, went or changed size: each window takes its monitor's new place (restarting its
// animation from its seed when the size changed), new monitors get windows, and the windows of
// monitors that are gone close. The primary's window stays throughout.
void LayOutAgain(SaverSession* session) {
    MonitorRect monitors[MaxMonitors];
    const int count = EnumerateSaverMonitors(monitors);
    for (int i = 0; i < count; ++i) {
        if (i >= session->windowCount) {
            AddMonitorWindow(session, monitors[i], MonitorSeed(i));
            continue;
        }
        MonitorWindow* monitor = session->windows[i];
        const MonitorRect& bounds = monitors[i];
        const MonitorRect& old = monitor->bounds;
        if (bounds.left == old.left && bounds.top == old.top && bounds.right == old.right &&
            bounds.bottom == old.bottom) {
            continue;
        }
        const bool resized = RecordedWidth(bounds) != RecordedWidth(old) ||
                             RecordedHeight(bounds) != RecordedHeight(old);
        monitor->bounds = bounds;
        SetWindowPos(monitor->window, HWND_TOPMOST, bounds.left, bounds.top, RecordedWidth(bounds),
                     RecordedHeight(bounds), SWP_NOACTIVATE);
        // A new DPI comes with its own WM_DPICHANGED; a new size keeps the scale.
        if (resized) StartAnimation(monitor, monitor->animation.GetScale());
    }
    for (int i = session->windowCount - 1; i >= count && i > 0; --i) {
        DestroyWindow(session->windows[i]->window);
    }
}

// Whether a close request is refused: one password check for the whole saver, whichever window
// the request reached. A refused close puts the cursor back where the saver started and counts
// the moves afresh.
bool CloseRefused(SaverSession* session) {
    if (CheckPasswordOnClose(session->primaryWindow, &session->passwordCheckDepth) == 0)
        return false;
    FullScreenExitRule& exitRule = session->exitRule;
    SetCursorPos(exitRule.GetStartX(), exitRule.GetStartY());
    exitRule.RestartMotionCount();
    return true;
}

// Paints the window black. The device context WM_ERASEBKGND carries is not used: the fill goes
// through a fresh one.
void FillBlack(HWND window) {
    HDC dc = GetDC(window);
    RECT client = {};
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(window, dc);
}

// A WM_POWERBROADCAST or WM_WTSSESSION_CHANGE: every window's frames stop while nobody can see
// the display and come back when someone can.
void FollowDisplayState(SaverSession* session, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!TakeDisplayMessage(&session->displayWatch, message, wParam, lParam)) return;
    if (DisplayUnseen(session->displayWatch))
        PauseFrames(*session);
    else
        ResumeFrames(*session);
}

// The scale the window's animation restarts at after a WM_DPICHANGED or
// WM_DPICHANGED_AFTERPARENT, or 0 when the message is not the window's to follow.
int32_t ScaleAfterDpiChange(const MonitorWindow& monitor, UINT message, WPARAM wParam) {
    const bool preview = IsPreview(*monitor.session);
    // The preview follows its host's window to a new DPI.
    if (message == WM_DPICHANGED_AFTERPARENT) return preview ? ShownScale(monitor) : 0;
    // The new DPI is the one WM_DPICHANGED carries (its low and high words agree): the window's
    // own may still read as the old one (Wine keeps the DPI a process started at). A full-screen
    // window keeps covering its monitor's pixels, which a new DPI does not move, so the
    // suggested rectangle (the same logical size at the new DPI) is not taken.
    return preview ? 0 : ScaleFromDpi(LOWORD(wParam));
}

// Whether a key, the left or right button or a move ends the full-screen saver; the preview
// takes no input.
bool IsClosingInput(const MonitorWindow& monitor, UINT message, LPARAM lParam) {
    const SaverSession& session = *monitor.session;
    if (IsPreview(session)) return false;
    FullScreenExitRule& exitRule = monitor.session->exitRule;
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            return exitRule.OnKeyDown() != 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            return exitRule.OnButtonDown(message == WM_LBUTTONDOWN ? PointerButton::Left
                                                                   : PointerButton::Right) != 0;
        case WM_MOUSEMOVE: {
            // The message's client position, moved by the window's place on the virtual screen:
            // one start point serves every monitor. For the primary, at (0, 0), the two agree.
            const int32_t x = static_cast<int16_t>(lParam & 0xFFFF) + monitor.bounds.left;
            const int32_t y = static_cast<int16_t>((lParam >> 16) & 0xFFFF) + monitor.bounds.top;
            return exitRule.OnMotion(x, y) != 0;
        }
        default:
            return false;
    }
}

}  // namespace

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
    HDC desktop = GetDC(nullptr);
    monitors[0] = {0, 0, GetDeviceCaps(desktop, HORZRES), GetDeviceCaps(desktop, VERTRES)};
    ReleaseDC(nullptr, desktop);
    return 1;
}

int CreateSaverWindows(SaverSession* session) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = session->instance;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = SaverClassName;
    if (RegisterClassA(&windowClass) == 0) return 0;

    session->primaryWindow = nullptr;
    LoadSettings(&session->trailCount, &session->colorMode);
    if (IsPreview(*session)) {
        RECT parentRect = {};
        GetWindowRect(session->parent, &parentRect);
        const MonitorRect area = {0, 0, parentRect.right - parentRect.left,
                                  parentRect.bottom - parentRect.top};
        return AddMonitorWindow(session, area, Animation::DesignSeed) ? 1 : 0;
    }

    session->exitRule = FullScreenExitRule{};
    MonitorRect monitors[MaxMonitors];
    const int count = EnumerateSaverMonitors(monitors);
    if (!AddMonitorWindow(session, monitors[0], MonitorSeed(0))) return 0;
    // A monitor whose window cannot be had stays uncovered; the saver still runs on the rest.
    for (int i = 1; i < count; ++i) AddMonitorWindow(session, monitors[i], MonitorSeed(i));
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    session->exitRule.Start(cursor.x, cursor.y);
    ShowCursor(FALSE);
    session->cursorHidden = true;
    return 1;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    // A few messages come before WM_NCCREATE, when the window has no MonitorWindow yet.
    MonitorWindow* monitor = MonitorWindowOf(window);
    if (monitor == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    SaverSession& session = *monitor->session;

    switch (message) {
        case WM_CREATE:
            return SetUpWindow(window, message, wParam, lParam);
        case WM_DESTROY:
            TearDownWindow(window, monitor);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            RemoveMonitorWindow(monitor);
            break;
        case WM_CLOSE:
            if (IsPreview(session)) {
                DestroyWindow(window);
                break;
            }
            if (!CloseRefused(&session)) DestroyAllWindows(session);
            return 0;
        case WM_ERASEBKGND:
            FillBlack(window);
            monitor->animation.ShowWholeNextFrame();
            break;
        case WM_PAINT:
            // Uncovered or restored: the next frame repaints all of it.
            monitor->animation.ShowWholeNextFrame();
            break;
        case WM_TIMER:
            monitor->animation.RenderFrame();
            break;
        case WM_POWERBROADCAST:
        case WM_WTSSESSION_CHANGE:
            FollowDisplayState(&session, message, wParam, lParam);
            if (message == WM_POWERBROADCAST) return TRUE;
            break;
        case WM_DPICHANGED:
        case WM_DPICHANGED_AFTERPARENT: {
            const int32_t scale = ScaleAfterDpiChange(*monitor, message, wParam);
            if (scale != 0) StartAnimation(monitor, scale);
            if (message == WM_DPICHANGED) return 0;
            break;
        }
        case WM_DISPLAYCHANGE:
            // Every top-level window hears of it; the primary's lays them all out.
            if (!IsPreview(session) && window == session.primaryWindow) LayOutAgain(&session);
            break;
        case WM_SYSCOMMAND:
            // Every system command is swallowed: neither the host's screen-saver start nor a move,
            // a size or a close from the system menu may disturb the running saver.
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MOUSEMOVE:
            if (!IsClosingInput(*monitor, message, lParam)) break;
            RequestClose(session);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
