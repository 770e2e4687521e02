// DeviceSim's emulator: the picture of the device as a whole — its body, its
// screen, its hardware buttons and a status line below — drawn into a plain
// 32-bit surface, so the window, the tour and the tests share one picture.
#pragma once

#include "gdi/Bitmap.h"
#include "gdi/Rect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// The device's hardware buttons as the emulator draws and presses them.
struct HardButton {
    int vk;            // the virtual key the button sends
    const char *label; // what the status line calls it
    Rect area;         // in the picture
    bool round;
};

struct FrameLayout {
    int scale = 1; // picture pixels per screen pixel
    int width = 0, height = 0;
    Rect screen; // where the device's screen is shown
    Rect status; // the status line below the body
    std::vector<HardButton> buttons;
};

// Lays out a device whose screen is `screenWidth` x `screenHeight` pixels,
// shown `scale` times its size (1 or more).
FrameLayout LayoutFrame(int screenWidth, int screenHeight, int scale);

// The button under a point of the picture, if any.
std::optional<HardButton> ButtonAt(const FrameLayout &layout, int x, int y);

// The screen point under a point of the picture, if it lies on the screen.
std::optional<std::pair<int, int>> ScreenPointAt(const FrameLayout &layout, int x, int y);

// The status line's text: the device time in whole seconds (so an idle
// device's picture changes once a second, not ten times), then `what`
// (UTF-8).
std::u16string StatusText(uint64_t deviceMs, const std::string &what);

// Draws the whole picture: the body, the device's screen (`screen`, its
// frame buffer) scaled into place, the buttons (those whose keys are in
// `held` drawn pressed) and the status line. `out` becomes a 32-bit top-down
// surface of the layout's size.
void DrawFrame(Bitmap &out, const FrameLayout &layout, const Bitmap &screen,
               const std::vector<int> &held, const std::u16string &status);

} // namespace sim
