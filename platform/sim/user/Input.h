// DeviceSim: the device's keys and stylus, and the hot keys registered on
// the keys.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct Window;
class Thread;
class WindowManager;

struct HotKey {
    Window *window;
    Thread *thread;
    int id;
    UINT modifiers; // with MOD_KEYUP when releases are wanted too
    UINT vk;
};

struct InputState {
    // The key state programs read (injected events change it too).
    bool down[256] = {};
    // The keys the user holds; what auto-repeat follows.
    bool held[256] = {};
    // Bumped on every change of a key, so a pending auto-repeat of an older
    // press knows it is stale.
    uint64_t generation[256] = {};
    std::vector<HotKey> hotKeys;
    // The shell's window that hears the application buttons (VK_APP1 ..
    // VK_APP6) no hot key has taken; without it they go to the focus.
    HWND appKeyReceiver = nullptr;
    int stylusX = 0, stylusY = 0;
    // The press that closed a pop-up menu goes no further: neither it nor
    // anything the stylus does until it lifts reaches a window.
    bool swallowStylus = false;
    // GetAsyncKeyState never reports the direction keys down (devices of
    // that kind exist).
    bool keysUnreadable = false;
    // Auto-repeat of a held key, in ms: the first repeat, then the period;
    // a delay of 0 turns it off.
    int repeatDelay = 500;
    int repeatPeriod = 100;
};

enum class StylusAction { Down, Move, Up };

// A key goes down or up as on the device's keyboard, with auto-repeat.
void PressKey(WindowManager &wm, int vk, bool up);
// One key event without auto-repeat (injected input, and each repeat).
void RouteKey(WindowManager &wm, int vk, bool up, bool repeat);
void RouteStylus(WindowManager &wm, StylusAction action, int x, int y);

std::string HexText(uint32_t value);

} // namespace sim
