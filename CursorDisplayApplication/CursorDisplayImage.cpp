// The cursor window's picture: replacing the image and its shape, painting,
// previews of another image, and following a change of screen size.
#include "CursorDisplayWindow.h"

#include "CursorImages.h"
#include "CursorSettings.h"
#include "resource.h"

#include <math.h>

namespace {

LONG RoundHalfUp(double value) {
    return (LONG)floor(value + 0.5);
}

// Scales one coordinate to a new screen length. A cursor whose centre lies in
// the first half keeps its scaled distance to the near edge; otherwise its
// scaled distance to the far edge is kept.
LONG ScaleCoordinate(LONG position, LONG size, LONG oldLength, LONG newLength) {
    if (oldLength <= 0)
        return position;
    // Multiplied before divided, so an exact half rounds up.
    if (position + size / 2 < oldLength / 2)
        return RoundHalfUp((double)position * newLength / oldLength);
    return newLength - RoundHalfUp(((double)oldLength - position - size) * newLength / oldLength) -
           size;
}

} // namespace

void CursorDisplayWindow::ReleaseImage() {
    if (cursorBitmap != NULL)
        DeleteObject(cursorBitmap);
    if (cursorRegion != NULL)
        DeleteObject(cursorRegion);
    cursorBitmap = NULL;
    cursorRegion = NULL;
    cursorWidth = 0;
    cursorHeight = 0;
}

// The window owns the region it is given, so it gets a copy of the shape.
void CursorDisplayWindow::ApplyCursorShape() {
    HRGN shape = CreateRectRgn(0, 0, 1, 1);
    if (shape == NULL)
        return;
    if (CombineRgn(shape, cursorRegion, NULL, RGN_COPY) == ERROR ||
        SetWindowRgn(window, shape, FALSE) == 0)
        DeleteObject(shape);
}

bool CursorDisplayWindow::SetCursorImage(LPCWSTR path, COLORREF transparent) {
    ReleaseImage();
    cursorBitmap = LoadCursorImage(path);
    if (cursorBitmap == NULL)
        return false;
    cursorRegion = BuildCursorShape(cursorBitmap, transparent);
    if (cursorRegion == NULL) {
        DeleteObject(cursorBitmap);
        cursorBitmap = NULL;
        return false;
    }
    if (window == NULL || !IsWindow(window))
        return true;

    EnterCriticalSection(&lock);
    SetWindowRgn(window, NULL, FALSE);
    BITMAP image;
    GetObjectW(cursorBitmap, sizeof(image), &image);
    cursorWidth = image.bmWidth;
    cursorHeight = image.bmHeight;
    if (x > screenWidth - cursorWidth)
        x = screenWidth - cursorWidth;
    if (y > screenHeight - cursorHeight)
        y = screenHeight - cursorHeight;
    SetWindowPos(window, NULL, x, y, cursorWidth, cursorHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyCursorShape();
    // The new picture must show even where the old shape already was.
    InvalidateRect(window, NULL, FALSE);
    LeaveCriticalSection(&lock);
    return true;
}

void CursorDisplayWindow::OnPaint() {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    if (target != NULL && cursorBitmap != NULL) {
        HDC image = CreateCompatibleDC(target);
        if (image != NULL) {
            HGDIOBJ previous = SelectObject(image, cursorBitmap);
            BitBlt(target, 0, 0, cursorWidth, cursorHeight, image, 0, 0, SRCCOPY);
            SelectObject(image, previous);
            DeleteDC(image);
        }
    }
    EndPaint(window, &paint);
}

void CursorDisplayWindow::ShowImagePreview(LONG index) {
    WCHAR name[CURSOR_IMAGE_CAPACITY];
    size_t length = 0;
    if (FAILED(CursorImageName(index, name, CURSOR_IMAGE_CAPACITY, &length)))
        return;
    WCHAR path[CURSOR_PATH_CAPACITY];
    bool shown = BuildCursorImagePath(name, path, CURSOR_PATH_CAPACITY) &&
                 SetCursorImage(path, CURSOR_TRANSPARENT_COLOUR);
    if (!shown)
        ShowErrorBox(window, IDS_PREVIEW_IMAGE_ERROR);
}

void CursorDisplayWindow::OnDisplaySettingChange() {
    LONG newWidth = GetSystemMetrics(SM_CXSCREEN);
    LONG newHeight = GetSystemMetrics(SM_CYSCREEN);
    if (newWidth != screenWidth || newHeight != screenHeight) {
        LONG newX = ScaleCoordinate(x, cursorWidth, screenWidth, newWidth);
        LONG newY = ScaleCoordinate(y, cursorHeight, screenHeight, newHeight);
        screenWidth = newWidth;
        screenHeight = newHeight;
        MoveCursorTo(newX, newY);
    }
    MeasureShellBars();
}
