// DeviceSim's emulator: host input to device input, and pacing.
#include "emulator/Emulator.h"

#include "device/Device.h"
#include "gdi/Gdi.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace sim {

uint64_t Pacer::Due(uint64_t hostMs) {
    if (!started_ || hostMs < last_) {
        started_ = true;
        last_ = hostMs;
        return 0;
    }
    uint64_t due = std::min(hostMs - last_, maxStep_);
    last_ = hostMs;
    return due;
}

int DeviceKeyOf(HostKey key) {
    switch (key) {
    case HostKey::Up: return VK_UP;
    case HostKey::Down: return VK_DOWN;
    case HostKey::Left: return VK_LEFT;
    case HostKey::Right: return VK_RIGHT;
    case HostKey::Enter: return VK_RETURN;
    case HostKey::F6: return VK_F6;
    case HostKey::F7: return VK_F7;
    case HostKey::App1: return VK_APP1;
    case HostKey::App2: return VK_APP2;
    case HostKey::App3: return VK_APP3;
    case HostKey::App4: return VK_APP4;
    case HostKey::App5: return VK_APP5;
    case HostKey::App6: return VK_APP6;
    default: return 0;
    }
}

namespace {

const char *KeyName(int vk) {
    switch (vk) {
    case VK_UP: return "UP";
    case VK_DOWN: return "DOWN";
    case VK_LEFT: return "LEFT";
    case VK_RIGHT: return "RIGHT";
    case VK_RETURN: return "RETURN";
    case VK_F6: return "F6";
    case VK_F7: return "F7";
    case VK_APP1: return "APP1";
    case VK_APP2: return "APP2";
    case VK_APP3: return "APP3";
    case VK_APP4: return "APP4";
    case VK_APP5: return "APP5";
    case VK_APP6: return "APP6";
    default: return "key";
    }
}

} // namespace

Emulator::Emulator(Device &device, int scale)
    : device_(device), scale_(scale),
      layout_(LayoutFrame(device.Config().width, device.Config().height, scale)) {}

void Emulator::Press(int vk, bool up, const char *name) {
    bool isHeld = std::find(held_.begin(), held_.end(), vk) != held_.end();
    if (up != isHeld)
        return; // a second press of a held key, or a release of a free one
    device_.Key(vk, up);
    if (up)
        held_.erase(std::find(held_.begin(), held_.end(), vk));
    else
        held_.push_back(vk);
    lastAction_ = std::string(name) + (up ? " up" : " down");
}

void Emulator::ReleaseStylus(int x, int y) {
    device_.StylusUp(x, y);
    stylusDown_ = false;
    lastAction_ = "stylus up " + std::to_string(x) + "," + std::to_string(y);
}

bool Emulator::Handle(const HostEvent &e) {
    switch (e.kind) {
    case HostEvent::KeyDown:
    case HostEvent::KeyUp: {
        bool up = e.kind == HostEvent::KeyUp;
        if (int vk = DeviceKeyOf(e.key)) {
            Press(vk, up, KeyName(vk));
            return true;
        }
        if (up)
            return true;
        if (e.key == HostKey::Quit)
            return false;
        if (e.key == HostKey::Rotate)
            Rotate();
        else if (e.key == HostKey::Screenshot)
            Screenshot();
        else if (e.key == HostKey::Reset)
            Reset();
        return true;
    }
    case HostEvent::MouseDown:
        if (auto point = ScreenPointAt(layout_, e.x, e.y)) {
            stylusDown_ = true;
            stylusX_ = point->first, stylusY_ = point->second;
            device_.StylusDown(stylusX_, stylusY_);
            lastAction_ =
                "stylus down " + std::to_string(stylusX_) + "," + std::to_string(stylusY_);
        } else if (auto button = ButtonAt(layout_, e.x, e.y)) {
            mouseKey_ = button->vk;
            Press(button->vk, false, button->label);
        }
        return true;
    case HostEvent::MouseMove:
        if (stylusDown_) {
            // The stylus keeps to the glass: a drag off the screen stays at its edge.
            const Rect &s = layout_.screen;
            int x = (std::clamp(e.x, s.left, s.right - 1) - s.left) / layout_.scale;
            int y = (std::clamp(e.y, s.top, s.bottom - 1) - s.top) / layout_.scale;
            if (x != stylusX_ || y != stylusY_) {
                stylusX_ = x, stylusY_ = y;
                device_.StylusMove(x, y);
                lastAction_ = "stylus move " + std::to_string(x) + "," + std::to_string(y);
            }
        }
        return true;
    case HostEvent::MouseUp:
        if (stylusDown_)
            ReleaseStylus(stylusX_, stylusY_);
        if (mouseKey_) {
            for (const HardButton &b : layout_.buttons)
                if (b.vk == mouseKey_)
                    Press(b.vk, true, b.label);
            mouseKey_ = 0;
        }
        return true;
    }
    return true;
}

void Emulator::Advance(uint64_t ms) {
    if (ms)
        device_.Wait(ms);
}

void Emulator::Rotate() {
    const DeviceConfig &c = device_.Config();
    if (stylusDown_)
        ReleaseStylus(stylusX_, stylusY_);
    device_.SetScreen(c.height, c.width, c.dpi);
    layout_ = LayoutFrame(device_.Config().width, device_.Config().height, scale_);
    lastAction_ = "rotated to " + std::to_string(device_.Config().width) + " x " +
                  std::to_string(device_.Config().height);
}

void Emulator::Reset() {
    // Keys and stylus come up first: a reset does not leave them held.
    if (stylusDown_)
        ReleaseStylus(stylusX_, stylusY_);
    for (int vk : std::vector<int>(held_))
        Press(vk, true, "key");
    device_.Reset();
    lastAction_ = "soft reset";
}

void Emulator::Screenshot() {
    char name[32];
    std::snprintf(name, sizeof name, "screenshot-%d.png", ++screenshots_);
    std::string path = screenshotFolder_ + "/" + name, why;
    lastAction_ = device_.Screenshot(path, &why) ? "wrote " + path : "screenshot failed: " + why;
}

const Bitmap &Emulator::Picture() {
    DrawFrame(picture_, layout_, device_.gdi().Screen(), held_,
              StatusText(device_.Now(), lastAction_));
    return picture_;
}

} // namespace sim
