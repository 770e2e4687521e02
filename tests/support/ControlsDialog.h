// Test helper: a dialog titled "Controls" holding one of every control the
// device offers, laid out like a settings page, run as a program inside a
// device.
#pragma once

#include "device/Device.h"
#include "support/DialogTemplateBytes.h"

#include <commctrl.h>
#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace test {

// Ids of the controls of the "Controls" dialog.
enum ControlsDialogId : WORD {
    kTabsId = 1001,
    kCheckId = 1003,
    kSpeedId = 1004,
    kPushId = 1012,
    kRadioOnId = 1013,
    kRadioOffId = 1014,
    kListId = 1018,
    kLabelId = 1019,
    kLinkId = 1047,
    kRedId = 1050,
};

// The "Controls" dialog's template: the system font at 8 points, every item
// a visible child.
class DialogBytes {
public:
    DialogBytes(DWORD style, short cx, short cy, std::u16string_view title)
        : bytes_(style, cx, cy, title, 8) {}
    DialogBytes &Add(std::u16string_view cls, std::u16string_view text, WORD id, DWORD style,
                     short x, short y, short cx, short cy) {
        bytes_.Add(cls, id, style | WS_CHILD | WS_VISIBLE, x, y, cx, cy, text);
        return *this;
    }
    LPCDLGTEMPLATEW Get() { return bytes_.Get(); }

private:
    DialogTemplateBytes bytes_;
};

inline INT_PTR CALLBACK ControlsDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: {
        HWND tabs = GetDlgItem(dlg, kTabsId);
        const char16_t *names[] = {u"General", u"Movement", u"Buttons", u"Display"};
        for (int i = 0; i < 4; ++i) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<LPWSTR>(names[i]);
            SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
        SendDlgItemMessageW(dlg, kSpeedId, TBM_SETRANGE, FALSE, MAKELONG(7, 70));
        SendDlgItemMessageW(dlg, kSpeedId, TBM_SETPOS, TRUE, 19);
        CheckRadioButton(dlg, kRadioOnId, kRadioOffId, kRadioOnId);
        HWND list = GetDlgItem(dlg, kListId);
        LVCOLUMNW col{};
        col.mask = LVCF_WIDTH | LVCF_TEXT;
        col.cx = 120;
        col.pszText = const_cast<LPWSTR>(u"Image");
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
        col.cx = 75;
        col.pszText = const_cast<LPWSTR>(u"Size");
        SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&col));
        const char16_t *rows[][2] = {{u"Black Cursor", u"Large"},
                                     {u"Black Cursor", u"Small"},
                                     {u"White Cursor", u"Large"},
                                     {u"White Cursor", u"Small"},
                                     {u"Windows-Style Cursor", u"Small"}};
        for (auto &row : rows) {
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.pszText = const_cast<LPWSTR>(row[0]);
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            item.iSubItem = 1;
            item.pszText = const_cast<LPWSTR>(row[1]);
            SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
        // The help link: an underlined copy of the dialog's font.
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        lf.lfUnderline = TRUE;
        SendDlgItemMessageW(dlg, kLinkId, WM_SETFONT,
                            reinterpret_cast<WPARAM>(CreateFontIndirectW(&lf)), FALSE);
        SetPropW(dlg, u"Red", CreateSolidBrush(RGB(255, 0, 0)));
        return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
        // White behind every text, grey text for the link, red behind one.
        HDC dc = reinterpret_cast<HDC>(wParam);
        int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        SetBkColor(dc, id == kRedId ? RGB(255, 0, 0) : RGB(255, 255, 255));
        if (id == kLinkId)
            SetTextColor(dc, RGB(140, 130, 130));
        return reinterpret_cast<INT_PTR>(id == kRedId ? GetPropW(dlg, u"Red")
                                                      : GetStockObject(WHITE_BRUSH));
    }
    case WM_COMMAND:
        // The push button turns the check box over, so that its clicks show.
        if (LOWORD(wParam) == kPushId && HIWORD(wParam) == BN_CLICKED)
            CheckDlgButton(dlg, kCheckId, IsDlgButtonChecked(dlg, kCheckId) ? 0 : BST_CHECKED);
        return TRUE;
    case WM_CLOSE: DestroyWindow(dlg); return TRUE;
    case WM_DESTROY:
        DeleteObject(RemovePropW(dlg, u"Red"));
        DeleteObject(reinterpret_cast<HFONT>(SendDlgItemMessageW(dlg, kLinkId, WM_GETFONT, 0, 0)));
        PostQuitMessage(0);
        return TRUE;
    default: return FALSE;
    }
}

// The program: the dialog, full screen below the task bar, until closed.
inline uint32_t ControlsDialogMain() {
    DialogBytes t(WS_POPUP | WS_VISIBLE | WS_CAPTION, 160, 170, u"Controls");
    // The tab control comes last, so that it lies below the others: the
    // first control made is the top of the z-order and would take the taps.
    t.Add(u"STATIC", u"Choose how the cursor behaves.", kLabelId, SS_LEFT, 7, 14, 130, 8)
        .Add(u"STATIC", u"[?]", kLinkId, SS_NOTIFY, 140, 14, 12, 8)
        .Add(u"BUTTON", u"Show/Hide Cursor", kPushId, BS_PUSHBUTTON | WS_TABSTOP, 48, 26, 66, 14)
        .Add(u"BUTTON", u"Use Up and Down keys", kRadioOnId,
             BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 11, 44, 139, 10)
        .Add(u"BUTTON", u"Continue to use the mouse", kRadioOffId, BS_AUTORADIOBUTTON, 11, 55, 139,
             10)
        .Add(u"BUTTON", u"Enable cursor acceleration", kCheckId,
             BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 7, 67, 120, 10)
        .Add(u"STATIC", u"Slow", kRedId, SS_CENTER, 7, 81, 20, 8)
        .Add(TRACKBAR_CLASSW, u"", kSpeedId, TBS_AUTOTICKS | WS_TABSTOP, 28, 78, 99, 21)
        .Add(WC_LISTVIEWW, u"", kListId,
             LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 7, 101, 143,
             44)
        .Add(WC_TABCONTROLW, u"", kTabsId, TCS_BOTTOM, 0, 0, 160, 162);
    HWND dlg = CreateDialogIndirectParamW(nullptr, t.Get(), nullptr, ControlsDialogProc, 0);
    if (!dlg)
        return 1;
    SetWindowPos(dlg, nullptr, 0, 26, 240, 268, SWP_NOZORDER);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0))
        if (!IsDialogMessageW(dlg, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    return 0;
}

inline uint32_t StartControlsDialog(sim::Device &d) {
    uint32_t pid = d.StartFunction(u"\\Windows\\controls.exe", ControlsDialogMain);
    d.Wait(50);
    return pid;
}

} // namespace test
