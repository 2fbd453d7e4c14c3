// The password hooks with stand-in host libraries in the system folder: every outcome of the
// close-time check, the re-entrancy guard, and the password change's call. The check asks the
// host only on Windows 9x, so this program runs with Wine's Windows version for it set to
// Windows 98 (tests/hosts/windows/CMakeLists.txt); the NT family's answer is checked end to end.
#include "hosts/windows/password_hooks.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hosts/windows/saver_texts.h"
#include "hosts/windows/saver_window.h"
#include "win_test_support.h"

namespace {

class PasswordHooksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(GetVersion() & 0x80000000u, 0u) << "this program must run as Windows 98";
        ResetStandinRecords();
        UseStandins("standins");
        window = CreateHostWindow(64, 48);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window);
        RemoveStandins();
        ResetStandinRecords();
    }

    void RequirePassword(DWORD value) { WriteDword(DesktopKeyPath, UsePasswordValueName, value); }

    // Runs the check with a watcher on guard; returns the answer and what boxes showed.
    int Check(std::vector<SeenMessageBox>* boxes) {
        int answer = -1;
        {
            MessageBoxWatcher watcher;
            answer = CheckPasswordOnClose(window, &checkDepth);
            *boxes = watcher.Seen();
        }
        EXPECT_EQ(checkDepth, 0);
        return answer;
    }

    static void ExpectCheckFailedBox(const std::vector<SeenMessageBox>& boxes) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, PasswordCheckFailedCaption);
        EXPECT_EQ(boxes[0].text, PasswordCheckFailedText);
        EXPECT_FALSE(boxes[0].hasOwner);
        EXPECT_FALSE(boxes[0].hasCancel);
    }

    RegistrySandbox sandbox;
    HWND window = nullptr;
    int32_t checkDepth = 0;
};

TEST_F(PasswordHooksTest, NoPasswordRequiredClosesWithoutAskingTheHost) {
    std::vector<SeenMessageBox> boxes;
    SetStandinNumber("TOLVA_VERIFY_ANSWER", 0);
    // Value absent (the desktop key is created if missing).
    EXPECT_EQ(Check(&boxes), 0);
    EXPECT_TRUE(KeyExists(DesktopKeyPath));
    // Value 0.
    RequirePassword(0);
    EXPECT_EQ(Check(&boxes), 0);
    // Eight bytes cannot be read: no password.
    const uint8_t eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    WriteRawValue(DesktopKeyPath, UsePasswordValueName, REG_BINARY, eight, sizeof eight);
    EXPECT_EQ(Check(&boxes), 0);
    // The text "0", as the desktop settings store the flag, is 0 and not its first byte's 48.
    WriteRawValue(DesktopKeyPath, UsePasswordValueName, REG_SZ, "0", 2);
    EXPECT_EQ(Check(&boxes), 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_CALLS"), -1);
}

TEST_F(PasswordHooksTest, HostVerdictDecidesWhenAPasswordIsRequired) {
    std::vector<SeenMessageBox> boxes;
    RequirePassword(1);
    SetStandinNumber("TOLVA_VERIFY_ANSWER", 0);
    EXPECT_EQ(Check(&boxes), 1);
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_WINDOW"), reinterpret_cast<LONG_PTR>(window));
    SetStandinNumber("TOLVA_VERIFY_ANSWER", 5);
    EXPECT_EQ(Check(&boxes), 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_CALLS"), 2);

    // A short value of another type counts by its bytes: two bytes 00 01 are 256, non-zero.
    const uint8_t two[2] = {0, 1};
    WriteRawValue(DesktopKeyPath, UsePasswordValueName, REG_BINARY, two, sizeof two);
    SetStandinNumber("TOLVA_VERIFY_ANSWER", 0);
    EXPECT_EQ(Check(&boxes), 1);
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_CALLS"), 3);
    WriteRawValue(DesktopKeyPath, UsePasswordValueName, REG_SZ, "1", 2);
    EXPECT_EQ(Check(&boxes), 1);
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_CALLS"), 4);
}

TEST_F(PasswordHooksTest, MissingHostLibraryOrEntryShowsTheFailureAndKeepsOpen) {
    std::vector<SeenMessageBox> boxes;
    RequirePassword(1);
    UseStandins("standins-none");
    EXPECT_EQ(Check(&boxes), 1);
    ExpectCheckFailedBox(boxes);
    // Every further attempt shows it again.
    EXPECT_EQ(Check(&boxes), 1);
    ExpectCheckFailedBox(boxes);

    UseStandins("standins-empty");
    EXPECT_EQ(Check(&boxes), 1);
    ExpectCheckFailedBox(boxes);
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_CALLS"), -1);
}

// Windows 9x keys have no access lists, so the only way the desktop key fails is a profile where
// nothing can be opened or created: HKEY_CURRENT_USER redirected onto a deleted key.
TEST_F(PasswordHooksTest, DesktopKeyThatCannotBeOpenedShowsTheFailureAndKeepsOpen) {
    HKEY doomed = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Doomed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &doomed, &disposition),
              ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Doomed"), ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, doomed), ERROR_SUCCESS);
    std::vector<SeenMessageBox> boxes;
    const int answer = Check(&boxes);
    RegistrySandbox restore;  // a fresh profile in place before any assertion can fail
    RegCloseKey(doomed);
    EXPECT_EQ(answer, 1);
    ExpectCheckFailedBox(boxes);
}

TEST_F(PasswordHooksTest, CheckInProgressRefusesSilently) {
    std::vector<SeenMessageBox> boxes;
    checkDepth = 1;
    {
        MessageBoxWatcher watcher;
        EXPECT_EQ(CheckPasswordOnClose(window, &checkDepth), 1);
        boxes = watcher.Seen();
    }
    EXPECT_EQ(checkDepth, 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_CALLS"), -1);
}

TEST_F(PasswordHooksTest, CloseArrivingWhileTheHostVerifiesIsRefusedAndTheOuterVerdictDecides) {
    // A real full-screen saver window, so the nested close goes through its window procedure.
    RequirePassword(1);
    SaverSession session;
    session.mode = SaverMode::Run;
    session.instance = GetModuleHandleA(nullptr);
    SetCursorPos(300, 200);
    ASSERT_EQ(CreateSaverWindows(&session), 1);
    SetCursorPos(20, 30);
    for (int i = 0; i < 5; ++i) session.exitRule.OnMotion(20, 30);
    SetStandinNumber("TOLVA_VERIFY_NESTED_CLOSE", 1);
    SetStandinNumber("TOLVA_VERIFY_ANSWER", 1);
    std::vector<SeenMessageBox> boxes;
    {
        MessageBoxWatcher watcher;
        SendMessageA(session.primaryWindow, WM_CLOSE, 0, 0);
        boxes = watcher.Seen();
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_CALLS"), 1);
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_WINDOW"),
              reinterpret_cast<LONG_PTR>(session.primaryWindow));
    // The nested request took the refusal branch: the window lived on and the cursor went back.
    EXPECT_EQ(StandinNumber("TOLVA_VERIFY_WINDOW_AFTER_NESTED"), 1);
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 300);
    EXPECT_EQ(cursor.y, 200);
    // The outer verdict (accepted) closed the saver, and the guard is back at rest.
    EXPECT_FALSE(IsWindow(session.primaryWindow));
    EXPECT_EQ(session.passwordCheckDepth, 0);
    WPARAM code = 99;
    EXPECT_TRUE(TakePostedQuit(&code));
    EXPECT_EQ(code, 0u);
    UnregisterClassA(SaverClassName, GetModuleHandleA(nullptr));
}

TEST_F(PasswordHooksTest, PasswordChangeCallsTheHostWithProviderAndOwner) {
    std::vector<SeenMessageBox> boxes;
    {
        MessageBoxWatcher watcher;
        RunPasswordChange(window);
        boxes = watcher.Seen();
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(StandinNumber("TOLVA_CHANGE_CALLS"), 1);
    EXPECT_EQ(StandinText("TOLVA_CHANGE_PROVIDER"), "SCRSAVE");
    EXPECT_EQ(StandinNumber("TOLVA_CHANGE_OWNER"), reinterpret_cast<LONG_PTR>(window));
    EXPECT_EQ(StandinNumber("TOLVA_CHANGE_ARG3"), 0);
    EXPECT_EQ(StandinNumber("TOLVA_CHANGE_ARG4"), 0);
}

TEST_F(PasswordHooksTest, PasswordChangeReportsOnlyAMissingLibrary) {
    std::vector<SeenMessageBox> boxes;
    UseStandins("standins-none");
    {
        MessageBoxWatcher watcher;
        RunPasswordChange(window);
        boxes = watcher.Seen();
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "TOLVA");
    EXPECT_EQ(boxes[0].text, ChangeLibraryMissingText);
    EXPECT_EQ(boxes[0].text,
              "MPR.DLL\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1");
    EXPECT_FALSE(boxes[0].hasOwner);

    UseStandins("standins-empty");
    {
        MessageBoxWatcher watcher;
        RunPasswordChange(window);
        boxes = watcher.Seen();
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(StandinNumber("TOLVA_CHANGE_CALLS"), -1);
}

}  // namespace
