// The menu snapshot window: a picture of an open menu laid over the menu and
// kept directly below the cursor window while the cursor moves across it,
// so that what the cursor uncovers is redrawn from memory.
#ifndef POINTREL_SCREENCAPWINDOW_H
#define POINTREL_SCREENCAPWINDOW_H

#include <windows.h>

#define SCREEN_CAP_CLASS TEXT("PointrelScreenCapWindow")

class ScreenCapWindow {
public:
    ScreenCapWindow();
    ~ScreenCapWindow();

    // Lays a picture of `menu` over it, with a hole where the cursor window
    // is. False when the menu does not come into view in time (then at once
    // for as long as that menu stays open), is gone, or the hole cannot be
    // cut.
    bool Show(HINSTANCE instance, HWND menu, HWND cursorWindow);
    // Destroys the picture, if there is one, and keeps the menu from
    // repainting what the picture already showed.
    void Hide();
    // Runs the timer's check that the menu is still open now.
    void CheckTarget();
    // Puts the picture, if there is one, directly below the moved cursor
    // window and repaints what the cursor uncovered.
    void StayBelow(HWND cursorWindow);

private:
    // Not copyable: it owns a window and a bitmap.
    ScreenCapWindow(const ScreenCapWindow &);
    ScreenCapWindow &operator=(const ScreenCapWindow &);

    bool Exists() const { return window != NULL && IsWindow(window); }
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool WaitForMenu(HWND cursorWindow) const;
    void Capture();
    bool CutCursorHole(HWND cursorWindow);
    void Paint();
    void OnTargetCheck();

    HWND window;
    // The menu the picture is of, until it closes.
    HWND target;
    // A menu whose centre another window kept covered past the wait.
    HWND coveredMenu;
    HBITMAP picture;
    RECT area;
};

#endif
