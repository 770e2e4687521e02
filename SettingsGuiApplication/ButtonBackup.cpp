// Backups of hardware-button entries: written before the Buttons page
// overwrites an entry, read back by Restore, deleted once restored.
#include "ButtonBackup.h"

#include "ShellKeyTable.h"

const WCHAR BUTTON_BACKUP_KEY[] = TEXT("SOFTWARE\\Quorvane\\Pointrel\\HwKeyDataBackup");

namespace {

// Key names are at most 255 characters.
const DWORD KEY_NAME_CAPACITY = 256;

LONG WriteString(HKEY key, LPCWSTR name, LPCWSTR text) {
    DWORD length = 0;
    while (text[length] != 0)
        ++length;
    return RegSetValueExW(key, name, 0, REG_SZ, (const BYTE *)text, (length + 1) * sizeof(WCHAR));
}

// Deletes `name` below `parent` after everything below it, deepest first.
void DeleteKeyTree(HKEY parent, LPCWSTR name) {
    HKEY key = NULL;
    if (RegOpenKeyExW(parent, name, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    WCHAR child[KEY_NAME_CAPACITY];
    for (;;) {
        DWORD length = KEY_NAME_CAPACITY;
        if (RegEnumKeyExW(key, 0, child, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        HKEY probe = NULL;
        // A subkey that cannot be removed would be enumerated for ever.
        DeleteKeyTree(key, child);
        if (RegOpenKeyExW(key, child, 0, KEY_READ, &probe) == ERROR_SUCCESS) {
            RegCloseKey(probe);
            break;
        }
    }
    RegCloseKey(key);
    RegDeleteKeyW(parent, name);
}

} // namespace

LONG BackupShellKeyEntry(LPCWSTR keyName) {
    HKEY root = NULL, backup = NULL;
    DWORD disposition = 0;
    // Without a backup the old action could never come back: no backup key,
    // no Assign.
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, BUTTON_BACKUP_KEY, 0, NULL, 0, KEY_WRITE,
                                  NULL, &root, &disposition);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegCreateKeyExW(root, keyName, 0, NULL, 0, KEY_WRITE, NULL, &backup, &disposition);
    if (status != ERROR_SUCCESS) {
        RegCloseKey(root);
        return status;
    }
    ShellKeyEntry entry;
    LONG result = ERROR_SUCCESS;
    if (ReadShellKeyEntry(keyName, SHELL_KEY_STORED_FORM, entry) == ERROR_SUCCESS) {
        LONG step = WriteString(backup, TEXT("Name"), entry.name);
        if (step != ERROR_SUCCESS)
            result = step;
        step = RegSetValueExW(backup, TEXT("Flags"), 0, REG_DWORD, (const BYTE *)&entry.flags,
                              sizeof entry.flags);
        if (step != ERROR_SUCCESS)
            result = step;
        step = WriteString(backup, NULL, entry.text);
        if (step != ERROR_SUCCESS)
            result = step;
        if (result == ERROR_SUCCESS)
            result = RegFlushKey(backup);
    }
    RegCloseKey(backup);
    RegCloseKey(root);
    return result;
}

bool HasShellKeyBackup(LPCWSTR keyName) {
    HKEY root = NULL, backup = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, BUTTON_BACKUP_KEY, 0, KEY_READ, &root) != ERROR_SUCCESS)
        return false;
    bool found = RegOpenKeyExW(root, keyName, 0, KEY_READ, &backup) == ERROR_SUCCESS;
    if (found)
        RegCloseKey(backup);
    RegCloseKey(root);
    return found;
}

void DeleteShellKeyBackup(LPCWSTR keyName) {
    HKEY root = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, BUTTON_BACKUP_KEY, 0, KEY_WRITE, &root) != ERROR_SUCCESS)
        return;
    DeleteKeyTree(root, keyName);
    RegFlushKey(root);
    RegCloseKey(root);
}
