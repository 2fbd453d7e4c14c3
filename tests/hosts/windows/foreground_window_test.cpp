// The command line's foreground-window fallback plugged into the real platform.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "hosts/windows/command_line.h"
#include "hosts/windows/win32_seams.h"
#include "win_test_support.h"

namespace {

TEST(ForegroundWindowFallback, SwitchWithoutANumberNamesTheRealForegroundWindow) {
    HWND window = CreateHostWindow(40, 30);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    ASSERT_EQ(GetForegroundWindow(), window);
    intptr_t parent = 0;
    SaverMode mode = SaverMode::Configure;
    EXPECT_EQ(ParseCommandLine("/s", ReadForegroundWindow, &parent, &mode), 1);
    EXPECT_EQ(parent, reinterpret_cast<intptr_t>(window));
    EXPECT_EQ(ParseCommandLine("/p 1234", ReadForegroundWindow, &parent, &mode), 1);
    EXPECT_EQ(parent, 1234);
    // A negative number keeps its sign when it widens to a handle, as the platform's does.
    EXPECT_EQ(ParseCommandLine("/p -2", ReadForegroundWindow, &parent, &mode), 1);
    EXPECT_EQ(reinterpret_cast<HWND>(parent), reinterpret_cast<HWND>(static_cast<LONG_PTR>(-2)));
    DestroyWindow(window);
}

}  // namespace
