// Window-manager calls whose Windows CE behaviour desktop Windows lacks.
#include <windows.h>

// Desktop Windows differs from Windows CE: SW_SHOW activates the window even
// when it is WS_EX_NOACTIVATE and takes the focus from the foreground
// program; on Windows CE such a window cannot be activated at all. It is
// shown without activation instead.
BOOL CeShowWindow(HWND window, int command) {
    if ((command == SW_SHOW || command == SW_SHOWNORMAL) &&
        (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_NOACTIVATE) != 0)
        command = command == SW_SHOW ? SW_SHOWNA : SW_SHOWNOACTIVATE;
    return ShowWindow(window, command);
}

// Desktop Windows differs from Windows CE: GetWindow(NULL, GW_CHILD) fails
// with ERROR_INVALID_WINDOW_HANDLE instead of giving the topmost top-level
// window, so a walk of the top-level windows starts from the desktop window.
HWND CeGetWindow(HWND window, UINT command) {
    if (window == NULL && command == GW_CHILD)
        window = GetDesktopWindow();
    return GetWindow(window, command);
}

// Desktop Windows differs from Windows CE: the dialog class (message boxes
// included) is "#32770", not "Dialog".
HWND CeFindWindowW(LPCWSTR className, LPCWSTR title) {
    static const WCHAR CE_DIALOG_CLASS[] = L"Dialog";
    if (className != NULL && !IS_INTRESOURCE(className) &&
        lstrcmpW(className, CE_DIALOG_CLASS) == 0)
        className = L"#32770";
    return FindWindowW(className, title);
}
