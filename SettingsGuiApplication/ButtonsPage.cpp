#include "ButtonsPage.h"

#include <commctrl.h>
#include <strsafe.h>

#include "ButtonBackup.h"
#include "SettingsProgram.h"
#include "resource.h"

namespace {

const WCHAR *const BUTTON_KEY_NAMES[BUTTON_KEY_COUNT] = {
    TEXT("40C1"), TEXT("40C2"), TEXT("40C3"), TEXT("40C4"), TEXT("40C5"), TEXT("40C6"),
};

// Column widths in pixels at 96 dots per inch.
const int BUTTON_COLUMN_WIDTH = 75;
const int ASSIGNMENT_COLUMN_WIDTH = 135;

// The status the program ends with when memory runs out.
const UINT OUT_OF_MEMORY_EXIT = 14;

} // namespace

ButtonsPage::ButtonsPage(SettingsProgram &program)
    : SettingsPage(program, IDD_BUTTONS_PAGE), buttonList(NULL), rowCount(0) {
    for (int i = 0; i < BUTTON_KEY_COUNT; ++i)
        buttonKeyTable[i][0] = 0;
}

INT_PTR ButtonsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(); return TRUE;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return HandleCommon(message, wParam, lParam);
}

bool ButtonsPage::IsHelpLink(int controlId) const {
    return controlId == IDC_HELP_BUTTONS;
}

void ButtonsPage::OnInitDialog() {
    rowCount = 0;
    buttonList = Item(IDC_BUTTON_LIST);
    SizeAboveTabs();
    InsertTwoColumns(buttonList, IDS_COLUMN_BUTTON, BUTTON_COLUMN_WIDTH, IDS_COLUMN_ASSIGNMENT,
                     ASSIGNMENT_COLUMN_WIDTH);
    FillButtonList();
    if (!program.settings.loaded)
        LoadSettings(program.settings);
    MakeHelpLink(IDC_HELP_BUTTONS);
}

void ButtonsPage::FillButtonList() {
    ShellKeyEntry entry;
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT;
    for (int i = 0; i < BUTTON_KEY_COUNT && rowCount < BUTTON_KEY_COUNT; ++i) {
        if (ReadShellKeyEntry(BUTTON_KEY_NAMES[i], SHELL_KEY_DISPLAY_FORM, entry) != ERROR_SUCCESS)
            continue;
        item.iItem = rowCount;
        item.iSubItem = 0;
        item.pszText = entry.name;
        int row = (int)SendMessageW(buttonList, LVM_INSERTITEMW, 0, (LPARAM)&item);
        if (row != rowCount)
            continue;
        item.iSubItem = 1;
        item.pszText = entry.text;
        SendMessageW(buttonList, LVM_SETITEMW, 0, (LPARAM)&item);
        StringCchCopyW(buttonKeyTable[rowCount], SHELL_KEY_NAME_CAPACITY, BUTTON_KEY_NAMES[i]);
        ++rowCount;
    }
}

int ButtonsPage::SelectedRow() const {
    return (int)SendMessageW(buttonList, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

void ButtonsPage::ShowPageMessage(UINT textId, UINT titleId, UINT type) {
    ShowMessage(program.instance, hwnd, textId, titleId, type);
}

void ButtonsPage::OnCommand(WORD controlId, WORD notification) {
    if (notification != 0)
        return;
    int row = SelectedRow();
    if (row < 0 || row >= rowCount) {
        if (controlId != IDC_HELP_BUTTONS)
            ShowPageMessage(IDS_SELECT_BUTTON, IDS_SELECT_IMAGE_TITLE, MB_ICONINFORMATION);
        return;
    }
    if (controlId == IDC_ASSIGN)
        Assign(row);
    else if (controlId == IDC_RESTORE)
        Restore(row);
}

// ---------------------------------------------------------------- Assign

LONG ButtonsPage::AssignShowHideButton(int row) {
    LPCWSTR keyName = buttonKeyTable[row];
    WCHAR commandLine[SHOW_HIDE_COMMAND_LINE_CAPACITY];
    LONG status = BuildShowHideCommandLine(commandLine);
    if (status != ERROR_SUCCESS)
        return status;
    if (IsShowHideShortcut(keyName, commandLine))
        return BUTTON_ALREADY_ASSIGNED;
    status = BackupShellKeyEntry(keyName);
    if (status != ERROR_SUCCESS)
        return status;
    status = WriteShellKeyEntry(keyName, 0, commandLine);
    if (status != ERROR_SUCCESS)
        return status;
    SetShowHideButtonFlag(1);
    return ERROR_SUCCESS;
}

void ButtonsPage::Assign(int row) {
    ShowWaitCursor();
    LONG result = AssignShowHideButton(row);
    if (result == ERROR_SUCCESS) {
        WCHAR text[SHOW_HIDE_COMMAND_LINE_CAPACITY];
        if (BuildShowHideCommandLine(text) == ERROR_SUCCESS) {
            ReduceToFileName(text);
            SetButtonRowText(buttonList, row, text);
        }
        ShowPageMessage(IDS_ASSIGN_SUCCESS, IDS_ASSIGN_SUCCESS_TITLE, MB_ICONINFORMATION);
    } else if (result == BUTTON_ALREADY_ASSIGNED) {
        ShowPageMessage(IDS_ALREADY_ASSIGNED, IDS_SETTINGS_TITLE, MB_ICONEXCLAMATION);
    } else {
        RestoreNormalCursor();
        ShowPageMessage(IDS_ASSIGN_ERROR, IDS_BUTTON_ERROR_TITLE, MB_ICONEXCLAMATION);
    }
    RestoreNormalCursor();
}

// ---------------------------------------------------------------- Restore

LONG ButtonsPage::RestoreShellKeyEntry(int row, LPCWSTR keyName) {
    HKEY root = NULL, backup = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, BUTTON_BACKUP_KEY, 0, KEY_READ, &root) != ERROR_SUCCESS)
        return BACKUP_NOT_OPENED;
    if (RegOpenKeyExW(root, keyName, 0, KEY_READ, &backup) != ERROR_SUCCESS) {
        RegCloseKey(root);
        return BACKUP_KEY_NOT_OPENED;
    }
    LPWSTR text = (LPWSTR)LocalAlloc(LPTR, SHELL_KEY_TEXT_CAPACITY * sizeof(WCHAR));
    if (text == NULL) {
        RegCloseKey(backup);
        RegCloseKey(root);
        WCHAR title[STRING_CAPACITY];
        WCHAR message[STRING_CAPACITY];
        LoadText(program.instance, IDS_OUT_OF_MEMORY_TITLE, title);
        LoadText(program.instance, IDS_OUT_OF_MEMORY, message);
        MessageBoxW(NULL, message, title, MB_OK | MB_ICONEXCLAMATION);
        ExitProcess(OUT_OF_MEMORY_EXIT);
        return BACKUP_NOT_READ;
    }
    DWORD flags = 0;
    LONG flagsRead = ReadShellKeyNumber(backup, TEXT("Flags"), &flags);
    LONG textRead = ReadShellKeyString(backup, NULL, text);
    RegCloseKey(backup);
    RegCloseKey(root);
    size_t length = 0;
    if (textRead == ERROR_SUCCESS &&
        StringCchLengthW(text, SHELL_KEY_TEXT_CAPACITY, &length) == S_OK &&
        length == SHELL_KEY_TEXT_CAPACITY - 1) {
        ShowPageMessage(IDS_PATH_TOO_LONG, IDS_BUTTONS_ERROR_TITLE, MB_ICONEXCLAMATION);
        LocalFree(text);
        return BACKUP_NOT_READ;
    }
    if (flagsRead != ERROR_SUCCESS || textRead != ERROR_SUCCESS) {
        LocalFree(text);
        return BACKUP_NOT_READ;
    }
    LONG written = WriteShellKeyEntry(keyName, flags, text);
    LocalFree(text);
    if (written != ERROR_SUCCESS)
        return RESTORE_NOT_WRITTEN;
    RefreshButtonRow(buttonList, row, keyName);
    DeleteShellKeyBackup(keyName);
    SetShowHideButtonFlag(0);
    return ERROR_SUCCESS;
}

void ButtonsPage::Restore(int row) {
    LPCWSTR keyName = buttonKeyTable[row];
    ShowWaitCursor();
    if (!HasShellKeyBackup(keyName)) {
        ShowPageMessage(IDS_NOT_ASSIGNED, IDS_RESTORE_TITLE, MB_ICONINFORMATION);
        RestoreNormalCursor();
        return;
    }
    switch (RestoreShellKeyEntry(row, keyName)) {
    case ERROR_SUCCESS: ShowPageMessage(IDS_RESTORE_SUCCESS, IDS_BUTTONS_TITLE, MB_OK); break;
    case BACKUP_NOT_OPENED:
        ShowPageMessage(IDS_BACKUP_NOT_OPENED, IDS_BUTTONS_TITLE, MB_ICONHAND);
        break;
    case BACKUP_KEY_NOT_OPENED:
        ShowPageMessage(IDS_BACKUP_KEY_NOT_OPENED, IDS_BUTTONS_TITLE, MB_ICONHAND);
        break;
    case BACKUP_NOT_READ:
        ShowPageMessage(IDS_BACKUP_NOT_READ, IDS_BUTTONS_TITLE, MB_ICONHAND);
        break;
    default: break; // a failed write shows nothing; Restore can be pressed again
    }
    RestoreNormalCursor();
}
