// Injected stylus input as Windows CE takes it, over desktop Windows's
// mouse_event.
#include <windows.h>

#include "AbsoluteCoordinates.h"

// Desktop Windows differs from Windows CE in two ways here:
// - it reads the coordinates of an absolute event only when
//   MOUSEEVENTF_MOVE is set; Windows CE places a press or release given as
//   MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN at its point, so the move
//   flag is added and the pointer goes there first;
// - it maps a coordinate to a pixel by truncating where Windows CE takes the
//   nearest one, so p * 65536 / size would mostly land one pixel left or
//   above p; the coordinate is moved to the centre of the pixel that Windows
//   CE would have chosen.
void CeMouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extraInfo) {
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        long width = GetSystemMetrics(SM_CXSCREEN);
        long height = GetSystemMetrics(SM_CYSCREEN);
        dx = PixelCentreCoordinate(NearestPixel(dx, width), width);
        dy = PixelCentreCoordinate(NearestPixel(dy, height), height);
        flags |= MOUSEEVENTF_MOVE;
    }
    mouse_event(flags, dx, dy, data, extraInfo);
}
