// The cursor program's one window object: the cursor window with its image,
// position, timers, key capture and motion state.
#ifndef POINTREL_CURSORDISPLAYWINDOW_H
#define POINTREL_CURSORDISPLAYWINDOW_H

#include <windows.h>

#include "CursorSettings.h"
#include "ScreenCapWindow.h"
#include "ShellWindows.h"

#define CURSOR_WINDOW_CLASS TEXT("QuorvaneCursorDisplayClass")

class CursorDisplayWindow {
public:
    CursorDisplayWindow(HINSTANCE instance, CursorSettings &settings, const ShellWindows &shell);
    ~CursorDisplayWindow();

    // Creates the window, applies the settings and shows the cursor; on a
    // cursor image that cannot be loaded it reports and ends the process.
    void Startup();
    BOOL ShowCursorWindow(LONG show);
    BOOL Shutdown();
    LONG CloseRequested() const { return closeRequested; }

    // ---- settings applied to the running state
    void SetCursorSpeed(LONG newSpeed);
    void SetAccelerationProfile(LONG profile);
    void ApplySettingPreview(WPARAM code, LPARAM value);

    // ---- key capture and motion
    void RegisterCursorHotKeys();
    void UnregisterCursorHotKeys();
    void SetKeyCapture(LONG on);
    void StopMotion();
    void StartAcceleration();
    void StopAcceleration();
    void AccelerationTick();
    void MotionTick();
    void OnHotKey(UINT modifiers, UINT key);
    void OnHotKeyStep(UINT modifiers, UINT key);
    void OnActionKey(UINT modifiers, UINT key);
    void PassVolumeKey(BYTE key);
    void MoveCursorTo(LONG newX, LONG newY);

    // ---- image and display
    bool SetCursorImage(LPCWSTR path, COLORREF transparent);
    void ShowImagePreview(LONG index);
    void OnDisplaySettingChange();

    // ---- shell upkeep
    void MeasureShellBars();
    void KeepCursorOnTop();
    void CheckHomeScreen();
    void RestoreTaskBar();
    void RepaintSipButtonArea(const RECT &before);
    bool ShowMenuSnapshot(HWND menu);
    void HideMenuSnapshot();
    void CheckMenuBeforeMove();
    void CheckMenuOnTimer();
    void MenuWait();
    bool ReadShellVersion();

private:
    // The cursor window's timers.
    enum Timer {
        TIMER_HOUSEKEEPING = 1,
        TIMER_MOTION = 2,
        TIMER_ACCELERATION = 3,
        TIMER_MENU_WAIT = 4,
        TIMER_SHELL_CHECK = 5
    };
    // Timer periods in milliseconds; the motion timer's is a field.
    enum {
        HOUSEKEEPING_PERIOD_MS = 100,
        ACCELERATION_PERIOD_MS = 100,
        MENU_WAIT_PERIOD_MS = 200,
        SHELL_CHECK_PERIOD_MS = 1000
    };
    enum { ACCELERATION_STEPS = 5 };

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnDestroy();
    void RunUpkeepNow();
    void CreateCursorWindow();
    bool LoadStartupImage();
    void ReportStartupImageFailure();
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnMouse(UINT message, LPARAM lParam);
    void ComputeClampLimits();
    void ClipWindowOverTaskBar();
    void ReleaseImage();
    void ApplyCursorShape();
    LONG StepFor(double fraction) const;
    void PassVolumeKeyOnce(BYTE key);
    void InjectActionKey(UINT modifiers, LONG *pressOutstanding);
    POINT TapPoint() const;
    bool InStartZone() const;

    HINSTANCE instance;
    CursorSettings &settings;
    const ShellWindows &shell;

public:
    // Fields in the order the object declares them.
    HWND window;
    LONG closeRequested;
    HBITMAP cursorBitmap;
    HRGN cursorRegion;
    LONG x, y;
    LONG cursorWidth, cursorHeight;
    LONG visible;
    LONG menuKeysMode;
    LONG stylusDragging;
    LONG screenWidth, screenHeight;
    RECT taskbarRect, softKeyBarRect;
    POINT dragAnchor;
    LONG captureActive;
    // Motion and acceleration.
    LONG speed;
    LONG motionPeriod;
    LONG motionTimerRunning;
    LONG accelerationEnabled;
    LONG rampRunning;
    LONG step;
    LONG rampElapsed;
    LONG thresholds[ACCELERATION_STEPS];
    LONG steps[ACCELERATION_STEPS];
    LONG polledMove;
    LONG KeyMessageMotion;
    LONG steppingArmed;
    LONG resetRepeatOnSwitch;
    LONG pollQuiet;
    LONG ticksPerSecond;
    LONG tickCount;
    ScreenCapWindow screenCap;
    LONG hotKeyCountdown;
    CRITICAL_SECTION lock;

    // Process-wide values of the motion code.
    LONG hotKeysRegistered;
    LONG actionPressOutstanding;
    // A volume key is being passed through; the key to pass next, or 0.
    LONG volumePassRunning;
    BYTE volumeKeyAgain;
    LONG stepPressOutstanding;
    LONG repeatCount;
    UINT lastKey;
    LONG clampLimitsKnown;
    LONG limitX, limitY;
    // The screen's pixels per inch, read once.
    int logPixelsX, logPixelsY;
    // Shell detection, worked out on first use.
    LONG shellVersionKnown;
    bool newerShell;
    bool menuAlternation;
    LONG toolTipKnown;
    HWND toolTip;
    LONG clipCheckCounter;
    LONG clipCheckKnown;
    POINT clipCheckPoint;
    LONG clipHeightLimit;
    // Set while the program itself shows or hides the window, so that the
    // WM_SHOWWINDOW this causes is not taken for a request from outside.
    LONG changingVisibility;
};

#endif
