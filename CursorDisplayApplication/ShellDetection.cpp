// The cursor program among the shell's windows: finding the shell's bars,
// the window at a point, and the upkeep of the window order.
#include "CursorDisplayWindow.h"

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

void CursorDisplayWindow::KeepCursorOnTop() {}

void CursorDisplayWindow::CheckHomeScreen() {}

void CursorDisplayWindow::RestoreTaskBar() {}

void CursorDisplayWindow::RepaintSipButtonArea(const RECT &) {}
