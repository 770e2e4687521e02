#include "MovementPage.h"

#include <commctrl.h>

#include "CursorProgram.h"
#include "CursorSettings.h"
#include "SettingsProgram.h"
#include "resource.h"

namespace {

// The acceleration controls, enabled and disabled together in this order.
const int ACCELERATION_CONTROLS[] = {IDC_ACCELERATION_SPEED, IDC_ACCELERATION_SLOW,
                                     IDC_ACCELERATION_FAST, IDC_ACCELERATION_LABEL};

} // namespace

LONG ClampPosition(LRESULT position, LONG low, LONG high) {
    if (position < low)
        return low;
    return position > high ? high : (LONG)position;
}

MovementPage::MovementPage(SettingsProgram &program)
    : SettingsPage(program, IDD_MOVEMENT_PAGE), speedTrackbar(NULL), accelerationTrackbar(NULL) {}

INT_PTR MovementPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ACCELERATION)
            OnAccelerationToggled();
        return TRUE;
    case WM_HSCROLL: OnTrackbarScroll(LOWORD(wParam), (HWND)lParam); return TRUE;
    }
    return HandleCommon(message, wParam, lParam);
}

bool MovementPage::IsHelpLink(int controlId) const {
    return controlId == IDC_HELP_SPEED || controlId == IDC_HELP_ACCELERATION;
}

void MovementPage::OnInitDialog() {
    speedTrackbar = Item(IDC_SPEED);
    accelerationTrackbar = Item(IDC_ACCELERATION_SPEED);
    SizeAboveTabs();
    SendMessageW(speedTrackbar, TBM_SETRANGE, FALSE, MAKELONG(SPEED_MIN, SPEED_MAX));
    SendMessageW(accelerationTrackbar, TBM_SETRANGE, FALSE,
                 MAKELONG(ACCELERATION_SPEED_MIN, ACCELERATION_SPEED_MAX));
    if (!program.settings.loaded)
        LoadSettings(program.settings);
    SetFromRecord();
    MakeHelpLink(IDC_HELP_ACCELERATION);
    MakeHelpLink(IDC_HELP_SPEED);
}

void MovementPage::SetFromRecord() {
    CheckDlgButton(hwnd, IDC_ACCELERATION,
                   program.settings.accelerationEnabled == 1 ? BST_CHECKED : BST_UNCHECKED);
    SendMessageW(speedTrackbar, TBM_SETPOS, TRUE, program.settings.cursorSpeed);
    SendMessageW(accelerationTrackbar, TBM_SETPOS, TRUE, program.settings.accelerationSpeed);
}

void MovementPage::Collect(CursorSettings &settings) const {
    settings.accelerationEnabled =
        IsDlgButtonChecked(hwnd, IDC_ACCELERATION) == BST_CHECKED ? 1 : 0;
    settings.cursorSpeed =
        ClampPosition(SendMessageW(speedTrackbar, TBM_GETPOS, 0, 0), SPEED_MIN, SPEED_MAX);
    settings.accelerationSpeed = ClampPosition(SendMessageW(accelerationTrackbar, TBM_GETPOS, 0, 0),
                                               ACCELERATION_SPEED_MIN, ACCELERATION_SPEED_MAX);
}

void MovementPage::OnAccelerationToggled() {
    LRESULT checked = SendDlgItemMessageW(hwnd, IDC_ACCELERATION, BM_GETCHECK, 0, 0);
    for (size_t i = 0; i < sizeof(ACCELERATION_CONTROLS) / sizeof(ACCELERATION_CONTROLS[0]); ++i) {
        HWND control = Item(ACCELERATION_CONTROLS[i]);
        // The focus moves on before its control is disabled, so that the
        // keys still reach the page.
        if (checked == 0 && control != NULL && GetFocus() == control)
            SendMessageW(hwnd, WM_NEXTDLGCTL, 0, 0);
        EnableWindow(control, checked != 0);
    }
    PostSettingPreview(IDC_ACCELERATION, checked);
}

void MovementPage::OnTrackbarScroll(WORD notification, HWND trackbar) {
    // A preview only when the user has let go of the thumb or ended a key
    // move, never while the thumb is dragged.
    if (notification != TB_ENDTRACK || trackbar == NULL)
        return;
    int id = GetDlgCtrlID(trackbar);
    if (id == IDC_SPEED || id == IDC_ACCELERATION_SPEED)
        PostSettingPreview(id, SendMessageW(trackbar, TBM_GETPOS, 0, 0));
}
