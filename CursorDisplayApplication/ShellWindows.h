// The shell's windows that the cursor program works beside, found once when
// it starts.
#ifndef POINTREL_SHELLWINDOWS_H
#define POINTREL_SHELLWINDOWS_H

#include <windows.h>

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

// Windows of the shell and of add-on home screens that the window-order
// upkeep leaves where they are.
bool IsExemptWindow(HWND w);
// Add-on home screens over which the cursor hides.
bool IsHomeScreenWindow(HWND w);

#endif
