// The cursor window: start-up, showing and hiding, the end, and its messages.
#include "CursorDisplayWindow.h"

#include "CursorImages.h"
#include "CursorSettings.h"
#include "ShellWindows.h"
#include "WindowBinding.h"
#include "resource.h"

namespace {

const DWORD ERROR_BOX_TIMEOUT = 30000;
// The mouse messages of Windows CE end at the wheel; newer desktop headers
// put more after it.
const UINT MOUSE_MESSAGE_LAST = 0x020A;

// Ends the whole process when the start-up error box has not been answered
// in time; it touches nothing the user-interface thread owns.
DWORD WINAPI EndProcessAfterTimeout(LPVOID) {
    Sleep(ERROR_BOX_TIMEOUT);
    ExitProcess(0);
    return 0;
}

} // namespace

CursorDisplayWindow::CursorDisplayWindow(HINSTANCE programInstance, CursorSettings &record,
                                         const ShellWindows &shellWindows)
    : instance(programInstance), settings(record), shell(shellWindows), window(NULL),
      closeRequested(0), visible(0), changingVisibility(0), cursorBitmap(NULL), cursorRegion(NULL),
      cursorWidth(0), cursorHeight(0), x(0), y(0), screenWidth(0), screenHeight(0), logPixelsX(96),
      logPixelsY(96), clampLimitsKnown(0), limitX(0), limitY(0), stylusDragging(0),
      captureActive(0), hotKeysRegistered(1), hotKeyCountdown(1), KeyMessageMotion(0), speed(28),
      motionPeriod(50), motionTimerRunning(0), polledMove(0), steppingArmed(1),
      resetRepeatOnSwitch(0), pollQuiet(0), ticksPerSecond(20), tickCount(0), repeatCount(0),
      lastKey(0), accelerationEnabled(1), rampRunning(0), step(6), rampElapsed(0),
      actionPressOutstanding(0), stepPressOutstanding(0), volumePassRunning(0), volumeKeyAgain(0),
      menuKeysMode(1), shellVersionKnown(0), newerShell(false), menuAlternation(false),
      toolTipKnown(0), toolTip(NULL), clipCheckCounter(70), clipCheckKnown(0), clipHeightLimit(0) {
    clipCheckPoint.x = 0;
    clipCheckPoint.y = 0;
    SetRectEmpty(&taskbarRect);
    SetRectEmpty(&softKeyBarRect);
    dragAnchor.x = 0;
    dragAnchor.y = 0;
    SetCursorSpeed(speed);
    SetAccelerationProfile(3);
    InitializeCriticalSection(&lock);
    HDC screen = GetDC(NULL);
    if (screen != NULL) {
        logPixelsX = GetDeviceCaps(screen, LOGPIXELSX);
        logPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(NULL, screen);
    }
}

CursorDisplayWindow::~CursorDisplayWindow() {
    if (window != NULL && IsWindow(window))
        DestroyWindow(window);
    ReleaseImage();
    DeleteCriticalSection(&lock);
}

// ------------------------------------------------------------ start-up

void CursorDisplayWindow::CreateCursorWindow() {
    screenWidth = GetSystemMetrics(SM_CXSCREEN);
    screenHeight = GetSystemMetrics(SM_CYSCREEN);
    x = screenWidth / 2;
    y = screenHeight / 2;

    WNDCLASSW windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = CURSOR_WINDOW_CLASS;
    RegisterClassW(&windowClass);

    CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, CURSOR_WINDOW_CLASS, NULL,
                    WS_POPUP | WS_CLIPSIBLINGS, x, y, cursorWidth, cursorHeight, shell.sipButton,
                    NULL, instance, this);
    if (window != NULL && cursorRegion != NULL)
        ApplyCursorShape();
    MeasureShellBars();
}

void CursorDisplayWindow::Startup() {
    CreateCursorWindow();

    LONG status = LoadSettings(settings);
    if (status == ERROR_FILE_NOT_FOUND)
        status = SaveSettings(settings);
    if (status != ERROR_SUCCESS) {
        SetDefaultSettings(settings);
        SaveSettings(settings);
    }

    SetCursorSpeed(settings.cursorSpeed);
    accelerationEnabled = settings.accelerationEnabled;
    SetAccelerationProfile(settings.accelerationSpeed);
    menuKeysMode = settings.menuNavigationMethod == MENU_NAVIGATION_CURSOR ? 0 : 1;
    KeyMessageMotion = settings.deviceModel == DEVICE_MODEL_X1 ? 1 : 0;

    if (!LoadStartupImage())
        ReportStartupImageFailure();
    ShowCursorWindow(1);
}

bool CursorDisplayWindow::LoadStartupImage() {
    WCHAR name[CURSOR_IMAGE_CAPACITY];
    DWORD capacity = CURSOR_IMAGE_CAPACITY;
    if (GetCursorImageName(settings, name, &capacity) != ERROR_SUCCESS)
        return false;
    WCHAR path[CURSOR_PATH_CAPACITY];
    if (!BuildCursorImagePath(name, path, CURSOR_PATH_CAPACITY))
        return false;
    return SetCursorImage(path, CURSOR_TRANSPARENT_COLOUR);
}

void CursorDisplayWindow::ReportStartupImageFailure() {
    // The box keeps this thread's timers running. The home-screen check
    // would show the imageless cursor and take the D-pad and action key
    // from every program, the box included, until the program ends.
    KillTimer(window, TIMER_SHELL_CHECK);
    HANDLE timeout = CreateThread(NULL, 0, EndProcessAfterTimeout, NULL, 0, NULL);
    if (timeout != NULL)
        CloseHandle(timeout);
    ShowErrorBox(NULL, IDS_STARTUP_IMAGE_ERROR);
    ShowCursorWindow(0);
    if (captureActive == 1)
        SetKeyCapture(0);
    Shutdown();
    ExitProcess(0);
}

void CursorDisplayWindow::ShowErrorBox(HWND owner, UINT textId) {
    WCHAR title[STRING_CAPACITY] = {0};
    WCHAR text[STRING_CAPACITY] = {0};
    LoadStringW(instance, IDS_ERROR_TITLE, title, STRING_CAPACITY);
    LoadStringW(instance, textId, text, STRING_CAPACITY);
    MessageBoxW(owner, text, title, MB_ICONHAND);
}

// ------------------------------------------------------------ show, hide, end

BOOL CursorDisplayWindow::ShowCursorWindow(LONG show) {
    EnterCriticalSection(&lock);
    visible = show;
    BOOL result = FALSE;
    // Counted, because showing can pass a volume key through, which hides
    // and shows again before the outer call is done.
    changingVisibility = changingVisibility + 1;
    if (show == 1) {
        hotKeyCountdown = 1;
        if (captureActive != 1)
            SetKeyCapture(1);
        SetTimer(window, TIMER_HOUSEKEEPING, HOUSEKEEPING_PERIOD_MS, NULL);
        result = ShowWindow(window, SW_SHOW);
    } else if (show == 0) {
        if (captureActive != 0)
            SetKeyCapture(0);
        KillTimer(window, TIMER_HOUSEKEEPING);
        result = ShowWindow(window, SW_HIDE);
    }
    changingVisibility = changingVisibility - 1;
    LeaveCriticalSection(&lock);
    return result;
}

BOOL CursorDisplayWindow::Shutdown() {
    RestoreTaskBar();
    ShowCursorWindow(0);
    if (captureActive == 1)
        SetKeyCapture(0);
    BOOL destroyed = DestroyWindow(window);
    window = NULL;
    return destroyed;
}

// ------------------------------------------------------------ messages

LRESULT CALLBACK CursorDisplayWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    CursorDisplayWindow *self =
        WindowObjectFor(hwnd, message, lParam, &CursorDisplayWindow::window);
    if (self == NULL)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT CursorDisplayWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_HOTKEY: OnHotKey(LOWORD(lParam), HIWORD(lParam)); return 1;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        RunUpkeepNow();
        OnMouse(message, lParam);
        return 0;
    case WM_SHOWWINDOW:
        // Only a request from outside toggles; the program's own ShowWindow
        // calls also arrive here.
        if (changingVisibility == 0)
            ShowCursorWindow(visible == 0 ? 1 : 0);
        return 0;
    case WM_SETTINGCHANGE: OnDisplaySettingChange(); return 0;
    case WM_SETTING_PREVIEW: ApplySettingPreview(wParam, lParam); return 1;
    case WM_CLOSE: closeRequested = 1; return 1;
    case WM_DESTROY:
        OnDestroy();
        UnbindWindowObject(window);
        return 0;
    default:
        // Every other mouse message runs the upkeep too, then takes the
        // default.
        if (message >= WM_MOUSEFIRST && message <= MOUSE_MESSAGE_LAST)
            RunUpkeepNow();
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CursorDisplayWindow::OnCreate() {
    SetTimer(window, TIMER_HOUSEKEEPING, HOUSEKEEPING_PERIOD_MS, NULL);
    SetTimer(window, TIMER_SHELL_CHECK, SHELL_CHECK_PERIOD_MS, NULL);
}

void CursorDisplayWindow::OnDestroy() {
    KillTimer(window, TIMER_SHELL_CHECK);
    ShowCursorWindow(0);
    ReleaseImage();
}

// A touch on the cursor does not wait for the next run of the window-order
// upkeep or of the snapshot's check.
void CursorDisplayWindow::RunUpkeepNow() {
    SendMessageW(window, WM_TIMER, TIMER_HOUSEKEEPING, 0);
    screenCap.CheckTarget();
}

void CursorDisplayWindow::OnTimer(UINT_PTR id) {
    switch (id) {
    case TIMER_HOUSEKEEPING:
        KeepCursorOnTop();
        if (menuKeysMode == 1 && captureActive == 1)
            CheckMenuOnTimer();
        break;
    case TIMER_MOTION: MotionTick(); break;
    case TIMER_ACCELERATION: AccelerationTick(); break;
    case TIMER_MENU_WAIT:
        MenuWait();
        CheckHomeScreen();
        break;
    case TIMER_SHELL_CHECK: CheckHomeScreen(); break;
    default: break;
    }
}

void CursorDisplayWindow::ApplySettingPreview(WPARAM code, LPARAM value) {
    switch (code) {
    case SP_CURSOR_SPEED: SetCursorSpeed((LONG)value); break;
    case SP_ACCELERATION_SPEED: SetAccelerationProfile((LONG)value); break;
    case SP_ACCELERATION: accelerationEnabled = (LONG)value; break;
    case SP_MENU_KEYS_ON: menuKeysMode = (LONG)value; break;
    case SP_MENU_KEYS_OFF: menuKeysMode = value == 0 ? 1 : 0; break;
    case SP_CURSOR_IMAGE: ShowImagePreview((LONG)value); break;
    default: break;
    }
}
