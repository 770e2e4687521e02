// DeviceSim: the busy indicator that Windows Mobile shows in the middle of
// the screen while a program shows the wait cursor.
#pragma once

#include "gdi/Bitmap.h"

namespace sim {

class WindowManager;

// The screen as the user sees it: the frame buffer, with the busy indicator
// over it while a program shows the wait cursor. The indicator is an
// overlay, as the platform's cursor is, so windows painting under it never
// erase it and it leaves nothing behind when it goes.
Bitmap VisibleScreen(WindowManager &wm);

} // namespace sim
