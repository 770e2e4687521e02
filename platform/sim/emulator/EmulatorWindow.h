// DeviceSim's emulator: the window onto a simulated Pocket PC (SDL2).
#pragma once

#include <iosfwd>

namespace sim {

class Device;

// Shows the device in a window and hands it to the person at the keyboard
// until the window is closed (or Escape). Device time runs with the host
// clock. Returns 0; without a display, says so in one line on `log` and
// returns 4.
int RunEmulatorWindow(Device &device, std::ostream &log);

} // namespace sim
