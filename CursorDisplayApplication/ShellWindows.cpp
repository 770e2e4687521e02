// The shell's windows as the cursor program finds them: the bars it works
// beside, the window at a point, and the classes it treats apart.
#include "ShellWindows.h"

namespace {

const WCHAR *const EXEMPT_CLASSES[] = {
    TEXT("menu_worker"),     TEXT("Worker"), TEXT("SpbNow_MainWindow"),
    TEXT("HTC Home Plugin"), TEXT("Manila"), TEXT("SkinnerClass_Winterface")};
const WCHAR *const HOME_SCREEN_CLASSES[] = {TEXT("SpbNow_MainWindow"), TEXT("HTC Home Plugin"),
                                            TEXT("Manila"), TEXT("SkinnerClass_Winterface")};

template <size_t N> bool ClassIn(HWND w, const WCHAR *const (&list)[N]) {
    WCHAR name[WINDOW_CLASS_NAME_CAPACITY];
    if (w == NULL || GetClassNameW(w, name, WINDOW_CLASS_NAME_CAPACITY) == 0)
        return false;
    for (size_t i = 0; i < N; ++i)
        if (lstrcmpW(name, list[i]) == 0)
            return true;
    return false;
}

} // namespace

ShellWindows::ShellWindows() {
    taskBar = FindWindowW(TEXT("HHTaskBar"), NULL);
    sipButton = FindWindowW(TEXT("MS_SIPBUTTON"), NULL);
}

bool WindowClassIs(HWND w, LPCWSTR className) {
    WCHAR name[WINDOW_CLASS_NAME_CAPACITY];
    return w != NULL && GetClassNameW(w, name, WINDOW_CLASS_NAME_CAPACITY) != 0 &&
           lstrcmpW(name, className) == 0;
}

bool IsExemptWindow(HWND w) {
    return ClassIn(w, EXEMPT_CLASSES);
}

bool IsHomeScreenWindow(HWND w) {
    return ClassIn(w, HOME_SCREEN_CLASSES);
}

HWND WindowAtPoint(int x, int y, HWND skip, HWND parent) {
    POINT point;
    point.x = x;
    point.y = y;
    HWND candidate = GetWindow(parent, GW_CHILD);
    for (; candidate != NULL; candidate = GetWindow(candidate, GW_HWNDNEXT)) {
        if (candidate == skip || !IsWindowVisible(candidate) || !IsWindowEnabled(candidate))
            continue;
        RECT area;
        if (!GetWindowRect(candidate, &area))
            continue;
        bool inside;
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        if (shape != NULL && GetWindowRgn(candidate, shape) != ERROR)
            inside = PtInRegion(shape, x - area.left, y - area.top) != FALSE;
        else
            inside = PtInRect(&area, point) != FALSE;
        if (shape != NULL)
            DeleteObject(shape);
        if (inside)
            return WindowAtPoint(x, y, skip, candidate);
    }
    return parent;
}
