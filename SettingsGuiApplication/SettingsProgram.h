// The settings program's process object: everything the program keeps for
// its whole life, created first and destroyed last by the entry function and
// reached by every dialog through the window it serves.
#ifndef PLSETTINGS_SETTINGSPROGRAM_H
#define PLSETTINGS_SETTINGSPROGRAM_H

#include <windows.h>

#include <aygshell.h>

#include "CursorSettings.h"
#include "SettingsDialog.h"

struct SettingsProgram {
    HINSTANCE instance;
    CursorSettings settings;
    // The shell's activation record, shared by the main dialog and About.
    SHACTIVATEINFO activation;
    // The screen's resolution in dots per inch; 0 until measured.
    int dpiX;
    int dpiY;
    // The main dialog's tab control, the pages' parent.
    HWND tabControl;
    // The Display page's row last sent as a preview; -1 for none.
    LONG lastPreviewRow;
    SettingsDialog dialog;

    explicit SettingsProgram(HINSTANCE instance);

private:
    // Not copyable: the dialogs hold references to it.
    SettingsProgram(const SettingsProgram &);
    SettingsProgram &operator=(const SettingsProgram &);
};

// Reads the screen's resolution once, for the main dialog and About.
void MeasureScreen(SettingsProgram &program);
// A horizontal length designed for 96 dots per inch, in pixels.
int ScaleX(const SettingsProgram &program, int length);

// Long operations on the user-interface thread show the wait cursor.
void ShowWaitCursor();
void RestoreNormalCursor();

// Loads string `id` of the program's table into a buffer of STRING_CAPACITY
// characters; an empty string when it is missing.
void LoadText(HINSTANCE instance, UINT id, LPWSTR buffer);

// A message box owned by `owner` with string `textId` of the program's table,
// titled with string `titleId`.
int ShowMessage(HINSTANCE instance, HWND owner, UINT textId, UINT titleId, UINT type);

#endif
