// The menu snapshot window: waiting for the menu, the picture and its hole,
// painting, and the window's messages.
#include "ScreenCapWindow.h"

#include "ShellWindows.h"
#include "WindowBinding.h"

namespace {

const UINT_PTR TIMER_TARGET_CHECK = 1;
const UINT TARGET_CHECK_PERIOD_MS = 100;
// A menu that a window of another program keeps covered would otherwise be
// waited for forever; after this long motion goes on without a picture.
const int MENU_WAIT_LIMIT_MS = 500;

} // namespace

ScreenCapWindow::ScreenCapWindow() : window(NULL), target(NULL), coveredMenu(NULL), picture(NULL) {
    SetRectEmpty(&area);
}

ScreenCapWindow::~ScreenCapWindow() {
    if (Exists())
        DestroyWindow(window);
    if (picture != NULL)
        DeleteObject(picture);
}

bool ScreenCapWindow::WaitForMenu(HWND cursorWindow) const {
    RECT menuRect;
    if (!GetWindowRect(target, &menuRect))
        return false;
    int centreX = menuRect.left + (menuRect.right - menuRect.left) / 2;
    int centreY = menuRect.top + (menuRect.bottom - menuRect.top) / 2;
    for (int waited = 0;; ++waited) {
        if (WindowAtPoint(centreX, centreY, cursorWindow, NULL) == target)
            return true;
        if (!IsWindow(target) || waited == MENU_WAIT_LIMIT_MS)
            return false;
        Sleep(1);
    }
}

bool ScreenCapWindow::Show(HINSTANCE instance, HWND menu, HWND cursorWindow) {
    if (Exists())
        return true;
    target = menu;
    // Waiting again for a menu that stayed covered would stall every move
    // over it; it is tried once for as long as it is open.
    if (menu == coveredMenu)
        return false;
    if (!WaitForMenu(cursorWindow)) {
        coveredMenu = IsWindow(menu) ? menu : NULL;
        return false;
    }

    WNDCLASSW windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = SCREEN_CAP_CLASS;
    RegisterClassW(&windowClass);
    CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, SCREEN_CAP_CLASS, NULL, WS_POPUP | WS_VISIBLE,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL,
                    instance, this);
    if (!Exists())
        return false;
    if (!CutCursorHole(cursorWindow)) {
        DestroyWindow(window);
        window = NULL;
        return false;
    }
    return true;
}

void ScreenCapWindow::Capture() {
    if (!IsWindow(target) || !GetWindowRect(target, &area))
        SetRect(&area, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    HDC screen = GetDC(NULL);
    picture = CreateCompatibleBitmap(screen, width, height);
    HDC memory = CreateCompatibleDC(screen);
    if (picture != NULL && memory != NULL) {
        HGDIOBJ previous = SelectObject(memory, picture);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (memory != NULL)
        DeleteDC(memory);
    ReleaseDC(NULL, screen);
    MoveWindow(window, area.left, area.top, width, height, TRUE);
    SetTimer(window, TIMER_TARGET_CHECK, TARGET_CHECK_PERIOD_MS, NULL);
}

bool ScreenCapWindow::CutCursorHole(HWND cursorWindow) {
    RECT cursorRect, overlap;
    if (!GetWindowRect(cursorWindow, &cursorRect))
        return false;
    if (!IntersectRect(&overlap, &cursorRect, &area))
        return true;
    HRGN cursorShape = CreateRectRgn(0, 0, 0, 0);
    HRGN shape = CreateRectRgn(0, 0, area.right - area.left, area.bottom - area.top);
    bool cut =
        cursorShape != NULL && shape != NULL && GetWindowRgn(cursorWindow, cursorShape) != ERROR &&
        OffsetRgn(cursorShape, cursorRect.left - area.left, cursorRect.top - area.top) != ERROR &&
        CombineRgn(shape, shape, cursorShape, RGN_DIFF) != ERROR &&
        SetWindowRgn(window, shape, FALSE) != 0;
    if (cursorShape != NULL)
        DeleteObject(cursorShape);
    // A region given to the window belongs to the system.
    if (!cut && shape != NULL)
        DeleteObject(shape);
    return cut;
}

void ScreenCapWindow::Paint() {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    if (target != NULL && picture != NULL) {
        HDC memory = CreateCompatibleDC(target);
        if (memory != NULL) {
            HGDIOBJ previous = SelectObject(memory, picture);
            const RECT &r = paint.rcPaint;
            BitBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, r.left, r.top,
                   SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
        }
    }
    EndPaint(window, &paint);
}

void ScreenCapWindow::CheckTarget() {
    if (Exists())
        SendMessageW(window, WM_TIMER, TIMER_TARGET_CHECK, 0);
}

void ScreenCapWindow::StayBelow(HWND cursorWindow) {
    if (!Exists())
        return;
    SetWindowPos(window, cursorWindow, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    UpdateWindow(window);
}

// The picture goes when its menu closes.
void ScreenCapWindow::OnTargetCheck() {
    if (!IsWindow(target))
        DestroyWindow(window);
}

void ScreenCapWindow::Hide() {
    bool removed = Exists();
    if (removed)
        DestroyWindow(window);
    window = NULL;
    if (target != NULL && !IsWindow(target))
        target = NULL;
    if (coveredMenu != NULL && !IsWindow(coveredMenu))
        coveredMenu = NULL;
    // Motion that stops away from a menu hides on every tick; validating the
    // menu then would swallow repaints of its own.
    if (removed && target != NULL)
        ValidateRect(target, NULL);
}

LRESULT CALLBACK ScreenCapWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    ScreenCapWindow *self = WindowObjectFor(hwnd, message, lParam, &ScreenCapWindow::window);
    if (self == NULL)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT ScreenCapWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: Capture(); return 0;
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_TIMER:
        if (wParam == TIMER_TARGET_CHECK)
            OnTargetCheck();
        return 0;
    case WM_DESTROY:
        if (picture != NULL)
            DeleteObject(picture);
        picture = NULL;
        UnbindWindowObject(window);
        window = NULL;
        return 0;
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
