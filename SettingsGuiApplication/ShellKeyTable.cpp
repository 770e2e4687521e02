// The shell's hardware-button table: reading an entry in the form the list
// shows or the backup keeps, and writing one back.
#include "ShellKeyTable.h"

#include "CursorSettings.h"

#include <commctrl.h>
#include <strsafe.h>

const WCHAR SHELL_KEYS_KEY[] = TEXT("SOFTWARE\\Microsoft\\Shell\\Keys");
const WCHAR SHOW_HIDE_SHORTCUT_NAME[] = TEXT("Shortcuts\\Pointrel Monodex.lnk");

namespace {

const DWORD LAST_SHELL_ACTION = 12;

const WCHAR VALUE_NAME[] = TEXT("Name");
const WCHAR VALUE_FLAGS[] = TEXT("Flags");
const WCHAR VALUE_BUTTON_SET[] = TEXT("ShowHideCursorButtonSet");

// Labels of the shell's built-in actions, by "Flags" value.
const WCHAR *const ACTION_LABELS[LAST_SHELL_ACTION + 1] = {
    TEXT(""),
    TEXT("<Start Menu>"),
    TEXT("<Input Panel>"),
    TEXT("<Custom/Unknown>"),
    TEXT("<Today>"),
    TEXT("<Scroll Up>"),
    TEXT("<Scroll Down>"),
    TEXT("<Scroll Left>"),
    TEXT("<Scroll Right>"),
    TEXT("<None>"),
    TEXT("<OK/Close>"),
    TEXT("<Context Menu>"),
    TEXT("<Rotate Screen>"),
};
const WCHAR UNKNOWN_ACTION[] = TEXT("<Custom/Unknown>");

// Opens the button's key below the table; both opens must succeed.
LONG OpenButtonKey(LPCWSTR keyName, REGSAM access, HKEY *table, HKEY *button) {
    *table = NULL;
    *button = NULL;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, SHELL_KEYS_KEY, 0, access, table);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegOpenKeyExW(*table, keyName, 0, access, button);
    if (status != ERROR_SUCCESS) {
        RegCloseKey(*table);
        *table = NULL;
    }
    return status;
}

void CloseButtonKey(HKEY table, HKEY button) {
    if (button != NULL)
        RegCloseKey(button);
    if (table != NULL)
        RegCloseKey(table);
}

void ClearEntry(ShellKeyEntry &entry) {
    entry.name[0] = 0;
    entry.flags = 0;
    entry.text[0] = 0;
}

} // namespace

void ReduceToFileName(LPWSTR text) {
    LPWSTR start = text;
    for (LPWSTR p = text; *p != 0; ++p)
        if (*p == TEXT('\\'))
            start = p + 1;
    LPWSTR out = text;
    for (LPWSTR p = start; *p != 0 && *p != TEXT('.'); ++p)
        *out++ = *p;
    *out = 0;
}

LONG ReadShellKeyString(HKEY key, LPCWSTR name, LPWSTR text) {
    text[0] = 0;
    DWORD type = 0;
    DWORD size = SHELL_KEY_TEXT_CAPACITY * sizeof(WCHAR);
    LONG status = RegQueryValueExW(key, name, NULL, &type, (LPBYTE)text, &size);
    if (status != ERROR_SUCCESS) {
        text[0] = 0;
        return status;
    }
    DWORD count = size / sizeof(WCHAR);
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size % sizeof(WCHAR) != 0 ||
        (count > 0 && text[count - 1] != 0)) {
        text[0] = 0;
        return ERROR_INVALID_DATA;
    }
    if (count == 0)
        text[0] = 0;
    return ERROR_SUCCESS;
}

LONG ReadShellKeyNumber(HKEY key, LPCWSTR name, DWORD *value) {
    BYTE bytes[4] = {0, 0, 0, 0};
    DWORD type = 0;
    DWORD size = sizeof bytes;
    *value = 0;
    LONG status = RegQueryValueExW(key, name, NULL, &type, bytes, &size);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != REG_DWORD || size != sizeof bytes)
        return ERROR_INVALID_DATA;
    *value = (DWORD)bytes[0] | ((DWORD)bytes[1] << 8) | ((DWORD)bytes[2] << 16) |
             ((DWORD)bytes[3] << 24);
    return ERROR_SUCCESS;
}

LONG DescribeShellKeyAction(HKEY key, DWORD flags, ShellKeyTextForm form, LPWSTR text) {
    if (flags != 0) {
        LPCWSTR label = flags <= LAST_SHELL_ACTION ? ACTION_LABELS[flags] : UNKNOWN_ACTION;
        return StringCchCopyW(text, SHELL_KEY_TEXT_CAPACITY, label) == S_OK ? ERROR_SUCCESS
                                                                            : ERROR_INVALID_DATA;
    }
    LONG status = ReadShellKeyString(key, NULL, text);
    if (status == ERROR_SUCCESS && form == SHELL_KEY_DISPLAY_FORM)
        ReduceToFileName(text);
    return status;
}

LONG ReadShellKeyEntry(LPCWSTR keyName, ShellKeyTextForm form, ShellKeyEntry &entry) {
    ClearEntry(entry);
    HKEY table, button;
    LONG status = OpenButtonKey(keyName, KEY_READ, &table, &button);
    if (status != ERROR_SUCCESS)
        return status;
    LONG result = ERROR_SUCCESS;
    LONG step = ReadShellKeyString(button, VALUE_NAME, entry.name);
    if (step != ERROR_SUCCESS)
        result = step;
    step = ReadShellKeyNumber(button, VALUE_FLAGS, &entry.flags);
    if (step != ERROR_SUCCESS)
        result = step;
    step = DescribeShellKeyAction(button, entry.flags, form, entry.text);
    if (step != ERROR_SUCCESS)
        result = step;
    CloseButtonKey(table, button);
    if (result == ERROR_SUCCESS && (entry.name[0] == 0 || entry.text[0] == 0))
        result = ERROR_INVALID_DATA;
    if (result != ERROR_SUCCESS)
        ClearEntry(entry);
    return result;
}

LONG WriteShellKeyEntry(LPCWSTR keyName, DWORD flags, LPCWSTR text) {
    size_t length = 0;
    if (StringCchLengthW(text, SHELL_KEY_TEXT_CAPACITY + 2, &length) != S_OK)
        return ERROR_INVALID_DATA;
    HKEY table, button;
    LONG status = OpenButtonKey(keyName, KEY_WRITE, &table, &button);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExW(button, VALUE_FLAGS, 0, REG_DWORD, (const BYTE *)&flags, sizeof flags);
    if (status == ERROR_SUCCESS)
        status = RegSetValueExW(button, NULL, 0, REG_SZ, (const BYTE *)text,
                                (DWORD)((length + 1) * sizeof(WCHAR)));
    if (status == ERROR_SUCCESS)
        status = RegFlushKey(button);
    CloseButtonKey(table, button);
    return status;
}

bool IsShowHideShortcut(LPCWSTR keyName, LPCWSTR commandLine) {
    HKEY table, button;
    if (OpenButtonKey(keyName, KEY_READ, &table, &button) != ERROR_SUCCESS)
        return false;
    WCHAR text[SHELL_KEY_TEXT_CAPACITY];
    LONG status = ReadShellKeyString(button, NULL, text);
    CloseButtonKey(table, button);
    if (status != ERROR_SUCCESS)
        return false;
    size_t i = 0;
    for (; text[i] != 0 && text[i] == commandLine[i]; ++i) {
    }
    return text[i] == commandLine[i];
}

void SetShowHideButtonFlag(DWORD value) {
    HKEY key = NULL;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, SETTINGS_KEY, 0, NULL, 0, KEY_WRITE, NULL, &key,
                        &disposition) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, VALUE_BUTTON_SET, 0, REG_DWORD, (const BYTE *)&value, sizeof value);
    RegFlushKey(key);
    RegCloseKey(key);
}

LONG BuildShowHideCommandLine(LPWSTR commandLine) {
    commandLine[0] = 0;
    WCHAR module[SHELL_KEY_TEXT_CAPACITY];
    DWORD length = GetModuleFileNameW(NULL, module, SHELL_KEY_TEXT_CAPACITY);
    if (length == 0 || length >= SHELL_KEY_TEXT_CAPACITY)
        return ERROR_INSUFFICIENT_BUFFER;
    module[length] = 0;
    DWORD folder = 0; // characters up to and with the last backslash
    for (DWORD i = 0; i < length; ++i)
        if (module[i] == TEXT('\\'))
            folder = i + 1;
    // The shortcut's name takes the place of the program's; a folder so long
    // that the quoted result would not fit is refused, not cut.
    if (StringCchCopyW(commandLine, SHOW_HIDE_COMMAND_LINE_CAPACITY, TEXT("\"")) != S_OK ||
        StringCchCopyNW(commandLine + 1, SHOW_HIDE_COMMAND_LINE_CAPACITY - 1, module, folder) !=
            S_OK ||
        StringCchCatW(commandLine, SHOW_HIDE_COMMAND_LINE_CAPACITY, SHOW_HIDE_SHORTCUT_NAME) !=
            S_OK ||
        StringCchCatW(commandLine, SHOW_HIDE_COMMAND_LINE_CAPACITY, TEXT("\"")) != S_OK) {
        commandLine[0] = 0;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    return ERROR_SUCCESS;
}

void SetButtonRowText(HWND list, int row, LPCWSTR text) {
    LVITEMW item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = 1;
    item.pszText = (LPWSTR)text;
    SendMessageW(list, LVM_SETITEMTEXTW, (WPARAM)row, (LPARAM)&item);
}

void RefreshButtonRow(HWND list, int row, LPCWSTR keyName) {
    HKEY table, button;
    if (OpenButtonKey(keyName, KEY_READ, &table, &button) != ERROR_SUCCESS)
        return;
    DWORD flags = 0;
    WCHAR text[SHELL_KEY_TEXT_CAPACITY];
    LONG status = ReadShellKeyNumber(button, VALUE_FLAGS, &flags);
    if (status == ERROR_SUCCESS)
        status = DescribeShellKeyAction(button, flags, SHELL_KEY_DISPLAY_FORM, text);
    CloseButtonKey(table, button);
    if (status == ERROR_SUCCESS)
        SetButtonRowText(list, row, text);
}
