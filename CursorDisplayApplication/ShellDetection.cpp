// The cursor program among the shell's windows: finding the shell's bars,
// the window at a point, the platform version, the upkeep of the window
// order, and hiding over add-on home screens.
#include "CursorDisplayWindow.h"

namespace {

const LONG CLIP_CHECK_PERIOD = 70;
const int CLASS_NAME_CAPACITY = 64;
const int SHELL_VERSION_CAPACITY = 64;

const WCHAR *const EXEMPT_CLASSES[] = {
    TEXT("menu_worker"),     TEXT("Worker"), TEXT("SpbNow_MainWindow"),
    TEXT("HTC Home Plugin"), TEXT("Manila"), TEXT("SkinnerClass_Winterface")};
const WCHAR *const HOME_SCREEN_CLASSES[] = {TEXT("SpbNow_MainWindow"), TEXT("HTC Home Plugin"),
                                            TEXT("Manila"), TEXT("SkinnerClass_Winterface")};

bool ClassIs(HWND w, LPCWSTR className) {
    WCHAR name[CLASS_NAME_CAPACITY];
    return w != NULL && GetClassNameW(w, name, CLASS_NAME_CAPACITY) != 0 &&
           lstrcmpW(name, className) == 0;
}

template <size_t N> bool ClassIn(HWND w, const WCHAR *const (&list)[N]) {
    WCHAR name[CLASS_NAME_CAPACITY];
    if (w == NULL || GetClassNameW(w, name, CLASS_NAME_CAPACITY) == 0)
        return false;
    for (size_t i = 0; i < N; ++i)
        if (lstrcmpW(name, list[i]) == 0)
            return true;
    return false;
}

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

bool IsExemptWindow(HWND w) {
    return ClassIn(w, EXEMPT_CLASSES);
}

bool IsHomeScreenWindow(HWND w) {
    return ClassIn(w, HOME_SCREEN_CLASSES);
}

ShellWindows::ShellWindows() {
    taskBar = FindWindowW(TEXT("HHTaskBar"), NULL);
    sipButton = FindWindowW(TEXT("MS_SIPBUTTON"), NULL);
}

HWND WindowAtPoint(int x, int y, HWND skip, HWND parent) {
    POINT point;
    point.x = x;
    point.y = y;
    HWND candidate = GetWindow(parent, GW_CHILD);
    for (; candidate != NULL; candidate = GetWindow(candidate, GW_HWNDNEXT)) {
        if (candidate == skip || !IsWindowVisible(candidate) || !IsWindowEnabled(candidate))
            continue;
        RECT area;
        if (!GetWindowRect(candidate, &area))
            continue;
        bool inside;
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        if (shape != NULL && GetWindowRgn(candidate, shape) != ERROR)
            inside = PtInRegion(shape, x - area.left, y - area.top) != FALSE;
        else
            inside = PtInRect(&area, point) != FALSE;
        if (shape != NULL)
            DeleteObject(shape);
        if (inside)
            return WindowAtPoint(x, y, skip, candidate);
    }
    return parent;
}

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
            } else if (ClassIs(top, TEXT("MNU"))) {
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
    WCHAR name[CLASS_NAME_CAPACITY];
    if (GetClassNameW(w, name, CLASS_NAME_CAPACITY) == 0 || lstrcmpW(name, TEXT("Worker")) == 0)
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
    HWND w = WindowAtPoint(100, 200, window, NULL);
    if (IsHomeScreenWindow(w)) {
        if (visible == 1)
            ShowCursorWindow(0);
    } else if (visible == 0) {
        ShowCursorWindow(1);
    }
}

void CursorDisplayWindow::RestoreTaskBar() {
    HWND w = WindowAtPoint(100, 200, window, NULL);
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
