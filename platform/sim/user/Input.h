// DeviceSim: the device's keys and the hot keys registered on them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sim {

struct Window;
class Thread;

struct HotKey {
    Window *window;
    Thread *thread;
    int id;
    UINT modifiers; // with MOD_KEYUP when releases are wanted too
    UINT vk;
};

struct InputState {
    bool down[256] = {};
    std::vector<HotKey> hotKeys;
};

std::string HexText(uint32_t value);

} // namespace sim
