// The Buttons page: the device's hardware buttons and what each runs, and the
// commands that make one show and hide the cursor (Assign) or give it back
// its old action (Restore).
#ifndef PLSETTINGS_BUTTONSPAGE_H
#define PLSETTINGS_BUTTONSPAGE_H

#include "SettingsPage.h"
#include "ShellKeyTable.h"

// The page examines the button keys 40C1 to 40C6.
#define BUTTON_KEY_COUNT 6
// Assign's result when the button already runs the show/hide shortcut.
#define BUTTON_ALREADY_ASSIGNED 101

class ButtonsPage : public SettingsPage {
public:
    explicit ButtonsPage(SettingsProgram &program);

    // 0, BUTTON_ALREADY_ASSIGNED, or the error that stopped the assignment
    // (nothing written to the shell's table before it).
    LONG AssignShowHideButton(int row);
    // 0 or one of the codes of ButtonBackup.h.
    LONG RestoreShellKeyEntry(int row, LPCWSTR keyName);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsHelpLink(int controlId) const;

private:
    void OnInitDialog();
    void FillButtonList();
    void OnCommand(WORD controlId, WORD notification);
    void Assign(int row);
    void Restore(int row);
    int SelectedRow() const;
    void ShowPageMessage(UINT textId, UINT titleId, UINT type);

    HWND buttonList;
    // The key name of each list row, row by row.
    WCHAR buttonKeyTable[BUTTON_KEY_COUNT][SHELL_KEY_NAME_CAPACITY];
    int rowCount;
};

#endif
