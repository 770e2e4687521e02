// Desktop stand-ins for the Windows Mobile shell library calls: the least
// that lets the programs run on desktop Windows.
#include <aygshell.h>

HBITMAP SHLoadDIBitmap(LPCWSTR fileName) {
    return (HBITMAP)LoadImageW(NULL, fileName, IMAGE_BITMAP, 0, 0,
                               LR_LOADFROMFILE | LR_CREATEDIBSECTION);
}

// Differs from the platform: no "ok" button or input panel; a full-screen
// dialog fills the work area.
BOOL SHInitDialog(PSHINITDLGINFO pshidi) {
    if (pshidi == NULL || !(pshidi->dwMask & SHIDIM_FLAGS))
        return FALSE;
    if (pshidi->dwFlags & SHIDIF_SIZEDLGFULLSCREEN) {
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        MoveWindow(pshidi->hDlg, work.left, work.top, work.right - work.left,
                   work.bottom - work.top, TRUE);
    }
    return TRUE;
}

// Differs from the platform: the menu becomes the window's own menu, and
// there is no menu bar window.
BOOL SHCreateMenuBar(SHMENUBARINFO *pmbi) {
    if (pmbi == NULL || !(pmbi->dwFlags & SHCMBF_HMENU))
        return FALSE;
    HMENU menu = LoadMenuW(pmbi->hInstRes, MAKEINTRESOURCEW(pmbi->nToolBarId));
    if (menu == NULL || !SetMenu(pmbi->hwndParent, menu))
        return FALSE;
    pmbi->hwndMB = NULL;
    return TRUE;
}

BOOL SHHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO *, DWORD) {
    return TRUE;
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO *) {
    return TRUE;
}

// Differs from the platform: the bubble is a message box with the HTML as
// its text.
LRESULT SHNotificationAdd(SHNOTIFICATIONDATA *pndAdd) {
    if (pndAdd == NULL)
        return ERROR_INVALID_PARAMETER;
    MessageBoxW(NULL, pndAdd->pszHTML != NULL ? pndAdd->pszHTML : L"", pndAdd->pszTitle,
                MB_OK | MB_ICONINFORMATION);
    return ERROR_SUCCESS;
}
