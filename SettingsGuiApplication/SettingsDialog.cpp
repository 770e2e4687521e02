#include "SettingsDialog.h"

#include <aygshell.h>
#include <commctrl.h>

#include "AboutDialog.h"
#include "CursorImageCatalogue.h"
#include "CursorProgram.h"
#include "SettingsProgram.h"
#include "WindowBinding.h"
#include "resource.h"

namespace {

// Full screen, the input panel down, "ok" in the title bar and an empty
// menu bar until the program's own is made.
const DWORD FULL_SCREEN_DIALOG = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN |
                                 SHIDIF_SIPDOWN | SHIDIF_EMPTYMENU | SHIDIF_WANTSCROLLBAR;

struct TabEntry {
    UINT text;
    UINT error;
};

// Tabs from the left; the index selects the page.
const TabEntry TABS[SETTINGS_PAGE_COUNT] = {
    {IDS_TAB_GENERAL, IDS_TAB_GENERAL_ERROR},
    {IDS_TAB_MOVEMENT, IDS_TAB_MOVEMENT_ERROR},
    {IDS_TAB_BUTTONS, IDS_TAB_BUTTONS_ERROR},
    {IDS_TAB_DISPLAY, IDS_TAB_DISPLAY_ERROR},
};

const WPARAM TAB_CONTROL_VERSION = 0x020C;

} // namespace

SettingsDialog::SettingsDialog(SettingsProgram &program)
    : hwnd(NULL), general(program), movement(program), buttons(program), display(program),
      menuBar(NULL), program(program) {}

INT_PTR SettingsDialog::Run(HWND owner) {
    return DialogBoxParamW(program.instance, MAKEINTRESOURCEW(IDD_SETTINGS), owner, DialogProc,
                           (LPARAM)this);
}

INT_PTR CALLBACK SettingsDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    SettingsDialog *self = DialogObjectFor(dialog, message, lParam, &SettingsDialog::hwnd);
    if (self == NULL)
        return FALSE;
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR SettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(); return TRUE;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return TRUE;
    case WM_NOTIFY: OnNotify((const NMHDR *)lParam); return FALSE;
    case WM_SIZE: OnSize(); return TRUE;
    case WM_SETTINGCHANGE: OnSettingChange(wParam, lParam); return TRUE;
    case WM_ACTIVATE:
        SHHandleWMActivate(hwnd, wParam, lParam, &program.activation, FALSE);
        return TRUE;
    case WM_CLOSE:
        // Closed from outside: nothing is saved and the cursor program is
        // left as it runs.
        EndDialog(hwnd, 0);
        return TRUE;
    case WM_DESTROY: OnDestroy(); return TRUE;
    }
    return FALSE;
}

void SettingsDialog::OnInitDialog() {
    // Known first: sizing the dialog full screen fits the tab control to it.
    program.tabControl = GetDlgItem(hwnd, IDC_TABS);
    ShowWaitCursor();
    ZeroMemory(&program.activation, sizeof(program.activation));
    program.activation.cbSize = sizeof(program.activation);
    MeasureScreen(program);

    SHINITDLGINFO init;
    init.dwMask = SHIDIM_FLAGS;
    init.hDlg = hwnd;
    init.dwFlags = FULL_SCREEN_DIALOG;
    SHInitDialog(&init);

    // A missing key or value is stored with its default at once; any other
    // failure waits for the user's save.
    if (LoadSettings(program.settings) == ERROR_FILE_NOT_FOUND)
        SaveSettings(program.settings);

    InsertTabs();
    CreateMenuBar();

    general.Create(program.tabControl);
    movement.Create(program.tabControl);
    buttons.Create(program.tabControl);
    display.Create(program.tabControl);
    ShowWindow(general.Window(), SW_SHOW);
    RestoreNormalCursor();
}

void SettingsDialog::InsertTabs() {
    WCHAR text[STRING_CAPACITY];
    TCITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.iImage = -1;
    item.pszText = text;
    for (int i = 0; i < SETTINGS_PAGE_COUNT; ++i) {
        LoadText(program.instance, TABS[i].text, text);
        if (SendMessageW(program.tabControl, TCM_INSERTITEMW, i, (LPARAM)&item) == -1) {
            WCHAR error[STRING_CAPACITY];
            LoadText(program.instance, TABS[i].error, error);
            MessageBoxW(hwnd, error, NULL, MB_OK);
        }
    }
    SendMessageW(program.tabControl, CCM_SETVERSION, TAB_CONTROL_VERSION, 0);
}

void SettingsDialog::CreateMenuBar() {
    SHMENUBARINFO bar;
    ZeroMemory(&bar, sizeof(bar));
    bar.cbSize = sizeof(bar);
    bar.hwndParent = hwnd;
    bar.dwFlags = SHCMBF_HMENU | SHCMBF_HIDESIPBUTTON;
    bar.nToolBarId = IDR_MENUBAR;
    bar.hInstRes = program.instance;
    // Without a menu bar the dialog still works through its "ok" button.
    menuBar = SHCreateMenuBar(&bar) ? bar.hwndMB : NULL;
}

void SettingsDialog::OnCommand(WORD id) {
    switch (id) {
    case IDOK: Save(true); break;
    case IDM_SAVE: Save(false); break;
    case IDM_CANCEL:
    case IDM_MENU_CANCEL: Cancel(); break;
    case IDM_RESTORE_DEFAULTS: RestoreDefaults(); break;
    case IDM_SHOW_HIDE_CURSOR: ShowHideCursor(); break;
    case IDM_ABOUT: RunAboutDialog(program, GetActiveWindow()); break;
    }
}

void SettingsDialog::OnNotify(const NMHDR *header) {
    if (header->hwndFrom != program.tabControl || header->code != (UINT)TCN_SELCHANGE)
        return;
    ShowPage((int)SendMessageW(program.tabControl, TCM_GETCURSEL, 0, 0));
}

SettingsPage *SettingsDialog::Page(int index) {
    switch (index) {
    case 0: return &general;
    case 1: return &movement;
    case 2: return &buttons;
    case 3: return &display;
    }
    return NULL;
}

void SettingsDialog::ShowPage(int index) {
    if (Page(index) == NULL)
        return;
    for (int i = 0; i < SETTINGS_PAGE_COUNT; ++i)
        ShowWindow(Page(i)->Window(), i == index ? SW_SHOW : SW_HIDE);
}

void SettingsDialog::FitTabControl() {
    RECT client;
    GetClientRect(hwnd, &client);
    MoveWindow(program.tabControl, client.left, client.top, client.right - client.left,
               client.bottom - client.top, TRUE);
}

LONG SettingsDialog::TabsTop() {
    RECT firstTab;
    if (!SendMessageW(program.tabControl, TCM_GETITEMRECT, 0, (LPARAM)&firstTab)) {
        GetClientRect(program.tabControl, &firstTab);
        return firstTab.bottom;
    }
    return firstTab.top;
}

void SettingsDialog::OnSize() {
    FitTabControl();
}

void SettingsDialog::OnSettingChange(WPARAM wParam, LPARAM lParam) {
    SHHandleWMSettingChange(hwnd, wParam, lParam, &program.activation);
    FitTabControl();
    RECT client;
    GetClientRect(hwnd, &client);
    LONG height = TabsTop() - (2 * program.dpiX + 48) / 96;
    for (int i = 0; i < SETTINGS_PAGE_COUNT; ++i)
        MoveWindow(Page(i)->Window(), client.left, client.top, client.right - client.left, height,
                   TRUE);
}

void SettingsDialog::OnDestroy() {
    // The shell's menu bar goes with the dialog it belongs to.
    menuBar = NULL;
    program.tabControl = NULL;
    UnbindWindowObject(hwnd);
}

void SettingsDialog::CollectPages() {
    CursorSettings &settings = program.settings;
    settings.menuNavigationMethod = general.MenuNavigationMethod();
    movement.Collect(settings);
    size_t length = 0;
    int row = display.SelectedRow();
    // No selected row keeps the image name that was loaded.
    if (row >= 0)
        CursorImageName(row, settings.cursorImage, CURSOR_IMAGE_CAPACITY, &length);
}

void SettingsDialog::Save(bool close) {
    ShowWaitCursor();
    CollectPages();
    if (SaveSettings(program.settings) != ERROR_SUCCESS)
        ShowMessage(program.instance, hwnd, IDS_SAVE_ERROR, IDS_ERROR_TITLE, MB_OK);
    RestoreNormalCursor();
    if (!close)
        return;
    EndDialog(hwnd, IDOK);
    PostQuitMessage(0);
}

void SettingsDialog::Cancel() {
    ShowWaitCursor();
    if (CursorProgramRunning())
        RestartCursorProgram();
    RestoreNormalCursor();
    EndDialog(hwnd, 0);
    PostQuitMessage(0);
}

void SettingsDialog::RestoreDefaults() {
    SetDefaultSettings(program.settings);
    SaveSettings(program.settings);
    general.SetFromRecord();
    movement.SetFromRecord();
    ShowWaitCursor();
    if (CursorProgramRunning())
        RestartCursorProgram();
    RestoreNormalCursor();
}

void SettingsDialog::ShowHideCursor() {
    ShowWaitCursor();
    StartCursorProgram();
    RestoreNormalCursor();
}
