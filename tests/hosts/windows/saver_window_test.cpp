// The saver's windows on real windows: set-up and tear-down, the input rules of full screen and
// preview, the refused close, the bare window without settings, the frame on the screen, and a
// window per (fake) monitor laid out again when the monitors change.
#include "hosts/windows/saver_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "hosts/windows/command_line.h"
#include "hosts/windows/password_hooks.h"
#include "hosts/windows/saver_texts.h"
#include "hosts/windows/win32_seams.h"
#include "win_test_support.h"

namespace {

constexpr int SavedX = 500;
constexpr int SavedY = 400;

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

class SaverWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        session.instance = GetModuleHandleA(nullptr);
        ResetStandinRecords();
        UseStandins("standins");
        SetCursorPos(SavedX, SavedY);
        cursorCountBefore = CursorDisplayCount();
    }

    void TearDown() override {
        for (int i = session.windowCount - 1; i >= 0; --i)
            DestroyWindow(session.windows[i]->window);
        SetEnvironmentVariableA("TOLVA_FAKE_MONITORS", nullptr);
        if (host != nullptr) DestroyWindow(host);
        WPARAM code = 0;
        while (TakePostedQuit(&code)) {
        }
        UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));
        RemoveStandins();
        // A test that stopped halfway may leave the cursor hidden: put the counter back where it
        // was for the next test.
        while (CursorDisplayCount() > cursorCountBefore) ShowCursor(FALSE);
        while (CursorDisplayCount() < cursorCountBefore) ShowCursor(TRUE);
    }

    HWND OpenFullScreen() {
        session.mode = SaverMode::Run;
        EXPECT_EQ(CreateSaverWindows(&session), 1);
        return session.primaryWindow;
    }

    HWND OpenPreview(int width, int height) {
        host = CreateHostWindow(width, height);
        session.mode = SaverMode::Preview;
        session.parent = host;
        EXPECT_EQ(CreateSaverWindows(&session), 1);
        return session.primaryWindow;
    }

    // Sends n mouse moves that would close the saver if they counted; true if none did.
    bool IgnoredMoves(HWND window, int n) {
        for (int i = 0; i < n; ++i) SendMessageA(window, WM_MOUSEMOVE, 0, At(5 + i, 7 + i));
        return !TakePostedClose(window);
    }

    // Reads the window's client area back from the screen as bottom-up 24-bit rows.
    std::vector<uint8_t> ReadBack(HWND window, int width, int height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        HDC windowDc = GetDC(window);
        HDC memoryDc = CreateCompatibleDC(windowDc);
        HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
        HGDIOBJ old = SelectObject(memoryDc, bitmap);
        BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        SelectObject(memoryDc, old);
        const int stride = (width * 3 + 3) & ~3;
        std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height);
        GetDIBits(memoryDc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
        DeleteObject(bitmap);
        DeleteDC(memoryDc);
        ReleaseDC(window, windowDc);
        return pixels;
    }

    // The same frames drawn headless, from a fresh generator, as the renderer's bytes.
    static std::vector<uint8_t> HeadlessFrame(int width, int height, uint32_t count, int32_t color,
                                              int frames) {
        Animation animation;
        animation.Start({width, height, count, color});
        for (int i = 0; i < frames; ++i) animation.RenderFrame();
        const RasterSurface& surface = animation.GetSurface();
        const uint8_t* bits = surface.GetBits();
        return std::vector<uint8_t>(bits, bits + static_cast<size_t>(surface.GetStride()) * height);
    }

    Animation& Primary() { return session.windows[0]->animation; }

    RegistrySandbox sandbox;
    SaverSession session;
    HWND host = nullptr;
    int cursorCountBefore = 0;
};

TEST_F(SaverWindowTest, FullScreenCreationSavesAndHidesTheCursorAndStartsTheTimer) {
    HWND window = OpenFullScreen();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(session.exitRule.GetStartX(), SavedX);
    EXPECT_EQ(session.exitRule.GetStartY(), SavedY);
    EXPECT_EQ(CursorDisplayCount(), cursorCountBefore - 1);
    EXPECT_EQ(Primary().GetWidth(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(Primary().GetHeight(), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(0x96000000));
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, WS_EX_TOPMOST);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Screen Saver");
    EXPECT_EQ(FindWindowA("TOLVA.gwp", nullptr), window);
    EXPECT_NE(Primary().GetSurface().GetBits(), nullptr);
    EXPECT_EQ(Primary().GetTrailCount(), 25u);
    EXPECT_EQ(KillTimer(window, 0), TRUE);  // the frame timer was running
}

TEST_F(SaverWindowTest, SixMovesAreGraceThenOnlyMoreThanThreePixelsOnBothAxesClose) {
    HWND window = OpenFullScreen();
    EXPECT_TRUE(IgnoredMoves(window, 6));
    EXPECT_EQ(session.exitRule.GetMotionCount(), 6);
    // Exactly 3 on either axis does not count; 4 on both does.
    SendMessageA(window, WM_MOUSEMOVE, 0, At(SavedX + 3, SavedY + 50));
    SendMessageA(window, WM_MOUSEMOVE, 0, At(SavedX - 50, SavedY - 3));
    SendMessageA(window, WM_MOUSEMOVE, 0, At(SavedX - 3, SavedY + 3));
    EXPECT_FALSE(TakePostedClose(window));
    EXPECT_EQ(SendMessageA(window, WM_MOUSEMOVE, 0, At(SavedX + 4, SavedY - 4)), 0);
    EXPECT_TRUE(TakePostedClose(window));
    SendMessageA(window, WM_MOUSEMOVE, 0, At(SavedX - 4, SavedY + 4));
    EXPECT_TRUE(TakePostedClose(window));
    EXPECT_TRUE(IsWindow(window));  // a request only: the close itself comes from the queue
}

TEST_F(SaverWindowTest, MovementAlongOneAxisNeverCloses) {
    HWND window = OpenFullScreen();
    for (int step = 0; step < 200; ++step) {
        SendMessageA(window, WM_MOUSEMOVE, 0, At(step * 5, SavedY));
        SendMessageA(window, WM_MOUSEMOVE, 0, At(SavedX, step * 3));
    }
    EXPECT_FALSE(TakePostedClose(window));
    EXPECT_EQ(session.exitRule.GetMotionCount(), 400);
}

TEST_F(SaverWindowTest, KeysAndLeftOrRightButtonCloseFullScreenButTheMiddleButtonDoesNot) {
    HWND window = OpenFullScreen();
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        EXPECT_EQ(SendMessageA(window, message, message == WM_SYSKEYDOWN ? VK_MENU : 'A', 0), 0);
        EXPECT_TRUE(TakePostedClose(window)) << std::hex << message;
    }
    for (UINT message :
         {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_LBUTTONUP, WM_RBUTTONUP, WM_KEYUP, WM_SYSKEYUP, WM_CHAR,
          WM_MOUSEWHEEL, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS}) {
        SendMessageA(window, message, 0, 0);
        EXPECT_FALSE(TakePostedClose(window)) << std::hex << message;
    }
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(SaverWindowTest, PreviewIgnoresAllInput) {
    HWND window = OpenPreview(120, 90);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetParent(window), host);
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), static_cast<LONG>(0x56000000));
    EXPECT_EQ(CursorDisplayCount(), cursorCountBefore);  // the preview keeps the cursor
    EXPECT_EQ(session.exitRule.GetStartX(), 0);
    for (UINT message : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        SendMessageA(window, message, 'A', 0);
    }
    for (int i = 0; i < 20; ++i) SendMessageA(window, WM_MOUSEMOVE, 0, At(i * 40, i * 30));
    EXPECT_FALSE(TakePostedClose(window));
    EXPECT_EQ(session.exitRule.GetMotionCount(), 0);
    // A close request ends the preview without any password check.
    WriteDword(DesktopKeyPath, UsePasswordValueName, 1);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_CALLS"), -1);
    EXPECT_EQ(CursorDisplayCount(), cursorCountBefore);  // never hidden, so never shown
}

TEST_F(SaverWindowTest, FullScreenWindowHasNoOwnerAndOutlivesTheWindowInFront) {
    host = CreateHostWindow(64, 48);
    session.parent = host;  // the window in front when the saver started
    HWND window = OpenFullScreen();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    DestroyWindow(host);
    host = nullptr;
    EXPECT_TRUE(IsWindow(window));
    WPARAM code = 0;
    EXPECT_FALSE(TakePostedQuit(&code));
}

TEST_F(SaverWindowTest, SystemCommandsAreSwallowedInBothModes) {
    for (int preview : {0, 1}) {
        HWND window = preview ? OpenPreview(80, 60) : OpenFullScreen();
        for (WPARAM command : {SC_CLOSE, SC_SCREENSAVE, SC_MONITORPOWER, SC_MOVE, SC_MINIMIZE}) {
            EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, command, 0), 0);
        }
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(TakePostedClose(window));
        EXPECT_FALSE(IsIconic(window));
        DestroyWindow(window);
        UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));
        if (host != nullptr) DestroyWindow(host);
        host = nullptr;
        WPARAM code = 0;
        TakePostedQuit(&code);
    }
}

TEST_F(SaverWindowTest, RefusedCloseReturnsTheCursorAndRestartsTheGrace) {
    HWND window = OpenFullScreen();
    EXPECT_TRUE(IgnoredMoves(window, 6));
    SetCursorPos(10, 10);
    // A check already in progress refuses the close, on every Windows.
    session.passwordCheckDepth = 1;
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    session.passwordCheckDepth = 0;
    EXPECT_TRUE(IsWindow(window));
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, SavedX);
    EXPECT_EQ(cursor.y, SavedY);
    EXPECT_EQ(session.exitRule.GetMotionCount(), 0);
    EXPECT_TRUE(IgnoredMoves(window, 6));
    SendMessageA(window, WM_MOUSEMOVE, 0, At(5, 5));
    EXPECT_TRUE(TakePostedClose(window));

    // Let through this time: the window goes, the timer with it, and the quit code is 0.
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    WPARAM code = 99;
    EXPECT_TRUE(TakePostedQuit(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(SaverWindowTest, DestroyStopsTheTimerShowsTheCursorFreesPixelsAndPostsQuitZero) {
    HWND window = OpenFullScreen();
    ASSERT_NE(Primary().GetSurface().GetBits(), nullptr);
    EXPECT_EQ(SendMessageA(window, WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(KillTimer(window, 0), FALSE);  // already stopped
    EXPECT_EQ(Primary().GetSurface().GetBits(), nullptr);
    EXPECT_EQ(CursorDisplayCount(), cursorCountBefore);
    WPARAM code = 99;
    EXPECT_TRUE(TakePostedQuit(&code));
    EXPECT_EQ(code, 0u);
}

// A key that cannot be read, or a profile where it cannot be made: the defaults are drawn.
TEST_F(SaverWindowTest, SettingsThatCannotBeReadOrMadeDrawTheDefaults) {
    for (bool makeable : {true, false}) {
        RegistrySandbox profile;
        HKEY doomed = nullptr;
        if (makeable) {
            WriteDword(SettingsKeyPath, CountValueName, 30);
            LockKeyCompletely(SettingsKeyPath);
        } else {
            // HKEY_CURRENT_USER redirected onto a deleted key: nothing can be made below it.
            RegCreateKeyExA(HKEY_CURRENT_USER, "Doomed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &doomed, nullptr);
            RegDeleteKeyA(HKEY_CURRENT_USER, "Doomed");
            RegOverridePredefKey(HKEY_CURRENT_USER, doomed);
        }
        HWND window = OpenFullScreen();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(Primary().GetTrailCount(), 25u) << makeable;
        EXPECT_EQ(Primary().GetColorMode(), 1) << makeable;
        EXPECT_EQ(CursorDisplayCount(), cursorCountBefore - 1);
        EXPECT_EQ(session.exitRule.GetStartX(), SavedX);
        EXPECT_EQ(KillTimer(window, 0), TRUE) << makeable;  // the frame timer was running
        DestroyWindow(window);
        UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));
        RegCloseKey(doomed);
    }
}

TEST_F(SaverWindowTest, FramesOnTheScreenEqualTheHeadlessRenderersBytes) {
    constexpr int Width = 160;
    constexpr int Height = 120;
    constexpr int Frames = 12;
    struct Case {
        uint32_t storedCount;
        int32_t color;
        uint32_t headlessCount;
    };
    // 200 stored trails run the pool's 80 and no more; 0 trails give cleared frames.
    for (const Case& c : {Case{25, 8, 25}, Case{200, 4, 80}, Case{0, 1, 0}}) {
        WriteDword(SettingsKeyPath, CountValueName, c.storedCount);
        WriteDword(SettingsKeyPath, ColorValueName, static_cast<DWORD>(c.color));
        HWND window = OpenPreview(Width, Height);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(Primary().GetTrailCount(), c.storedCount);
        KillTimer(window, 0);  // the test drives the ticks itself
        for (int i = 0; i < Frames; ++i) SendMessageA(window, WM_TIMER, 0, 0);
        const std::vector<uint8_t> onScreen = ReadBack(window, Width, Height);
        DestroyWindow(window);
        DestroyWindow(host);
        host = nullptr;
        UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));
        WPARAM code = 0;
        TakePostedQuit(&code);

        const std::vector<uint8_t> headless =
            HeadlessFrame(Width, Height, c.headlessCount, c.color, Frames);
        ASSERT_EQ(onScreen.size(), headless.size());
        EXPECT_TRUE(onScreen == headless) << "stored count " << c.storedCount;
        size_t lit = 0;
        for (uint8_t byte : headless) lit += byte != 0;
        if (c.headlessCount == 0) {
            EXPECT_EQ(lit, 0u);
        } else {
            EXPECT_GT(lit, 100u) << "the frame should show trails";
        }
    }
}

// A change of monitors lays the windows out again: moved, resized (with an animation of the new
// size), removed and added, the primary's window kept throughout; then one close ends them all.
TEST_F(SaverWindowTest, MonitorChangeLaysTheWindowsOutAgain) {
    auto expectLayout = [&](const std::vector<RECT>& monitors) {
        ASSERT_EQ(session.windowCount, static_cast<int>(monitors.size()));
        for (size_t i = 0; i < monitors.size(); ++i) {
            const MonitorWindow* monitor = session.windows[i];
            RECT rect = {};
            GetWindowRect(monitor->window, &rect);
            EXPECT_TRUE(EqualRect(&rect, &monitors[i])) << i;
            EXPECT_EQ(monitor->animation.GetWidth(), monitors[i].right - monitors[i].left) << i;
        }
    };
    // Negative coordinates are where monitors left of or above the primary stand.
    SetEnvironmentVariableA("TOLVA_FAKE_MONITORS", "0,0,320,240;320,0,560,180;-160,240,0,360");
    HWND primary = OpenFullScreen();
    expectLayout({{0, 0, 320, 240}, {320, 0, 560, 180}, {-160, 240, 0, 360}});
    HWND second = session.windows[1]->window;
    HWND third = session.windows[2]->window;
    SetEnvironmentVariableA("TOLVA_FAKE_MONITORS", "0,0,400,300;320,0,560,180;400,0,480,60");
    SendMessageA(primary, WM_DISPLAYCHANGE, 24, MAKELPARAM(400, 300));
    expectLayout({{0, 0, 400, 300}, {320, 0, 560, 180}, {400, 0, 480, 60}});
    EXPECT_EQ(session.windows[0]->window, primary);
    EXPECT_EQ(session.windows[1]->window, second);
    EXPECT_EQ(session.windows[2]->window, third);  // moved and resized, not made anew
    SetEnvironmentVariableA("TOLVA_FAKE_MONITORS", "0,0,400,300");
    SendMessageA(primary, WM_DISPLAYCHANGE, 24, MAKELPARAM(400, 300));
    expectLayout({{0, 0, 400, 300}});
    EXPECT_FALSE(IsWindow(second) || IsWindow(third));
    WPARAM code = 0;
    EXPECT_FALSE(TakePostedQuit(&code));
    SetEnvironmentVariableA("TOLVA_FAKE_MONITORS", "0,0,400,300;400,0,480,60");
    SendMessageA(primary, WM_DISPLAYCHANGE, 24, MAKELPARAM(400, 300));
    expectLayout({{0, 0, 400, 300}, {400, 0, 480, 60}});

    SendMessageA(session.windows[1]->window, WM_CLOSE, 0, 0);
    EXPECT_EQ(session.windowCount, 0);
    EXPECT_FALSE(IsWindow(primary));
    EXPECT_TRUE(TakePostedQuit(&code));
    EXPECT_FALSE(TakePostedQuit(&code));  // one exit
    EXPECT_EQ(CursorDisplayCount(), cursorCountBefore);
}

}  // namespace
