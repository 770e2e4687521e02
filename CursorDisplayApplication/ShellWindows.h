// The shell's windows that the cursor program works beside, found once when
// it starts, and the searches among the windows on the screen.
#ifndef POINTREL_SHELLWINDOWS_H
#define POINTREL_SHELLWINDOWS_H

#include <windows.h>

// Window class names are compared up to this many characters, terminator
// included.
#define WINDOW_CLASS_NAME_CAPACITY 64

struct ShellWindows {
    HWND taskBar;
    HWND sipButton;

    // Looks up the task bar ("HHTaskBar") and the soft-input-panel button
    // ("MS_SIPBUTTON"); either may be absent.
    ShellWindows();
};

// The deepest visible, enabled window at a screen point, honouring window
// regions and skipping one window; NULL when none is there.
HWND WindowAtPoint(int x, int y, HWND skip, HWND parent);

// Whether `w` is a window of the class named `className`; false for NULL.
bool WindowClassIs(HWND w, LPCWSTR className);

// Windows of the shell and of add-on home screens that the window-order
// upkeep leaves where they are.
bool IsExemptWindow(HWND w);
// Add-on home screens over which the cursor hides.
bool IsHomeScreenWindow(HWND w);

#endif
