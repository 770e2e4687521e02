// Fuzzes the hardware-button table and its backup as the Buttons page reads
// them: each input is a list of values (which key, which name, which type,
// how many bytes, the bytes) stored in a button's entry, in its backup or in
// keys below the backup, before the entry is read, backed up, restored from
// the backup as Restore does it, and the backup removed. Whatever the table
// held, every read either fails with an empty entry or yields terminated,
// non-empty texts; a restore writes back exactly what was backed up; and the
// removal leaves no backup behind.
#include "ButtonBackup.h"
#include "FuzzDevice.h"
#include "ShellKeyTable.h"
#include "kernel/Registry.h"

#include <cstdint>
#include <string>

namespace {

const char16_t kButton[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shell\\Keys\\40C1";
const char16_t kBackup[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Pointrel\\HwKeyDataBackup";
const char16_t kBackupEntry[] =
    u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Pointrel\\HwKeyDataBackup\\40C1";
const char16_t kBackupChild[] =
    u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Pointrel\\HwKeyDataBackup\\40C1\\a\\b";
const char16_t *const kKeys[] = {kButton, kBackupEntry, kBackupChild};
// "" is the default value, where the command line lives.
const char16_t *const kNames[] = {u"", u"Name", u"Flags", u"Other"};

bool Terminated(const WCHAR *text) {
    for (DWORD i = 0; i < SHELL_KEY_TEXT_CAPACITY; ++i)
        if (text[i] == 0)
            return true;
    return false;
}

bool Empty(const ShellKeyEntry &e) {
    return e.name[0] == 0 && e.flags == 0 && e.text[0] == 0;
}

bool Sound(const ShellKeyEntry &e) {
    return Terminated(e.name) && Terminated(e.text) && e.name[0] != 0 && e.text[0] != 0;
}

bool Same(const ShellKeyEntry &a, const ShellKeyEntry &b) {
    return a.flags == b.flags &&
           std::u16string(reinterpret_cast<const char16_t *>(a.name)) ==
               std::u16string(reinterpret_cast<const char16_t *>(b.name)) &&
           std::u16string(reinterpret_cast<const char16_t *>(a.text)) ==
               std::u16string(reinterpret_cast<const char16_t *>(b.text));
}

// Reads an entry and checks what any read must give.
LONG Read(ShellKeyTextForm form, ShellKeyEntry &entry) {
    LONG status = ReadShellKeyEntry(TEXT("40C1"), form, entry);
    if (status == ERROR_SUCCESS ? !Sound(entry) : !Empty(entry))
        __builtin_trap();
    return status;
}

// What Restore does with a backup: its "Flags" and its default value, written
// back to the button.
LONG RestoreFromBackup() {
    HKEY backup = NULL;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                                TEXT("SOFTWARE\\Quorvane\\Pointrel\\HwKeyDataBackup\\40C1"), 0,
                                KEY_READ, &backup);
    if (status != ERROR_SUCCESS)
        return status;
    DWORD flags = 0;
    WCHAR text[SHELL_KEY_TEXT_CAPACITY];
    LONG flagsRead = ReadShellKeyNumber(backup, TEXT("Flags"), &flags);
    LONG textRead = ReadShellKeyString(backup, NULL, text);
    RegCloseKey(backup);
    if (textRead == ERROR_SUCCESS && !Terminated(text))
        __builtin_trap();
    if (flagsRead != ERROR_SUCCESS || textRead != ERROR_SUCCESS)
        return ERROR_INVALID_DATA;
    return WriteShellKeyEntry(TEXT("40C1"), flags, text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    sim::Device &d = fuzz::SharedDevice();
    sim::Registry &registry = d.registry();
    registry.DeleteKeyPath(kButton);
    registry.DeleteKeyPath(kBackup);
    size_t at = 0;
    while (at + 4 <= size) {
        sim::RegKeyRef key;
        if (registry.CreateKeyPath(kKeys[data[at] % 3], &key) != sim::RegStatus::Ok)
            __builtin_trap();
        const char16_t *name = kNames[data[at + 1] % 4];
        uint32_t type = data[at + 2] % 12; // REG_NONE to REG_QWORD
        // Lengths up to 1023 bytes reach past the page's 260-character texts;
        // the name byte's upper bits give the odd ones.
        size_t wanted = size_t(data[at + 3]) * 4 + (data[at + 1] >> 4) % 4;
        size_t length = std::min<size_t>(wanted, size - at - 4);
        registry.SetValue(key, name, type, {data + at + 4, length});
        at += 4 + length;
    }

    fuzz::RunOnDevice([] {
        ShellKeyEntry shown, stored, after;
        Read(SHELL_KEY_DISPLAY_FORM, shown);
        LONG read = Read(SHELL_KEY_STORED_FORM, stored);
        // The list shows a file name: no folders, no extension.
        for (const WCHAR *p = shown.text; *p != 0; ++p)
            if (*p == TEXT('\\') || *p == TEXT('.'))
                __builtin_trap();
        IsShowHideShortcut(TEXT("40C1"), TEXT("\"\\Program Files\\Pointrel\\Shortcuts\\x.lnk\""));

        LONG backedUp = BackupShellKeyEntry(TEXT("40C1"));
        if (read == ERROR_SUCCESS && backedUp != ERROR_SUCCESS)
            __builtin_trap(); // a readable entry must be kept
        if (!HasShellKeyBackup(TEXT("40C1")))
            __builtin_trap();
        LONG restored = RestoreFromBackup();
        if (read == ERROR_SUCCESS) {
            // A backup of a sound entry restores to the same entry.
            if (restored != ERROR_SUCCESS || Read(SHELL_KEY_STORED_FORM, after) != ERROR_SUCCESS ||
                !Same(stored, after))
                __builtin_trap();
        }
        DeleteShellKeyBackup(TEXT("40C1"));
        if (HasShellKeyBackup(TEXT("40C1")))
            __builtin_trap();
    });
    return 0;
}
