// The program's run from its command line, in-process: each mode's work, the message loop's
// exit code, the silent ends, the creation-failure message and the single-instance test.
#include "hosts/windows/saver_main.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "hosts/windows/saver_texts.h"
#include "hosts/windows/saver_window.h"
#include "hosts/windows/win32_seams.h"
#include "win_test_support.h"

namespace {

HWND FindOwnWindow(const char* className, const char* title) {
    const DWORD process = GetCurrentProcessId();
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process) return window;
    }
    return nullptr;
}

// Runs the program with commandLine and session while act() runs on a second thread. A safety
// net ends whatever the program shows if act() did not, so a fault cannot hang the test run.
int RunWhile(const char* commandLine, SaverSession* session, const std::function<void()>& act) {
    std::atomic<bool> done{false};
    std::thread helper([&] {
        act();
        for (int i = 0; i < 500 && !done; ++i) Sleep(10);
        while (!done) {
            if (HWND dialog = FindOwnWindow("#32770", "SETUP")) {
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }
            if (session->primaryWindow) PostMessageA(session->primaryWindow, WM_DESTROY, 0, 0);
            Sleep(50);
        }
    });
    const int code = RunSaverProgram(GetModuleHandleA(nullptr), commandLine, session);
    done = true;
    helper.join();
    return code;
}

// Waits up to two seconds for a shown window of this process (a window is found from the
// start of its creation, but shown only at the end).
HWND AwaitWindow(const char* className, const char* title) {
    for (int i = 0; i < 200; ++i) {
        HWND window = FindOwnWindow(className, title);
        if (window != nullptr && IsWindowVisible(window)) return window;
        Sleep(10);
    }
    return nullptr;
}

class SaverProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WPARAM code = 0;
        while (TakePostedQuit(&code)) {
        }
        ResetStandinRecords();
        UseStandins("standins");
    }
    void TearDown() override {
        UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));
        RemoveStandins();
        PumpMessages();
        while (CursorDisplayCount() > 0) ShowCursor(FALSE);
        while (CursorDisplayCount() < 0) ShowCursor(TRUE);
    }

    RegistrySandbox sandbox;
    SaverSession session;
};

TEST_F(SaverProgramTest, FullScreenRunsUntilAKeyAndExitsWithZero) {
    bool shown = false;
    const int code = RunWhile("/s", &session, [&] {
        HWND window = AwaitWindow(SaverClassName, "Screen Saver");
        shown = window != nullptr;
        PostMessageA(window, WM_KEYDOWN, 'K', 0);
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(session.mode, SaverMode::Run);
    EXPECT_FALSE(IsWindow(session.primaryWindow));
}

TEST_F(SaverProgramTest, PreviewIsAChildOfTheNumberedWindowAndEndsOnClose) {
    HWND host = CreateHostWindow(100, 80);
    const std::string line = "/p " + std::to_string(reinterpret_cast<LONG_PTR>(host));
    HWND parent = nullptr;
    RECT area = {};
    const int code = RunWhile(line.c_str(), &session, [&] {
        HWND window = nullptr;
        for (int i = 0; i < 200 && (window == nullptr || !IsWindowVisible(window)); ++i) {
            Sleep(10);
            window = session.primaryWindow;
        }
        parent = GetParent(window);
        GetClientRect(window, &area);
        // Input does not end a preview; a close request does.
        PostMessageA(window, WM_KEYDOWN, 'K', 0);
        Sleep(50);
        PostMessageA(window, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(parent, host);
    EXPECT_EQ(session.parent, host);
    EXPECT_EQ(area.right, 100);
    EXPECT_EQ(area.bottom, 80);
    DestroyWindow(host);
}

TEST_F(SaverProgramTest, EmptyLineAndConfigureSwitchOpenTheDialogWithNoOwner) {
    for (const char* line : {"", "/c:1234"}) {
        HWND owner = reinterpret_cast<HWND>(1);
        bool found = false;
        const int code = RunWhile(line, &session, [&] {
            HWND dialog = AwaitWindow("#32770", "SETUP");
            found = dialog != nullptr;
            owner = GetWindow(dialog, GW_OWNER);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(code, 0) << line;
        EXPECT_TRUE(found) << line;
        EXPECT_EQ(owner, nullptr) << line;
        EXPECT_EQ(session.mode, SaverMode::Configure) << line;
    }
}

TEST_F(SaverProgramTest, PasswordChangeGoesToTheHostWithTheNumberedOwner) {
    EXPECT_EQ(RunSaverProgram(GetModuleHandleA(nullptr), "/a 4660", &session), 0);
    EXPECT_EQ(session.mode, SaverMode::ChangePassword);
    EXPECT_EQ(StandinText("TOLVA_CHANGE_PROVIDER"), "SCRSAVE");
    EXPECT_EQ(StandinNumber("TOLVA_CHANGE_OWNER"), 4660);
}

TEST_F(SaverProgramTest, UnknownSwitchEndsSilently) {
    MessageBoxWatcher watcher;
    EXPECT_EQ(RunSaverProgram(GetModuleHandleA(nullptr), "/x", &session), 0);
    EXPECT_EQ(RunSaverProgram(GetModuleHandleA(nullptr), "--help", &session), 0);
    EXPECT_EQ(FindOwnWindow(SaverClassName, nullptr), nullptr);
    EXPECT_TRUE(watcher.Seen().empty());
}

TEST_F(SaverProgramTest, WindowThatCannotBeCreatedShowsTheInitialisationError) {
    std::vector<SeenMessageBox> boxes;
    {
        MessageBoxWatcher watcher;
        // 1234 names no window, so the preview has no parent to live in.
        EXPECT_EQ(RunSaverProgram(GetModuleHandleA(nullptr), "/p 1234", &session), 0);
        boxes = watcher.Seen();
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, CreateFailedCaption);
    EXPECT_EQ(boxes[0].text, CreateFailedText);
    EXPECT_FALSE(boxes[0].hasOwner);
}

TEST_F(SaverProgramTest, RunningFullScreenSaverBlocksEveryNewStart) {
    WNDCLASSA blockerClass = {};
    blockerClass.lpfnWndProc = DefWindowProcA;
    blockerClass.hInstance = GetModuleHandleA(nullptr);
    blockerClass.lpszClassName = SaverClassName;
    ASSERT_NE(RegisterClassA(&blockerClass), 0);
    HWND blocker = CreateWindowExA(0, SaverClassName, "Screen Saver", WS_POPUP, 0, 0, 10, 10,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(blocker, nullptr);
    session.mode = static_cast<SaverMode>(77);
    for (const char* line : {"", "/c", "/s", "/p 1234", "/a"}) {
        EXPECT_EQ(RunWhile(line, &session, [] {}), 0) << line;
    }
    EXPECT_EQ(session.mode, static_cast<SaverMode>(77));  // ended before the command line was read
    EXPECT_EQ(StandinNumber("TOLVA_CHANGE_CALLS"), -1);
    DestroyWindow(blocker);
}

}  // namespace
