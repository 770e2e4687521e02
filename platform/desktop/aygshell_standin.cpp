// Desktop stand-ins for the Windows Mobile shell library calls: desktop
// Windows has no soft keys, task-bar "ok" or notification bubbles, so each
// does the nearest plain Win32 thing.
#include <aygshell.h>

HBITMAP SHLoadDIBitmap(LPCWSTR fileName) {
    return (HBITMAP)LoadImageW(NULL, fileName, IMAGE_BITMAP, 0, 0,
                               LR_LOADFROMFILE | LR_CREATEDIBSECTION);
}

BOOL WINAPI SHInitDialog(PSHINITDLGINFO info) {
    if (!info || !IsWindow(info->hDlg))
        return FALSE;
    if (info->dwFlags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) {
        RECT area;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        SetWindowPos(info->hDlg, NULL, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return TRUE;
}

// The menu becomes the window's ordinary menu bar.
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

// Differs from the platform: no bubble is shown on the desktop.
LRESULT WINAPI SHNotificationAdd(SHNOTIFICATIONDATA *data) {
    if (!data)
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

LRESULT WINAPI SHNotificationRemove(const CLSID *clsid, DWORD id) {
    if (!clsid || id == 0)
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}
