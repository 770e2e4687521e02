// Key capture and cursor motion: the hot keys on the five cursor keys, the
// polling engine with its acceleration ramp, the clamped move and the stylus
// drag.
#include "CursorDisplayWindow.h"

#include <math.h>

namespace {

const UINT CAPTURED_KEYS[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_RETURN};
const UINT CAPTURED_MODIFIERS[] = {0, MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN};
const int CAPTURED_KEY_COUNT = sizeof(CAPTURED_KEYS) / sizeof(CAPTURED_KEYS[0]);
const int CAPTURED_MODIFIER_COUNT = sizeof(CAPTURED_MODIFIERS) / sizeof(CAPTURED_MODIFIERS[0]);
// One hot key for each captured key with each modifier, numbered from here.
const int FIRST_HOT_KEY_ID = 1;
const int HOT_KEY_COUNT = CAPTURED_KEY_COUNT * CAPTURED_MODIFIER_COUNT;
const LONG HOT_KEY_REREGISTER_PERIOD = 20;
const LONG LONG_MAXIMUM = 0x7FFFFFFF;
const LONG LONG_MINIMUM = -LONG_MAXIMUM - 1;

// Positions and steps may come from previews with any 32-bit value, so sums
// saturate instead of wrapping.
LONG AddSaturated(LONG a, LONG b) {
    double sum = (double)a + (double)b;
    if (sum > LONG_MAXIMUM)
        return LONG_MAXIMUM;
    if (sum < LONG_MINIMUM)
        return LONG_MINIMUM;
    return (LONG)sum;
}

LONG NegateSaturated(LONG value) {
    return value == LONG_MINIMUM ? LONG_MAXIMUM : -value;
}

POINT ScreenPoint(HWND window, LPARAM lParam) {
    POINT p;
    p.x = (short)LOWORD(lParam);
    p.y = (short)HIWORD(lParam);
    ClientToScreen(window, &p);
    return p;
}

} // namespace

LONG CursorDisplayWindow::StepFor(double fraction) const {
    return (LONG)floor(fraction * (double)speed + 0.5);
}

void CursorDisplayWindow::SetCursorSpeed(LONG newSpeed) {
    speed = newSpeed;
    steps[0] = StepFor(0.2);
    steps[1] = StepFor(0.4);
    steps[2] = StepFor(0.6);
    steps[3] = StepFor(0.8);
    steps[4] = newSpeed;
}

void CursorDisplayWindow::SetAccelerationProfile(LONG profile) {
    static const LONG PROFILES[3][ACCELERATION_STEPS] = {
        {300, 600, 900, 1200, 1500}, {100, 300, 500, 700, 900}, {100, 200, 300, 400, 500}};
    int row = profile == 3 ? 2 : (profile == 2 ? 1 : 0);
    for (int i = 0; i < ACCELERATION_STEPS; ++i)
        thresholds[i] = PROFILES[row][i];
}

void CursorDisplayWindow::RegisterCursorHotKeys() {
    hotKeysRegistered = 1;
    hotKeyCountdown = hotKeyCountdown - 1;
    if (hotKeyCountdown != 0)
        return;
    hotKeyCountdown = HOT_KEY_REREGISTER_PERIOD;
    for (int k = 0; k < CAPTURED_KEY_COUNT; ++k)
        for (int m = 0; m < CAPTURED_MODIFIER_COUNT; ++m)
            RegisterHotKey(window, FIRST_HOT_KEY_ID + CAPTURED_MODIFIER_COUNT * k + m,
                           CAPTURED_MODIFIERS[m] | MOD_KEYUP, CAPTURED_KEYS[k]);
}

void CursorDisplayWindow::UnregisterCursorHotKeys() {
    if (hotKeysRegistered == 1)
        for (int id = FIRST_HOT_KEY_ID; id < FIRST_HOT_KEY_ID + HOT_KEY_COUNT; ++id)
            UnregisterHotKey(window, id);
    hotKeysRegistered = 0;
    HideMenuSnapshot();
}

void CursorDisplayWindow::SetKeyCapture(LONG on) {
    if (on == captureActive)
        return;
    captureActive = on;
    if (on == 1) {
        RegisterCursorHotKeys();
        if (KeyMessageMotion == 0) {
            if (motionTimerRunning == 0) {
                motionTimerRunning = 1;
                MotionTick();
                SetTimer(window, TIMER_MOTION, motionPeriod, NULL);
            }
            StartAcceleration();
        }
    } else {
        UnregisterCursorHotKeys();
        StopMotion();
        StopAcceleration();
    }
}

void CursorDisplayWindow::StopMotion() {
    if (motionTimerRunning != 1)
        return;
    motionTimerRunning = 0;
    KillTimer(window, TIMER_MOTION);
    HideMenuSnapshot();
}

void CursorDisplayWindow::StartAcceleration() {
    if (rampRunning != 0)
        return;
    rampRunning = 1;
    step = StepFor(0.2);
    SetTimer(window, TIMER_ACCELERATION, ACCELERATION_PERIOD_MS, NULL);
}

void CursorDisplayWindow::StopAcceleration() {
    if (rampRunning != 1)
        return;
    step = StepFor(0.2);
    rampRunning = 0;
    KillTimer(window, TIMER_ACCELERATION);
    rampElapsed = 0;
}

void CursorDisplayWindow::AccelerationTick() {
    rampElapsed = AddSaturated(rampElapsed, ACCELERATION_PERIOD_MS);
    for (int i = 0; i < ACCELERATION_STEPS; ++i)
        if (rampElapsed == thresholds[i]) {
            step = steps[i];
            break;
        }
}

void CursorDisplayWindow::MotionTick() {
    tickCount = AddSaturated(tickCount, 1);
    if (tickCount == ticksPerSecond)
        pollQuiet = 1;
    LONG s = accelerationEnabled == 1 ? step : speed;
    LONG dx = 0;
    LONG dy = 0;
    if (GetAsyncKeyState(VK_LEFT) != 0)
        dx = NegateSaturated(s);
    if (GetAsyncKeyState(VK_RIGHT) != 0)
        dx = AddSaturated(dx, s);
    bool up = GetAsyncKeyState(VK_UP) != 0;
    bool volumeUp = GetAsyncKeyState(VK_F6) != 0;
    if (up && !volumeUp)
        dy = NegateSaturated(s);
    if (volumeUp)
        PassVolumeKey(VK_F6);
    bool down = GetAsyncKeyState(VK_DOWN) != 0;
    bool volumeDown = GetAsyncKeyState(VK_F7) != 0;
    if (down && !volumeDown)
        dy = AddSaturated(dy, s);
    if (volumeDown)
        PassVolumeKey(VK_F7);

    if (dx != 0 || dy != 0) {
        if (rampRunning == 0 && accelerationEnabled == 1)
            StartAcceleration();
        CheckMenuBeforeMove();
        MoveCursorTo(AddSaturated(x, dx), AddSaturated(y, dy));
        polledMove = 1;
        if (captureActive == 1)
            RegisterCursorHotKeys();
        else
            UnregisterCursorHotKeys();
        return;
    }
    if (GetCapture() == window)
        return;
    HideMenuSnapshot();
    if (rampRunning == 1)
        StopAcceleration();
}

void CursorDisplayWindow::OnHotKey(UINT modifiers, UINT key) {
    if (KeyMessageMotion == 1) {
        OnHotKeyStep(modifiers, key);
        return;
    }
    if (key == VK_RETURN)
        OnActionKey(modifiers, key);
    else if (polledMove != 1)
        OnHotKeyStep(modifiers, key);
}

void CursorDisplayWindow::OnHotKeyStep(UINT modifiers, UINT key) {
    if (key == VK_RETURN)
        InjectActionKey(modifiers, &stepPressOutstanding);

    // A direction key the polling engine can see keeps that engine.
    if (GetAsyncKeyState(VK_LEFT) != 0 || GetAsyncKeyState(VK_RIGHT) != 0 ||
        GetAsyncKeyState(VK_UP) != 0 || GetAsyncKeyState(VK_DOWN) != 0) {
        steppingArmed = 0;
        resetRepeatOnSwitch = 1;
        pollQuiet = 0;
        tickCount = 0;
        if (motionTimerRunning == 0) {
            motionTimerRunning = 1;
            MotionTick();
            SetTimer(window, TIMER_MOTION, motionPeriod, NULL);
        }
        StartAcceleration();
        return;
    }
    if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN)
        return;

    // Events that find no key down for a second of polling mean the key
    // state cannot be read here: the hot-key events drive the cursor.
    if (pollQuiet == 1) {
        if (resetRepeatOnSwitch == 1)
            repeatCount = 0;
        resetRepeatOnSwitch = 0;
        KeyMessageMotion = 1;
        steppingArmed = 1;
        StopMotion();
        StopAcceleration();
    }
    if (steppingArmed != 1 || KeyMessageMotion != 1)
        return;

    repeatCount = key == lastKey ? AddSaturated(repeatCount, 1) : 1;
    for (int i = 0; i < ACCELERATION_STEPS; ++i)
        if (repeatCount == 1 + 2 * i)
            step = steps[i];
    LONG s = accelerationEnabled == 1 ? step : speed;
    LONG dx = 0;
    LONG dy = 0;
    if (key == VK_LEFT)
        dx = NegateSaturated(s);
    else if (key == VK_RIGHT)
        dx = s;
    else if (key == VK_UP)
        dy = NegateSaturated(s);
    else
        dy = s;
    CheckMenuBeforeMove();
    MoveCursorTo(AddSaturated(x, dx), AddSaturated(y, dy));
    if (captureActive == 1)
        RegisterCursorHotKeys();
    else
        UnregisterCursorHotKeys();
    if (modifiers & MOD_KEYUP)
        HideMenuSnapshot();
    lastKey = key;
}

void CursorDisplayWindow::ComputeClampLimits() {
    limitX = GetSystemMetrics(SM_CXVSCROLL) - 2;
    LONG menu = GetSystemMetrics(SM_CYMENU);
    LONG magnitude = NegateSaturated(menu < 0 ? menu : -menu);
    LONG scaled = (magnitude * logPixelsY + 48) / 96;
    limitY = (menu < 0 ? -scaled : scaled) - 5;
    clampLimitsKnown = 1;
}

void CursorDisplayWindow::MoveCursorTo(LONG newX, LONG newY) {
    if (clampLimitsKnown != 1)
        ComputeClampLimits();
    if (newX == x && newY == y)
        return;
    LONG maxX = cursorWidth < limitX ? screenWidth - cursorWidth : screenWidth - limitX + 3;
    LONG maxY = cursorHeight < limitY ? screenHeight - cursorHeight : screenHeight - limitY + 5;
    if (newX < 0)
        newX = 0;
    else if (newX > maxX)
        newX = maxX;
    if (newY < 0)
        newY = 0;
    else if (newY > maxY)
        newY = maxY;

    RECT before;
    EnterCriticalSection(&lock);
    GetWindowRect(window, &before);
    SetWindowPos(window, NULL, newX, newY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(window);
    LeaveCriticalSection(&lock);
    RepaintSipButtonArea(before);
    x = newX;
    y = newY;
    screenCap.StayBelow(window);
    Sleep(1);
}

void CursorDisplayWindow::OnMouse(UINT message, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) {
        POINT p = ScreenPoint(window, lParam);
        stylusDragging = 1;
        CheckMenuBeforeMove();
        SetCapture(window);
        dragAnchor = p;
    } else if (message == WM_MOUSEMOVE) {
        // Only a stylus that went down on the cursor drags it. On a device a
        // move comes only with the stylus down, but a pointer resting over
        // the window also sends moves, and each would be taken as a step
        // from an anchor it never set.
        if (stylusDragging != 1)
            return;
        POINT p = ScreenPoint(window, lParam);
        CheckMenuBeforeMove();
        MoveCursorTo(AddSaturated(x, p.x - dragAnchor.x), AddSaturated(y, p.y - dragAnchor.y));
        dragAnchor = p;
    } else if (message == WM_LBUTTONUP) {
        stylusDragging = 0;
        ReleaseCapture();
        HideMenuSnapshot();
    }
}
