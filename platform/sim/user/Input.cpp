// DeviceSim: keys, hot keys and injected input.
#include <windows.h>

#include "user/Input.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <cstdio>

using namespace sim;

namespace sim {

std::string HexText(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

} // namespace sim

BOOL WINAPI RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) {
    InputState &input = Windows().input;
    Window *w = hwnd ? WindowOf(hwnd) : nullptr;
    if (hwnd && !w)
        return FALSE;
    UINT mods = modifiers & ~MOD_KEYUP;
    for (const HotKey &k : input.hotKeys) {
        if (k.window == w && k.id == id)
            return SetError(ERROR_HOTKEY_ALREADY_REGISTERED), FALSE;
        if (k.vk == vk && (k.modifiers & ~MOD_KEYUP) == mods)
            return SetError(ERROR_HOTKEY_ALREADY_REGISTERED), FALSE;
    }
    input.hotKeys.push_back(HotKey{w, &CurrentThread(), id, modifiers, vk});
    return TRUE;
}

BOOL WINAPI UnregisterHotKey(HWND hwnd, int id) {
    InputState &input = Windows().input;
    Window *w = Windows().Get(hwnd);
    auto it = std::find_if(input.hotKeys.begin(), input.hotKeys.end(),
                           [&](const HotKey &k) { return k.window == w && k.id == id; });
    if (it == input.hotKeys.end()) {
        SetError(1419); // ERROR_HOTKEY_NOT_REGISTERED
        return FALSE;
    }
    input.hotKeys.erase(it);
    return TRUE;
}

SHORT WINAPI GetAsyncKeyState(int vk) {
    InputState &input = Windows().input;
    if (vk < 0 || vk > 255)
        return 0;
    return input.down[vk] ? static_cast<SHORT>(0x8000) : 0;
}

void WINAPI keybd_event(BYTE vk, BYTE, DWORD flags, DWORD) {
    CurrentDevice().Record("keybd_event " + HexText(vk) + " " + HexText(flags));
}

void WINAPI mouse_event(DWORD flags, DWORD dx, DWORD dy, DWORD, DWORD) {
    CurrentDevice().Record("mouse_event " + HexText(flags) + " " + std::to_string(dx) + " " +
                           std::to_string(dy));
}
