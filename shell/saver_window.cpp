// The saver window and its input rules.
#include "shell/saver_window.h"

#include <windows.h>

#include <cstdint>

#include "shell/command_line.h"
#include "shell/password_hooks.h"
#include "shell/saver_texts.h"
#include "shell/settings_store.h"
#include "shell/shell_state.h"
#include "trails/frame_renderer.h"
#include "trails/saver_settings.h"
#include "trails/trail_pool.h"

HWND SaverWindow = nullptr;
POINT SavedCursorPos = {0, 0};
uint16_t MouseMoveCount = 0;

namespace {

constexpr UINT_PTR FrameTimerId = 0;
constexpr UINT FramePeriodMilliseconds = 5;
// The first mouse moves after start (or after a refused close) never end the saver: the host
// and the cursor's own settling send a few of them without the user touching anything.
constexpr uint16_t IgnoredMouseMoves = 6;
constexpr int32_t MoveTolerance = 3;  // pixels, on each axis

const DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

bool IsPreview() {
    return SaverMode == Preview;
}

LRESULT SetUpWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!LoadSettings(&TrailCount, &ColorMode)) return 0;  // a bare black window from now on
    SaverWindow = window;
    FrameSurface.Create(WindowWidth, WindowHeight, 24);
    // A stored count above the pool's size is kept as stored but never goes past the pool.
    InitTrails(UsableTrailCount(TrailCount));
    SetTimer(window, FrameTimerId, FramePeriodMilliseconds, nullptr);
    if (!IsPreview()) {
        GetCursorPos(&SavedCursorPos);
        ShowCursor(FALSE);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RequestClose() {
    PostMessageA(SaverWindow, WM_CLOSE, 0, 0);
}

// The distance between a saved and a current coordinate, as a signed 16-bit number.
int32_t AxisDistance(LONG saved, uint32_t current) {
    const int32_t difference = static_cast<int32_t>(static_cast<uint32_t>(saved) - current);
    const uint32_t magnitude =
        difference < 0 ? 0u - static_cast<uint32_t>(difference) : static_cast<uint32_t>(difference);
    return static_cast<int16_t>(static_cast<uint16_t>(magnitude));
}

// Only a cursor more than 3 pixels away on both axes at once ends the saver: a mouse that
// slides along one axis, or one that jitters, does not.
bool MovedFarEnough(LPARAM lParam) {
    const uint32_t x = static_cast<uint32_t>(lParam) & 0xFFFF;
    const uint32_t y = (static_cast<uint32_t>(lParam) >> 16) & 0xFFFF;
    if (AxisDistance(SavedCursorPos.x, x) <= MoveTolerance) return false;
    if (AxisDistance(SavedCursorPos.y, y) <= MoveTolerance) return false;
    return true;
}

}  // namespace

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

    int32_t width = 0;
    int32_t height = 0;
    if (preview) {
        RECT parentRect = {};
        GetWindowRect(ParentWindow, &parentRect);
        width = parentRect.right - parentRect.left;
        height = parentRect.bottom - parentRect.top;
    } else {
        HDC screen = GetDC(nullptr);
        width = GetDeviceCaps(screen, HORZRES);
        height = GetDeviceCaps(screen, VERTRES);
        ReleaseDC(nullptr, screen);
    }
    WindowWidth = static_cast<int16_t>(width);
    WindowHeight = static_cast<int16_t>(height);

    SaverWindow = CreateWindowExA(preview ? 0 : WS_EX_TOPMOST, SaverClassName, SaverWindowTitle,
                                  preview ? PreviewStyle : FullScreenStyle, 0, 0, WindowWidth,
                                  WindowHeight, ParentWindow, nullptr, InstanceHandle, nullptr);
    return SaverWindow != nullptr ? 0 : 1;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return SetUpWindow(window, message, wParam, lParam);

        case WM_DESTROY:
            KillTimer(window, FrameTimerId);
            ShowCursor(TRUE);
            FrameSurface.Destroy();
            PostQuitMessage(0);
            return 0;

        case WM_CLOSE:
            if (!IsPreview() && CheckPasswordOnClose(SaverWindow) != 0) {
                SetCursorPos(SavedCursorPos.x, SavedCursorPos.y);
                MouseMoveCount = 0;
                return 0;
            }
            DestroyWindow(window);
            break;

        case WM_ERASEBKGND: {
            // The device context the message carries is not used: the fill goes through a fresh
            // one.
            HDC dc = GetDC(window);
            RECT client = {};
            GetClientRect(window, &client);
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            ReleaseDC(window, dc);
            break;
        }

        case WM_TIMER: {
            HDC dc = GetDC(SaverWindow);
            RenderFrame(dc);
            ReleaseDC(SaverWindow, dc);
            break;
        }

        case WM_SYSCOMMAND:
            // Every system command is swallowed: neither the host's screen-saver start nor a move,
            // a size or a close from the system menu may disturb the running saver.
            return 0;

        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (IsPreview()) break;
            RequestClose();
            return 0;

        case WM_MOUSEMOVE:
            if (IsPreview()) break;
            ++MouseMoveCount;
            if (MouseMoveCount <= IgnoredMouseMoves) break;
            if (!MovedFarEnough(lParam)) break;
            RequestClose();
            return 0;

        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
