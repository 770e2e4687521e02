// The About dialog: the product's name, version and picture, full screen
// until "ok".
#ifndef PLSETTINGS_ABOUTDIALOG_H
#define PLSETTINGS_ABOUTDIALOG_H

#include <windows.h>

struct SettingsProgram;

// Runs the About dialog modally, owned by `owner`.
INT_PTR RunAboutDialog(SettingsProgram &program, HWND owner);

#endif
