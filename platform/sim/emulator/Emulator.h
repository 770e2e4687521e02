// DeviceSim's emulator: a simulated Pocket PC driven by a person — host keys
// and mouse turned into the device's keys and stylus, device time paced to
// the host clock, and the picture of the device with a status line.
//
// Nothing here knows about a window system: the window (EmulatorWindow.cpp)
// feeds host events in and shows the picture, and the tests feed the same
// events without a display.
#pragma once

#include "emulator/DeviceFrame.h"
#include "gdi/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class Device;

// The host keys the emulator answers.
enum class HostKey {
    Up,
    Down,
    Left,
    Right, // the D-pad
    Enter, // the action key
    F6,
    F7, // the volume keys
    App1,
    App2,
    App3,
    App4,
    App5,
    App6,       // the application buttons, keys 1 to 6
    Rotate,     // R: turns the screen a quarter
    Screenshot, // S: writes the device's screen as a PNG file
    Reset,      // F12: a soft reset
    Quit,       // Escape
    Other,
};

struct HostEvent {
    enum Kind { KeyDown, KeyUp, MouseDown, MouseMove, MouseUp } kind;
    HostKey key = HostKey::Other; // for key events
    int x = 0, y = 0;             // for mouse events, in the picture's pixels
};

// Turns host clock readings into device time: the device runs in real time
// while the window is open. After a stall (the host asleep, a slow frame) the
// device does not race to catch up: at most `maxStep` ms pass at once.
class Pacer {
public:
    explicit Pacer(uint64_t maxStep = 250) : maxStep_(maxStep) {}
    // How many ms of device time are due at host time `hostMs` (monotonic).
    uint64_t Due(uint64_t hostMs);

private:
    uint64_t maxStep_;
    bool started_ = false;
    uint64_t last_ = 0;
};

class Emulator {
public:
    // `scale`: picture pixels per screen pixel.
    Emulator(Device &device, int scale);

    // Applies one host event to the device; false when the person asked to
    // quit.
    bool Handle(const HostEvent &event);
    // Lets `ms` of device time pass.
    void Advance(uint64_t ms);
    // The device as it looks now, with the status line.
    const Bitmap &Picture();
    const FrameLayout &Layout() const { return layout_; }
    // What the last input did, for the status line.
    const std::string &LastAction() const { return lastAction_; }
    // Where screenshots go; they are numbered from 1.
    void SetScreenshotFolder(const std::string &folder) { screenshotFolder_ = folder; }

private:
    void Press(int vk, bool up, const char *name);
    void Rotate();
    void Screenshot();
    void Reset();
    void ReleaseStylus(int x, int y);

    Device &device_;
    int scale_;
    FrameLayout layout_;
    Bitmap picture_;
    std::vector<int> held_; // keys held down now
    int mouseKey_ = 0;      // the hardware button the mouse holds down
    bool stylusDown_ = false;
    int stylusX_ = 0, stylusY_ = 0;
    int screenshots_ = 0;
    std::string screenshotFolder_ = ".";
    std::string lastAction_ = "ready";
};

// The virtual key of a host key, or 0 for the emulator's own keys.
int DeviceKeyOf(HostKey key);

} // namespace sim
