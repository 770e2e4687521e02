// Backups of hardware-button entries under the settings key, so that the
// Buttons page can give a button its old action back.
#ifndef POINTREL_BUTTONBACKUP_H
#define POINTREL_BUTTONBACKUP_H

#include <windows.h>

extern const WCHAR BUTTON_BACKUP_KEY[];

// Codes of RestoreShellKeyEntry.
#define BACKUP_NOT_OPENED 103
#define BACKUP_KEY_NOT_OPENED 104
#define BACKUP_NOT_READ 105
#define RESTORE_NOT_WRITTEN 106

// Copies the button's "Name", "Flags" and stored-form text to its backup.
// 0 when written, or when the entry cannot be read (there is nothing to keep);
// otherwise the error of the backup key that could not be made or of the
// last value that could not be written.
LONG BackupShellKeyEntry(LPCWSTR keyName);
bool HasShellKeyBackup(LPCWSTR keyName);
// Removes the button's backup with everything below it.
void DeleteShellKeyBackup(LPCWSTR keyName);

#endif
