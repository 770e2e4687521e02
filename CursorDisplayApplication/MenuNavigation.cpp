// Open menus: in keys mode the keys are let go while a menu is open and
// taken back when it closes; in cursor mode the cursor moves over a frozen
// picture of the menu.
#include "CursorDisplayWindow.h"

namespace {

const WCHAR MENU_CLASS[] = TEXT("MNU");

HWND OpenMenu() {
    return FindWindowW(MENU_CLASS, NULL);
}

// The timers also count a visible Start menu of the kind some devices have.
bool MenuOpenForTimers() {
    if (OpenMenu() != NULL)
        return true;
    HWND startMenu = FindWindowW(TEXT("htcStartMenuClass"), TEXT("htcStartMenuTitle"));
    return startMenu != NULL && IsWindowVisible(startMenu);
}

} // namespace

void CursorDisplayWindow::CheckMenuBeforeMove() {
    HWND menu = OpenMenu();
    if (menu == NULL) {
        if (captureActive == 0)
            SetKeyCapture(1);
        return;
    }
    if ((captureActive == 1 && menuKeysMode == 0) || stylusDragging == 1) {
        ShowMenuSnapshot(menu);
        return;
    }
    SetKeyCapture(0);
    SetTimer(window, TIMER_MENU_WAIT, MENU_WAIT_PERIOD_MS, NULL);
}

void CursorDisplayWindow::CheckMenuOnTimer() {
    if (!MenuOpenForTimers())
        return;
    if (captureActive == 1) {
        captureActive = 0;
        UnregisterCursorHotKeys();
        StopMotion();
        StopAcceleration();
    }
    SetTimer(window, TIMER_MENU_WAIT, MENU_WAIT_PERIOD_MS, NULL);
}

void CursorDisplayWindow::MenuWait() {
    if (captureActive == 1 || MenuOpenForTimers())
        return;
    KillTimer(window, TIMER_MENU_WAIT);
    hotKeyCountdown = 1;
    if (captureActive != 1)
        SetKeyCapture(1);
}

bool CursorDisplayWindow::ShowMenuSnapshot(HWND menu) {
    return screenCap.Show(instance, menu, window);
}

void CursorDisplayWindow::HideMenuSnapshot() {
    screenCap.Hide();
}
