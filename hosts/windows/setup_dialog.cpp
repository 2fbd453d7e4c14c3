// The configuration dialog's procedure.
#include "hosts/windows/setup_dialog.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdint>

#include "hosts/windows/dialog_ids.h"
#include "hosts/windows/saver_messages.h"
#include "hosts/windows/saver_session.h"
#include "hosts/windows/saver_texts.h"
#include "hosts/windows/settings_store.h"
#include "trails/setting_limits.h"

namespace {

constexpr int32_t ColorButtonBase = IDC_COLOR_FIRST - 1;  // button id of scheme m is base + m

LRESULT SendToControl(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(GetDlgItem(dialog, id), message, wParam, lParam);
}

// Over the window that opened the dialog (the display settings), kept inside that window's
// monitor; a dialog without an owner stays where its template puts it.
void CentreOverOwner(HWND dialog, HWND owner) {
    if (!IsWindow(owner)) return;
    RECT over = {};
    RECT own = {};
    GetWindowRect(owner, &over);
    GetWindowRect(dialog, &own);
    const LONG width = own.right - own.left;
    const LONG height = own.bottom - own.top;
    LONG left = over.left + (over.right - over.left - width) / 2;
    LONG top = over.top + (over.bottom - over.top - height) / 2;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& area = monitor.rcWork;
        if (left > area.right - width) left = area.right - width;
        if (top > area.bottom - height) top = area.bottom - height;
        if (left < area.left) left = area.left;
        if (top < area.top) top = area.top;
    }
    SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR InitDialog(HWND dialog, const SaverSession& session) {
    CentreOverOwner(dialog, session.parent);
    SendToControl(dialog, IDC_COUNT_SLIDER, TBM_SETRANGE, TRUE,
                  MAKELPARAM(MinTrailCount, MaxTrailCount));
    uint32_t trailCount = 0;
    int32_t colorMode = 0;
    // A key that can be neither read nor made shows the defaults; OK then reports the failure.
    LoadSettings(&trailCount, &colorMode);
    for (int id = IDC_COLOR_FIRST; id <= IDC_COLOR_LAST; ++id) {
        SendToControl(dialog, id, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    // A stored scheme outside 1..9 leaves every button unchecked.
    for (int32_t mode = MinColorMode; mode <= MaxColorMode; ++mode) {
        if (colorMode == mode)
            SendToControl(dialog, ColorButtonBase + mode, BM_SETCHECK, BST_CHECKED, 0);
    }
    // A stored count outside 2..80 shows as the nearer end, which a count above the pool's size
    // also draws as. It is brought into range here: the trackbar reads its position as a signed
    // number, and would show a count of 2^31 or more as its low end.
    const uint32_t shown = trailCount < MinTrailCount   ? MinTrailCount
                           : trailCount > MaxTrailCount ? MaxTrailCount
                                                        : trailCount;
    SendToControl(dialog, IDC_COUNT_SLIDER, TBM_SETPOS, TRUE, static_cast<LPARAM>(shown));
    return 1;
}

INT_PTR Confirm(HWND dialog) {
    const auto trailCount =
        static_cast<uint32_t>(SendToControl(dialog, IDC_COUNT_SLIDER, TBM_GETPOS, 0, 0));
    int32_t colorMode = MinColorMode;
    for (int id = IDC_COLOR_FIRST; id <= IDC_COLOR_LAST; ++id) {
        if (SendToControl(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            colorMode = id - ColorButtonBase;
            break;
        }
    }
    if (!SaveSettings(trailCount, colorMode)) {
        // The dialog stays open so the user may try again or cancel.
        ShowSaverMessage(SaveFailedMessage, MB_OK);
        return 1;
    }
    EndDialog(dialog, 1);
    return 1;
}

// The colour group box's mnemonic (Alt+C) gives the group box the focus and then asks to move on
// to the next tab stop, which is OK: the colour buttons are no tab stops, and the first three come
// before the group box. Moving on from the group box goes to the checked colour instead (the
// first, the one OK would store, when none is checked). Returns whether the move was taken.
INT_PTR MoveFocusOn(HWND dialog, WPARAM backwards, LPARAM toControl) {
    HWND focus = GetFocus();
    if (toControl != 0 || backwards != 0 || GetParent(focus) != dialog ||
        (GetWindowLongA(focus, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX) {
        return 0;
    }
    int colour = IDC_COLOR_FIRST;
    for (int id = IDC_COLOR_FIRST; id <= IDC_COLOR_LAST; ++id) {
        if (SendToControl(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED) colour = id;
    }
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, colour)), TRUE);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    return 1;
}

HRSRC FindDialogTemplate(HINSTANCE instance, WORD language) {
    return FindResourceExW(instance, MAKEINTRESOURCEW(5) /* RT_DIALOG */,
                           MAKEINTRESOURCEW(IDD_SETUP), language);
}

}  // namespace

void RunSetupDialog(const SaverSession* session) {
    InitCommonControls();
    // The template is picked here rather than by the system's own resource lookup, so the user's
    // interface language alone decides, with the Japanese dialog when that language has none.
    HINSTANCE instance = session->instance;
    HRSRC found = FindDialogTemplate(instance, UserResourceLanguage());
    if (found == nullptr) {
        found = FindDialogTemplate(instance, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    }
    if (found == nullptr) return;
    const auto* dialogTemplate =
        static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(instance, found)));
    // A wide dialog: an ANSI one would pass its UTF-16 texts through the ANSI code page, and the
    // Japanese ones would come out as question marks under any other.
    // Owned, the dialog is modal to the window that opened it, which cannot open a second.
    HWND owner = IsWindow(session->parent) ? session->parent : nullptr;
    DialogBoxIndirectParamW(instance, dialogTemplate, owner, SetupDialogProc,
                            reinterpret_cast<LPARAM>(session));
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return InitDialog(dialog, *reinterpret_cast<const SaverSession*>(lParam));
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    return Confirm(dialog);
                case IDCANCEL:
                    EndDialog(dialog, 1);
                    return 1;
                default:
                    return 0;
            }
        case WM_CLOSE:
            EndDialog(dialog, 1);
            return 1;
        case WM_NEXTDLGCTL:
            return MoveFocusOn(dialog, wParam, lParam);
        default:
            return 0;
    }
}
