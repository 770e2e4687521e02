// The cursor program among the shell's windows: measuring the shell's bars,
// the platform version, the upkeep of the window order, and hiding over
// add-on home screens.
#include "CursorDisplayWindow.h"

#include "ShellWindows.h"

namespace {

const LONG CLIP_CHECK_PERIOD = 70;
const int SHELL_VERSION_CAPACITY = 64;
// The screen point at which the home-screen check and the task-bar upkeep
// see which program is up.
const int HOME_SCREEN_PROBE_X = 100;
const int HOME_SCREEN_PROBE_Y = 200;

// The leading decimal number of a version text, one leading '.' skipped;
// a long run of digits saturates instead of overflowing.
LONG LeadingVersionNumber(LPCWSTR text) {
    if (*text == TEXT('.'))
        ++text;
    LONG number = 0;
    for (; *text >= TEXT('0') && *text <= TEXT('9'); ++text) {
        if (number > 100000)
            return number;
        number = number * 10 + (*text - TEXT('0'));
    }
    return number;
}

} // namespace

void CursorDisplayWindow::MeasureShellBars() {
    HWND bar = FindWindowW(TEXT("MS_SOFTKEY_CE_1.0"), NULL);
    if (bar == NULL)
        bar = FindWindowW(TEXT("ToolbarWindow32"), NULL);
    if (bar == NULL)
        bar = WindowAtPoint(20, screenHeight - 10, window, NULL);
    if (shell.taskBar == NULL || !GetWindowRect(shell.taskBar, &taskbarRect))
        SetRectEmpty(&taskbarRect);
    if (bar == NULL || !GetWindowRect(bar, &softKeyBarRect))
        SetRect(&softKeyBarRect, 0, screenHeight - 24, screenWidth, screenHeight);
}

bool CursorDisplayWindow::ReadShellVersion() {
    if (shellVersionKnown == 1)
        return newerShell;
    shellVersionKnown = 1;
    newerShell = false;
    HKEY key = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEXT("System\\Versions"), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return newerShell;
    WCHAR text[SHELL_VERSION_CAPACITY];
    DWORD type = REG_NONE;
    DWORD size = sizeof(text);
    LONG read = RegQueryValueExW(key, TEXT("AKU"), NULL, &type, (LPBYTE)text, &size);
    RegCloseKey(key);
    // Only a whole string counts: an odd length or a missing terminator
    // makes the value unreadable.
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 ||
        size % sizeof(WCHAR) != 0 || text[size / sizeof(WCHAR) - 1] != 0)
        return newerShell;
    newerShell = LeadingVersionNumber(text) > 4;
    return newerShell;
}

void CursorDisplayWindow::KeepCursorOnTop() {
    EnterCriticalSection(&lock);
    ReadShellVersion();
    HWND top = GetWindow(window, GW_HWNDFIRST);
    if (top != window && !IsExemptWindow(top)) {
        // While a menu lies on top of a newer shell, every second run puts
        // the window under the menu in its place instead of the menu.
        if (newerShell) {
            if (menuAlternation) {
                menuAlternation = false;
            } else if (WindowClassIs(top, TEXT("MNU"))) {
                top = GetWindow(top, GW_HWNDNEXT);
                menuAlternation = true;
            }
        }
        const UINT below = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
        if (IsWindowVisible(top) && top != shell.taskBar) {
            UpdateWindow(top);
            SetWindowPos(top, window, 0, 0, 0, 0, below);
            ValidateRect(top, NULL);
        } else {
            if (toolTipKnown != 1) {
                toolTip = FindWindowW(TEXT("tooltips_class32"), NULL);
                toolTipKnown = 1;
            }
            if (top != toolTip)
                SetWindowPos(top, window, 0, 0, 0, 0, below);
        }
        InvalidateRect(window, NULL, TRUE);
        UpdateWindow(window);
    }
    clipCheckCounter = clipCheckCounter - 1;
    if (clipCheckCounter <= 0) {
        clipCheckCounter = CLIP_CHECK_PERIOD;
        ClipWindowOverTaskBar();
    }
    LeaveCriticalSection(&lock);
}

// A program window that reaches over the task bar is cut down to the work
// area, so the task bar stays usable.
void CursorDisplayWindow::ClipWindowOverTaskBar() {
    if (clipCheckKnown != 1) {
        clipCheckPoint.x = (20 * logPixelsX + 48) / 96;
        clipCheckPoint.y = (20 * logPixelsY + 48) / 96;
        clipHeightLimit = (52 * logPixelsY + 48) / 96;
        clipCheckKnown = 1;
    }
    HWND w = WindowAtPoint(clipCheckPoint.x, clipCheckPoint.y, window, NULL);
    if (w == NULL || w == shell.taskBar || !IsWindowVisible(w) ||
        GetWindow(window, GW_HWNDLAST) == shell.taskBar)
        return;
    WCHAR name[WINDOW_CLASS_NAME_CAPACITY];
    if (GetClassNameW(w, name, WINDOW_CLASS_NAME_CAPACITY) == 0 ||
        lstrcmpW(name, TEXT("Worker")) == 0)
        return;
    RECT area, workArea;
    if (!GetWindowRect(w, &area) || clipHeightLimit >= area.bottom ||
        !SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0))
        return;
    OffsetRect(&workArea, -area.left, -area.top);
    HRGN shape = CreateRectRgnIndirect(&workArea);
    if (shape != NULL && SetWindowRgn(w, shape, FALSE) == 0)
        DeleteObject(shape);
}

void CursorDisplayWindow::CheckHomeScreen() {
    HWND w = WindowAtPoint(HOME_SCREEN_PROBE_X, HOME_SCREEN_PROBE_Y, window, NULL);
    if (IsHomeScreenWindow(w)) {
        if (visible == 1)
            ShowCursorWindow(0);
    } else if (visible == 0) {
        ShowCursorWindow(1);
    }
}

void CursorDisplayWindow::RestoreTaskBar() {
    HWND w = WindowAtPoint(HOME_SCREEN_PROBE_X, HOME_SCREEN_PROBE_Y, window, NULL);
    if (GetWindow(window, GW_HWNDLAST) != shell.taskBar && !IsExemptWindow(w))
        SetWindowPos(shell.taskBar, window, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void CursorDisplayWindow::RepaintSipButtonArea(const RECT &before) {
    HWND button = shell.sipButton;
    RECT buttonRect, overlap;
    if (button == NULL || !IsWindowVisible(button) || !GetWindowRect(button, &buttonRect) ||
        !IntersectRect(&overlap, &buttonRect, &before))
        return;
    HWND under = WindowAtPoint(buttonRect.right - 1, buttonRect.bottom - 1, button, NULL);
    if (under != NULL)
        InvalidateRect(under, NULL, FALSE);
}
