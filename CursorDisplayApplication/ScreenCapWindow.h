// The menu snapshot window: a picture of an open menu laid under the cursor
// while the cursor moves over the menu.
#ifndef POINTREL_SCREENCAPWINDOW_H
#define POINTREL_SCREENCAPWINDOW_H

#include <windows.h>

class ScreenCapWindow {
public:
    ScreenCapWindow();

    HWND Window() const { return window; }
    bool Exists() const { return window != NULL && IsWindow(window); }
    // Destroys the snapshot and keeps the menu from repainting what the
    // snapshot already showed.
    void Hide();

private:
    HWND window;
    HWND target;
};

#endif
