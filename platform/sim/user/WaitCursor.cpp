// DeviceSim: the busy indicator over the screen.
#include "user/WaitCursor.h"

#include "gdi/Gdi.h"
#include "user/WindowManager.h"

namespace sim {

Bitmap VisibleScreen(WindowManager &wm) {
    Bitmap screen = wm.gdi.Screen();
    if (!wm.waitCursor)
        return screen;
    // A ring of coloured segments, as Windows Mobile 6 draws its busy
    // indicator, s(12) pixels in outer radius, at the centre of the screen.
    int dpi = wm.gdi.Dpi();
    int outer = (12 * dpi + 48) / 96, inner = (7 * dpi + 48) / 96;
    int cx = screen.width / 2, cy = screen.height / 2;
    const uint32_t colours[] = {0x00E07020, 0x0030B040, 0x0020C0F0, 0x002040E0};
    for (int y = -outer; y <= outer; ++y)
        for (int x = -outer; x <= outer; ++x) {
            int d = x * x + y * y;
            if (d > outer * outer || d < inner * inner)
                continue;
            int quadrant = (x >= 0 ? 0 : 1) + (y >= 0 ? 0 : 2);
            screen.SetPixel(cx + x, cy + y, colours[quadrant]);
        }
    return screen;
}

} // namespace sim
