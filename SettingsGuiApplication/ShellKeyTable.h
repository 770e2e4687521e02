// The shell's table of hardware-button assignments, as the Buttons page
// reads and writes it: one key per button under SOFTWARE\Microsoft\Shell\Keys,
// with "Name", "Flags" and the command line in the default value.
#ifndef POINTREL_SHELLKEYTABLE_H
#define POINTREL_SHELLKEYTABLE_H

#include <windows.h>

// Names and texts, with their terminator.
#define SHELL_KEY_TEXT_CAPACITY 260
// The show/hide command line: a module path of SHELL_KEY_TEXT_CAPACITY
// characters and the two double quotes.
#define SHOW_HIDE_COMMAND_LINE_CAPACITY 262
// The button keys are "40C" and one digit.
#define SHELL_KEY_NAME_CAPACITY 5

// What the list shows ("calc"), or what the table holds ("\Windows\calc.exe").
enum ShellKeyTextForm { SHELL_KEY_DISPLAY_FORM, SHELL_KEY_STORED_FORM };

struct ShellKeyEntry {
    WCHAR name[SHELL_KEY_TEXT_CAPACITY];
    DWORD flags;
    WCHAR text[SHELL_KEY_TEXT_CAPACITY];
};

extern const WCHAR SHELL_KEYS_KEY[];
extern const WCHAR SHOW_HIDE_SHORTCUT_NAME[];

// Reads a string value into a buffer of SHELL_KEY_TEXT_CAPACITY characters:
// REG_SZ or REG_EXPAND_SZ of whole characters ending in a terminator when
// not empty, else ERROR_INVALID_DATA; a value too long fails the read.
LONG ReadShellKeyString(HKEY key, LPCWSTR name, LPWSTR text);
// Reads a REG_DWORD of four bytes; any other type is ERROR_INVALID_DATA.
LONG ReadShellKeyNumber(HKEY key, LPCWSTR name, DWORD *value);

// 0 and the entry, or an error and an empty entry. An entry without a name
// or a text is ERROR_INVALID_DATA.
LONG ReadShellKeyEntry(LPCWSTR keyName, ShellKeyTextForm form, ShellKeyEntry &entry);
LONG DescribeShellKeyAction(HKEY key, DWORD flags, ShellKeyTextForm form, LPWSTR text);
// Writes "Flags", then the default value, and flushes; stops at the first
// write that fails.
LONG WriteShellKeyEntry(LPCWSTR keyName, DWORD flags, LPCWSTR text);
// Whether the button's default value is `commandLine`, character for
// character; false when it cannot be read.
bool IsShowHideShortcut(LPCWSTR keyName, LPCWSTR commandLine);
// Records in the settings key whether a button runs the show/hide shortcut.
void SetShowHideButtonFlag(DWORD value);
// The show/hide shortcut beside this program, in double quotes, into a
// buffer of SHOW_HIDE_COMMAND_LINE_CAPACITY characters; an error (nothing
// usable in the buffer) when the program's folder is too long for it.
LONG BuildShowHideCommandLine(LPWSTR commandLine);
// Cuts a command line to its file name: what follows the last backslash, up
// to the first full stop.
void ReduceToFileName(LPWSTR text);
// Shows `text` in the "Assignment" column of a list row.
void SetButtonRowText(HWND list, int row, LPCWSTR text);
// Reads the button's action again and shows it in the row; on failure the
// row stays as it is.
void RefreshButtonRow(HWND list, int row, LPCWSTR keyName);

#endif
