// The configuration dialog driven for real: DialogBoxParamA with resource 106, its controls set
// and its buttons pressed from a second thread while the modal loop runs on this one.
#include "hosts/windows/setup_dialog.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "hosts/windows/dialog_ids.h"
#include "hosts/windows/saver_session.h"
#include "hosts/windows/saver_texts.h"
#include "win_test_support.h"

namespace {

HWND FindSetupDialog() {
    const DWORD process = GetCurrentProcessId();
    HWND dialog = nullptr;
    while ((dialog = FindWindowExA(nullptr, dialog, "#32770", "SETUP")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(dialog, &owner);
        if (owner == process && IsWindowVisible(dialog)) return dialog;
    }
    return nullptr;
}

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

// Ids of the checked colour buttons, in id order.
std::vector<int> CheckedColours(HWND dialog) {
    std::vector<int> checked;
    for (int id = IDC_COLOR_FIRST; id <= IDC_COLOR_LAST; ++id) {
        if (Send(dialog, id, BM_GETCHECK) == BST_CHECKED) checked.push_back(id);
    }
    return checked;
}

void Press(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class SetupDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { session.instance = GetModuleHandleA(nullptr); }

    // Opens the dialog and runs drive on a second thread once it shows. Returns whether the
    // dialog closed by itself afterwards; if it did not, it is cancelled so nothing hangs.
    bool RunDialog(const std::function<void(HWND)>& drive) {
        std::atomic<bool> closedByItself{false};
        const DWORD uiThread = GetCurrentThreadId();
        std::thread driver([&] {
            HWND dialog = nullptr;
            for (int i = 0; i < 500 && dialog == nullptr; ++i) {
                Sleep(10);
                dialog = FindSetupDialog();
            }
            if (dialog == nullptr) return;
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            GetGUIThreadInfo(uiThread, &info);
            focusAtOpen = info.hwndFocus;
            okButton = GetDlgItem(dialog, IDOK);
            drive(dialog);
            for (int i = 0; i < 300 && IsWindow(dialog); ++i) Sleep(10);
            closedByItself = !IsWindow(dialog);
            if (!closedByItself) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        RunSetupDialog(&session);
        driver.join();
        return closedByItself;
    }

    void Store(uint32_t count, int32_t color) {
        WriteDword(SettingsKeyPath, CountValueName, count);
        WriteDword(SettingsKeyPath, ColorValueName, static_cast<DWORD>(color));
    }

    static uint32_t Stored(const char* name) {
        DWORD type = 0;
        std::vector<uint8_t> data;
        if (!ReadRawValue(SettingsKeyPath, name, &type, &data) || type != REG_DWORD ||
            data.size() != 4) {
            return 0xFFFFFFFF;
        }
        return data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    }

    RegistrySandbox sandbox;
    SaverSession session;
    HWND focusAtOpen = nullptr;
    HWND okButton = nullptr;
};

TEST_F(SetupDialogTest, OpensWithTheStoredValuesAndOkStoresTheControls) {
    Store(30, 3);
    LRESULT position = 0, low = 0, high = 0;
    std::vector<int> checkedAtOpen, checkedAfterClick;
    EXPECT_TRUE(RunDialog([&](HWND dialog) {
        position = Send(dialog, IDC_COUNT_SLIDER, TBM_GETPOS);
        low = Send(dialog, IDC_COUNT_SLIDER, TBM_GETRANGEMIN);
        high = Send(dialog, IDC_COUNT_SLIDER, TBM_GETRANGEMAX);
        checkedAtOpen = CheckedColours(dialog);
        Send(dialog, IDC_COUNT_SLIDER, TBM_SETPOS, TRUE, 55);
        Send(dialog, 1010, BM_CLICK);  // "？？"
        checkedAfterClick = CheckedColours(dialog);
        Press(dialog, IDOK);
    }));
    EXPECT_EQ(position, 30);
    EXPECT_EQ(low, 2);
    EXPECT_EQ(high, 80);
    EXPECT_EQ(checkedAtOpen, std::vector<int>{1004});
    EXPECT_EQ(checkedAfterClick, std::vector<int>{1010});  // one group: the others go out
    EXPECT_EQ(focusAtOpen, okButton);
    EXPECT_EQ(Stored(CountValueName), 55u);
    EXPECT_EQ(Stored(ColorValueName), 9u);

    EXPECT_TRUE(RunDialog([&](HWND dialog) {
        Send(dialog, 1002, BM_CLICK);  // "赤"
        Press(dialog, IDOK);
    }));
    EXPECT_EQ(Stored(CountValueName), 55u);
    EXPECT_EQ(Stored(ColorValueName), 1u);
}

TEST_F(SetupDialogTest, OkWritesBothValuesEvenWhenNothingChanged) {
    std::vector<int> checked;
    EXPECT_TRUE(RunDialog([&](HWND dialog) {
        checked = CheckedColours(dialog);
        Press(dialog, IDOK);
    }));
    EXPECT_EQ(checked, std::vector<int>{1002});
    EXPECT_EQ(Stored(CountValueName), 25u);
    EXPECT_EQ(Stored(ColorValueName), 1u);
}

TEST_F(SetupDialogTest, CancelEscapeAndCloseBoxStoreNothing) {
    const std::vector<std::function<void(HWND)>> ways = {
        [](HWND dialog) { Press(dialog, IDCANCEL); },
        [](HWND dialog) { PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); },
        [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    int way = 0;
    for (const auto& end : ways) {
        Store(30, 3);
        EXPECT_TRUE(RunDialog([&](HWND dialog) {
            Send(dialog, IDC_COUNT_SLIDER, TBM_SETPOS, TRUE, 70);
            Send(dialog, 1008, BM_CLICK);
            end(dialog);
        })) << "way "
            << way;
        EXPECT_EQ(Stored(CountValueName), 30u) << "way " << way;
        EXPECT_EQ(Stored(ColorValueName), 3u) << "way " << way;
        ++way;
    }
}

TEST_F(SetupDialogTest, CountsOutsideTheRangeShowAndSaveAsItsEnds) {
    for (uint32_t stored : {1u, 200u, 0x80000000u, 0xFFFFFFFFu}) {
        Store(stored, 2);
        LRESULT position = 0;
        EXPECT_TRUE(RunDialog([&](HWND dialog) {
            position = Send(dialog, IDC_COUNT_SLIDER, TBM_GETPOS);
            Press(dialog, IDOK);
        }));
        const uint32_t expected = stored == 1 ? 2 : 80;
        EXPECT_EQ(position, static_cast<LRESULT>(expected));
        EXPECT_EQ(Stored(CountValueName), expected);
    }
}

TEST_F(SetupDialogTest, ColourOutsideTheNineChecksNothingAndOkSavesOne) {
    for (int32_t stored : {0, 12}) {
        Store(40, stored);
        std::vector<int> checked = {-1};
        EXPECT_TRUE(RunDialog([&](HWND dialog) {
            checked = CheckedColours(dialog);
            Press(dialog, IDOK);
        }));
        EXPECT_TRUE(checked.empty()) << stored;
        EXPECT_EQ(Stored(ColorValueName), 1u) << stored;
        EXPECT_EQ(Stored(CountValueName), 40u) << stored;
    }
}

TEST_F(SetupDialogTest, FailedSaveShowsTheErrorAndKeepsTheDialogOpen) {
    Store(30, 3);
    LockKeyReadOnly(SettingsKeyPath);
    LRESULT position = 0;
    std::vector<int> checked = {-1};
    bool openAfterOk = false;
    std::vector<SeenMessageBox> boxes;
    EXPECT_TRUE(RunDialog([&](HWND dialog) {
        position = Send(dialog, IDC_COUNT_SLIDER, TBM_GETPOS);
        checked = CheckedColours(dialog);
        {
            MessageBoxWatcher watcher;
            Press(dialog, IDOK);  // returns once the error box has been dismissed
            boxes = watcher.Seen();
        }
        openAfterOk = IsWindow(dialog) && IsWindowVisible(dialog);
        Press(dialog, IDCANCEL);
    }));
    // A key the user may only read still shows what it holds.
    EXPECT_EQ(position, 30);
    EXPECT_EQ(checked, std::vector<int>{1004});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, SaveFailedCaption);
    EXPECT_EQ(boxes[0].text, SaveFailedText);
    EXPECT_FALSE(boxes[0].hasOwner);
    EXPECT_FALSE(boxes[0].hasCancel);
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(Stored(CountValueName), 30u);
    EXPECT_EQ(Stored(ColorValueName), 3u);
}

TEST_F(SetupDialogTest, UnhandledMessagesAndOtherCommandIdsAreLeftToTheSystem) {
    EXPECT_EQ(SetupDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(1005, BN_CLICKED), 0), 0);
    EXPECT_EQ(SetupDialogProc(nullptr, WM_COMMAND, IDC_COUNT_SLIDER, 0), 0);
    for (UINT message : {WM_PAINT, WM_TIMER, WM_HSCROLL, WM_DESTROY, WM_KEYDOWN}) {
        EXPECT_EQ(SetupDialogProc(nullptr, message, 0, 0), 0) << message;
    }
}

}  // namespace
