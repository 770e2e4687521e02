#include "GeneralPage.h"

#include "CursorProgram.h"
#include "SettingsProgram.h"
#include "resource.h"

GeneralPage::GeneralPage(SettingsProgram &program) : SettingsPage(program, IDD_GENERAL_PAGE) {}

INT_PTR GeneralPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SHOW_HIDE_CURSOR: OnShowHideCursor(); break;
        case IDC_MENU_KEYS:
        case IDC_MENU_CURSOR: OnMenuNavigationClicked(); break;
        }
        return TRUE;
    }
    return HandleCommon(message, wParam, lParam);
}

bool GeneralPage::IsHelpLink(int controlId) const {
    return controlId == IDC_HELP_MENU_BEHAVIOUR || controlId == IDC_HELP_SHOW_HIDE;
}

void GeneralPage::OnInitDialog() {
    SizeAboveTabs();
    if (!program.settings.loaded)
        LoadSettings(program.settings);
    SetFromRecord();
    MakeHelpLink(IDC_HELP_MENU_BEHAVIOUR);
    MakeHelpLink(IDC_HELP_SHOW_HIDE);
}

void GeneralPage::SetFromRecord() {
    CheckRadioButton(hwnd, IDC_MENU_KEYS, IDC_MENU_CURSOR,
                     program.settings.menuNavigationMethod == MENU_NAVIGATION_CURSOR
                         ? IDC_MENU_CURSOR
                         : IDC_MENU_KEYS);
}

LONG GeneralPage::MenuNavigationMethod() const {
    return SendDlgItemMessageW(hwnd, IDC_MENU_KEYS, BM_GETCHECK, 0, 0) == BST_CHECKED
               ? MENU_NAVIGATION_KEYS
               : MENU_NAVIGATION_CURSOR;
}

void GeneralPage::OnShowHideCursor() {
    ShowWaitCursor();
    LONG status = StartCursorProgram();
    RestoreNormalCursor();
    if (status == CURSOR_PROGRAM_STARTED)
        return;
    ShowMessage(program.instance, hwnd, IDS_START_ERROR, IDS_START_ERROR_TITLE, MB_ICONERROR);
}

void GeneralPage::OnMenuNavigationClicked() {
    // The code carries the choice; the value is always 1.
    if (MenuNavigationMethod() == MENU_NAVIGATION_KEYS)
        PostSettingPreview(IDC_MENU_KEYS, 1);
    else
        PostSettingPreview(IDC_MENU_CURSOR, 1);
}
