// Desktop stand-ins for the Windows Mobile shell library calls: desktop
// Windows has no soft keys, task-bar "ok" or notification bubbles, so each
// does the nearest plain Win32 thing.
#include <aygshell.h>

HBITMAP SHLoadDIBitmap(LPCWSTR fileName) {
    return (HBITMAP)LoadImageW(NULL, fileName, IMAGE_BITMAP, 0, 0,
                               LR_LOADFROMFILE | LR_CREATEDIBSECTION);
}

namespace {

const WCHAR DONE_BUTTON_PROC[] = L"PointrelDoneButtonProc";

// The dialog's own procedure with the close box turned into the "ok"
// button: SC_CLOSE gives WM_COMMAND IDOK, as the title bar's ok does on the
// device, where a dialog has no close box.
LRESULT CALLBACK DoneButtonProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC original = (WNDPROC)GetPropW(dialog, DONE_BUTTON_PROC);
    if (original == NULL)
        return DefWindowProcW(dialog, message, wParam, lParam);
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, (LONG_PTR)original);
        RemovePropW(dialog, DONE_BUTTON_PROC);
    }
    return CallWindowProcW(original, dialog, message, wParam, lParam);
}

} // namespace

// Desktop Windows differs from Windows CE: there is no "ok" button in the
// title bar and no task bar that full-screen dialogs cover. A full-screen
// dialog fills the work area, and its caption's close box is its "ok"
// button; the dialog gets a caption and a close box if it has none.
BOOL WINAPI SHInitDialog(PSHINITDLGINFO info) {
    if (!info || !IsWindow(info->hDlg))
        return FALSE;
    HWND dialog = info->hDlg;
    if (info->dwFlags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) {
        RECT area;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        SetWindowPos(dialog, NULL, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if ((info->dwFlags & SHIDIF_DONEBUTTON) && GetPropW(dialog, DONE_BUTTON_PROC) == NULL) {
        LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
        if ((style & (WS_CAPTION | WS_SYSMENU)) != (WS_CAPTION | WS_SYSMENU)) {
            SetWindowLongPtrW(dialog, GWL_STYLE, style | WS_CAPTION | WS_SYSMENU);
            SetWindowPos(dialog, NULL, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                             SWP_FRAMECHANGED);
        }
        LONG_PTR original = GetWindowLongPtrW(dialog, GWLP_WNDPROC);
        if (SetPropW(dialog, DONE_BUTTON_PROC, (HANDLE)original))
            SetWindowLongPtrW(dialog, GWLP_WNDPROC, (LONG_PTR)DoneButtonProc);
    }
    return TRUE;
}

// Desktop Windows differs from Windows CE: there are no soft keys. The menu
// becomes the window's ordinary menu bar, whose top-level items are the soft
// keys, and the window itself stands for the bar.
BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO *info) {
    if (!info || !IsWindow(info->hwndParent))
        return FALSE;
    info->hwndMB = NULL;
    if (info->dwFlags & SHCMBF_EMPTYBAR)
        return TRUE;
    HMENU menu = LoadMenuW(info->hInstRes, MAKEINTRESOURCEW(info->nToolBarId));
    if (!menu || !SetMenu(info->hwndParent, menu))
        return FALSE;
    info->hwndMB = info->hwndParent;
    return TRUE;
}

BOOL WINAPI SHHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO *info, DWORD) {
    return info != NULL;
}

BOOL WINAPI SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO *info) {
    return info != NULL;
}
