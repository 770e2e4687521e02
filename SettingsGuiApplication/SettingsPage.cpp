#include "SettingsPage.h"

#include <commctrl.h>

#include "SettingsProgram.h"
#include "WindowBinding.h"

SettingsPage::SettingsPage(SettingsProgram &program, UINT templateId)
    : hwnd(NULL), program(program), templateId(templateId), whiteBrush(NULL) {
    helpLinks.page = NULL;
}

SettingsPage::~SettingsPage() {
    if (whiteBrush != NULL)
        DeleteObject(whiteBrush);
}

HWND SettingsPage::Create(HWND parent) {
    return CreateDialogParamW(program.instance, MAKEINTRESOURCEW(templateId), parent, PageProc,
                              (LPARAM)this);
}

INT_PTR CALLBACK SettingsPage::PageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    SettingsPage *page = DialogObjectFor(dialog, message, lParam, &SettingsPage::hwnd);
    if (page == NULL)
        return FALSE;
    if (message == WM_INITDIALOG)
        page->helpLinks.page = dialog;
    return page->HandleMessage(message, wParam, lParam);
}

INT_PTR SettingsPage::HandleCommon(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: DestroyWindow(hwnd); return TRUE;
    case WM_SIZE: return TRUE;
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic((HDC)wParam, (HWND)lParam);
    case WM_DESTROY:
        // The brush lives with the page, not with the program.
        if (whiteBrush != NULL)
            DeleteObject(whiteBrush);
        whiteBrush = NULL;
        UnbindWindowObject(hwnd);
        hwnd = NULL;
        return TRUE;
    }
    return FALSE;
}

INT_PTR SettingsPage::OnCtlColorStatic(HDC dc, HWND control) {
    if (whiteBrush == NULL)
        whiteBrush = CreateSolidBrush(PAGE_BACKGROUND_COLOUR);
    SetBkColor(dc, PAGE_BACKGROUND_COLOUR);
    if (IsHelpLink(GetDlgCtrlID(control)))
        SetTextColor(dc, HELP_LINK_COLOUR);
    return (INT_PTR)whiteBrush;
}

void SettingsPage::SizeAboveTabs() {
    RECT client;
    RECT firstTab;
    GetClientRect(program.tabControl, &client);
    if (!SendMessageW(program.tabControl, TCM_GETITEMRECT, 0, (LPARAM)&firstTab))
        firstTab.top = client.bottom;
    MoveWindow(hwnd, client.left, client.top, client.right, firstTab.top, TRUE);
}

void SettingsPage::MakeHelpLink(int controlId) {
    HWND label = Item(controlId);
    if (label != NULL)
        MakeHelpLinkLabel(&helpLinks, label, false);
}
