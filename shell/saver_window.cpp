// The saver window and its input rules.
#include "shell/saver_window.h"

#include <windows.h>

#include <cstdint>

#include "shell/command_line.h"
#include "shell/password_hooks.h"
#include "shell/saver_texts.h"
#include "shell/settings_store.h"
#include "shell/shell_state.h"
#include "shell/win32_seams.h"
#include "tools/common/frame_tick.h"

HWND SaverWindow = nullptr;
Animation SaverAnimation;
FullScreenExitRule SaverExitRule;

namespace {

constexpr UINT_PTR FrameTimerId = 0;
// The window's size as recorded when it was created: signed 16-bit, as the saver always kept it.
int16_t windowWidth = 0;
int16_t windowHeight = 0;

const DWORD PreviewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const DWORD FullScreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

bool IsPreview() {
    return SaverMode == Preview;
}

LRESULT SetUpWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    uint32_t trailCount = 0;
    int32_t colorMode = 0;
    if (!LoadSettings(&trailCount, &colorMode)) return 0;  // a bare black window from now on
    SaverWindow = window;
    SaverAnimation.SetMillisecondClock(ReadPlatformClock, nullptr);
    SaverAnimation.SetFrameCopy(CopyFrameToWindow, window);
    SaverAnimation.Start(windowWidth, windowHeight, trailCount, colorMode);
    SetTimer(window, FrameTimerId, FrameTickMilliseconds, nullptr);
    if (!IsPreview()) {
        POINT cursor = {0, 0};
        GetCursorPos(&cursor);
        SaverExitRule.Start(cursor.x, cursor.y);
        ShowCursor(FALSE);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RequestClose() {
    PostMessageA(SaverWindow, WM_CLOSE, 0, 0);
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
    windowWidth = static_cast<int16_t>(width);
    windowHeight = static_cast<int16_t>(height);

    SaverWindow = CreateWindowExA(preview ? 0 : WS_EX_TOPMOST, SaverClassName, SaverWindowTitle,
                                  preview ? PreviewStyle : FullScreenStyle, 0, 0, windowWidth,
                                  windowHeight, ParentWindow, nullptr, InstanceHandle, nullptr);
    return SaverWindow != nullptr ? 0 : 1;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return SetUpWindow(window, message, wParam, lParam);

        case WM_DESTROY:
            KillTimer(window, FrameTimerId);
            ShowCursor(TRUE);
            SaverAnimation.Stop();
            PostQuitMessage(0);
            return 0;

        case WM_CLOSE:
            if (!IsPreview() && CheckPasswordOnClose(SaverWindow) != 0) {
                SetCursorPos(SaverExitRule.GetStartX(), SaverExitRule.GetStartY());
                SaverExitRule.RestartMotionCount();
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

        case WM_TIMER:
            SaverAnimation.RenderFrame();
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

        case WM_MOUSEMOVE:
            // The position's 16-bit halves, as the rule expects them.
            if (IsPreview() ||
                !SaverExitRule.OnMotion(static_cast<int32_t>(lParam & 0xFFFF),
                                        static_cast<int32_t>((lParam >> 16) & 0xFFFF)))
                break;
            RequestClose();
            return 0;

        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
