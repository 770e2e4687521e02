// Taps: the action key presses and releases the stylus at the cursor, and
// the volume keys pass through to the system while the cursor keys are
// captured.
#include "CursorDisplayWindow.h"

#include <math.h>

namespace {

const DWORD PRESS_DELAY = 200;
const DWORD START_ZONE_HOLD = 500;
const DWORD VOLUME_KEY_HELD = 200;

// The platform's absolute input coordinates: 0 at the left or top edge,
// 65536 at the width or height.
DWORD Normalized(LONG position, LONG size) {
    if (size <= 0)
        return 0;
    double value = (double)position * 65536.0 / (double)size;
    if (value < 0)
        return 0;
    return value > 65535.0 ? 65535 : (DWORD)value;
}

} // namespace

// One pixel left of the cursor window, so the tap lands on the window under
// the hot spot; at the left or top edge seven pixels right of it instead,
// which keeps the point on the screen.
POINT CursorDisplayWindow::TapPoint() const {
    POINT p;
    p.x = (x == 0 || y == 0) ? x + 7 : x - 1;
    p.y = y;
    return p;
}

bool CursorDisplayWindow::InStartZone() const {
    LONG startZoneWidth = (LONG)floor((double)taskbarRect.right * 10.0 / 33.0 + 0.5);
    return (y < taskbarRect.bottom && x < startZoneWidth) || y > softKeyBarRect.top;
}

void CursorDisplayWindow::InjectActionKey(UINT modifiers, LONG *pressOutstanding) {
    if (modifiers & MOD_KEYUP) {
        // The release goes to where the cursor is now.
        POINT p = TapPoint();
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, Normalized(p.x, screenWidth),
                    Normalized(p.y, screenHeight), 0, 0);
        *pressOutstanding = 0;
        return;
    }
    HideMenuSnapshot();
    if (*pressOutstanding != 1) {
        *pressOutstanding = 1;
        Sleep(PRESS_DELAY);
        POINT p = TapPoint();
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, Normalized(p.x, screenWidth),
                    Normalized(p.y, screenHeight), 0, 0);
    }
    // The Start button and the soft keys need a longer press.
    if (InStartZone())
        Sleep(START_ZONE_HOLD);
}

void CursorDisplayWindow::OnActionKey(UINT modifiers, UINT key) {
    if (key == VK_RETURN)
        InjectActionKey(modifiers, &actionPressOutstanding);
}

// Showing the cursor again runs a motion tick at once, and while the key is
// held that tick finds it still down. A pass begun from inside the show would
// run inside the one before, one level deeper every 800 ms for as long as the
// key stays down, until the stack runs out; so the pass that is running goes
// on with the key instead.
void CursorDisplayWindow::PassVolumeKey(BYTE key) {
    if (volumePassRunning == 1) {
        if (volumeKeyAgain == 0)
            volumeKeyAgain = key;
        return;
    }
    volumePassRunning = 1;
    for (BYTE next = key; next != 0;) {
        volumeKeyAgain = 0;
        PassVolumeKeyOnce(next);
        next = volumeKeyAgain;
    }
    volumePassRunning = 0;
}

void CursorDisplayWindow::PassVolumeKeyOnce(BYTE key) {
    DWORD before = key == VK_F6 ? 300 : 200;
    DWORD after = key == VK_F6 ? 300 : 100;
    ShowCursorWindow(0);
    Sleep(before);
    keybd_event(key, 0, 0, 0);
    Sleep(VOLUME_KEY_HELD);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    Sleep(after);
    ShowCursorWindow(1);
}
