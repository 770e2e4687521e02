// The main dialog "Cursor Settings": a full-screen tab control with the four
// pages, the menu bar, and the commands that save, cancel and restore.
#ifndef PLSETTINGS_SETTINGSDIALOG_H
#define PLSETTINGS_SETTINGSDIALOG_H

#include <windows.h>

#include "ButtonsPage.h"
#include "DisplayPage.h"
#include "GeneralPage.h"
#include "MovementPage.h"

#define SETTINGS_PAGE_COUNT 4

class SettingsDialog {
public:
    explicit SettingsDialog(SettingsProgram &program);

    // Runs the dialog modally, owned by `owner`; returns when it ends.
    INT_PTR Run(HWND owner);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void InsertTabs();
    void CreateMenuBar();
    void OnCommand(WORD id);
    void OnNotify(const NMHDR *header);
    void OnSize();
    void OnSettingChange(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    // The page of tab `index`, or NULL outside 0..3.
    SettingsPage *Page(int index);
    void ShowPage(int index);
    // Copies the pages' controls into the record before a save.
    void CollectPages();
    void Save(bool close);
    void Cancel();
    void RestoreDefaults();
    void ShowHideCursor();
    // Fills the client area with the tab control.
    void FitTabControl();
    // The top edge of the first tab: where the pages end.
    LONG TabsTop();

    // Not copyable: it owns windows.
    SettingsDialog(const SettingsDialog &);
    SettingsDialog &operator=(const SettingsDialog &);

    HWND hwnd;
    GeneralPage general;
    MovementPage movement;
    ButtonsPage buttons;
    DisplayPage display;
    HWND menuBar;
    SettingsProgram &program;
};

#endif
