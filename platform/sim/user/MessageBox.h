// DeviceSim: message boxes, as the device and its tests see them.
#pragma once

#include <windows.h>

namespace sim {

class WindowManager;
struct Window;

void RegisterSystemClasses(WindowManager &wm);
bool IsMessageBox(HWND hwnd);
// Presses a button of an open message box, as the user would; false when the
// box has no such button.
bool PressMessageBoxButton(Window *box, int id);

} // namespace sim
