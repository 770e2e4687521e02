// The cursor program's one window object: the cursor window with its image,
// position, timers, key capture and motion state.
#ifndef POINTREL_CURSORDISPLAYWINDOW_H
#define POINTREL_CURSORDISPLAYWINDOW_H

#include <windows.h>

#include "ScreenCapWindow.h"

struct CursorSettings;
struct ShellWindows;

#define CURSOR_WINDOW_CLASS TEXT("QuorvaneCursorDisplayClass")

class CursorDisplayWindow {
public:
    CursorDisplayWindow(HINSTANCE instance, CursorSettings &settings, const ShellWindows &shell);
    ~CursorDisplayWindow();

    // Creates the window, applies the settings and shows the cursor; on a
    // cursor image that cannot be loaded it reports and ends the process.
    void Startup();
    // Gives the task bar and the keys back and destroys the window.
    BOOL Shutdown();
    // Set once the window was asked to close; the message loop then ends.
    LONG CloseRequested() const { return closeRequested; }

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
    // The acceleration ramp's steps, slowest first.
    enum { ACCELERATION_STEPS = 5 };

    // Not copyable: it owns a window, GDI objects and a critical section.
    CursorDisplayWindow(const CursorDisplayWindow &);
    CursorDisplayWindow &operator=(const CursorDisplayWindow &);

    // ---- window and messages (CursorDisplayWindow.cpp)
    void CreateCursorWindow();
    bool LoadStartupImage();
    void ReportStartupImageFailure();
    // A box with the program's error title and the string `textId`.
    void ShowErrorBox(HWND owner, UINT textId);
    BOOL ShowCursorWindow(LONG show);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void RunUpkeepNow();
    void ApplySettingPreview(WPARAM code, LPARAM value);

    // ---- image and display (CursorDisplayImage.cpp)
    bool SetCursorImage(LPCWSTR path, COLORREF transparent);
    void ReleaseImage();
    void ApplyCursorShape();
    void OnPaint();
    void ShowImagePreview(LONG index);
    void OnDisplaySettingChange();

    // ---- key capture, motion and acceleration (KeyMotion.cpp)
    LONG StepFor(double fraction) const;
    void SetCursorSpeed(LONG newSpeed);
    void SetAccelerationProfile(LONG profile);
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
    void ComputeClampLimits();
    void MoveCursorTo(LONG newX, LONG newY);
    void OnMouse(UINT message, LPARAM lParam);

    // ---- taps and the volume keys (Taps.cpp)
    POINT TapPoint() const;
    bool InStartZone() const;
    void InjectActionKey(UINT modifiers, LONG *pressOutstanding);
    void OnActionKey(UINT modifiers, UINT key);
    void PassVolumeKey(BYTE key);
    void PassVolumeKeyOnce(BYTE key);

    // ---- open menus (MenuNavigation.cpp)
    void CheckMenuBeforeMove();
    void CheckMenuOnTimer();
    void MenuWait();
    bool ShowMenuSnapshot(HWND menu);
    void HideMenuSnapshot();

    // ---- shell upkeep (ShellDetection.cpp)
    void MeasureShellBars();
    bool ReadShellVersion();
    void KeepCursorOnTop();
    void ClipWindowOverTaskBar();
    void CheckHomeScreen();
    void RestoreTaskBar();
    void RepaintSipButtonArea(const RECT &before);

    // ---- the program's context
    HINSTANCE instance;
    CursorSettings &settings;
    const ShellWindows &shell;

    // ---- window and image
    HWND window;
    LONG closeRequested;
    LONG visible;
    // Set while the program itself shows or hides the window, so that the
    // WM_SHOWWINDOW this causes is not taken for a request from outside.
    LONG changingVisibility;
    // Held while the window is shown, hidden, moved or given a new image.
    CRITICAL_SECTION lock;
    HBITMAP cursorBitmap;
    HRGN cursorRegion;
    LONG cursorWidth, cursorHeight;

    // ---- position and screen
    LONG x, y;
    LONG screenWidth, screenHeight;
    // The screen's pixels per inch, read once.
    int logPixelsX, logPixelsY;
    LONG clampLimitsKnown;
    LONG limitX, limitY;
    LONG stylusDragging;
    POINT dragAnchor;

    // ---- key capture and motion
    LONG captureActive;
    LONG hotKeysRegistered;
    LONG hotKeyCountdown;
    LONG KeyMessageMotion;
    LONG speed;
    LONG motionPeriod;
    LONG motionTimerRunning;
    LONG polledMove;
    LONG steppingArmed;
    LONG resetRepeatOnSwitch;
    LONG pollQuiet;
    LONG ticksPerSecond;
    LONG tickCount;
    LONG repeatCount;
    UINT lastKey;

    // ---- acceleration
    LONG accelerationEnabled;
    LONG rampRunning;
    LONG step;
    LONG rampElapsed;
    LONG thresholds[ACCELERATION_STEPS];
    LONG steps[ACCELERATION_STEPS];

    // ---- taps
    LONG actionPressOutstanding;
    LONG stepPressOutstanding;
    // A volume key is being passed through; the key to pass next, or 0.
    LONG volumePassRunning;
    BYTE volumeKeyAgain;

    // ---- menus and snapshot
    LONG menuKeysMode;
    ScreenCapWindow screenCap;

    // ---- shell detection
    RECT taskbarRect, softKeyBarRect;
    // The rest is worked out on first use.
    LONG shellVersionKnown;
    bool newerShell;
    bool menuAlternation;
    LONG toolTipKnown;
    HWND toolTip;
    LONG clipCheckCounter;
    LONG clipCheckKnown;
    POINT clipCheckPoint;
    LONG clipHeightLimit;
};

#endif
