// DeviceSim: the device's keys and stylus, hot keys, and injected input.
//
// Physical input (from the driver of the device) and injected input (from
// keybd_event and mouse_event) take the same road: a key updates the key
// state, then goes to the hot key registered on it with the exact modifiers
// held, or else (an application button) to the shell, which runs what the
// button is assigned, or else to the focus window; a stylus event goes to the window that
// has the capture, or else to the window under its point.
#include <windows.h>

#include "gdi/Gdi.h"
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

namespace {

bool IsDirectionKey(int vk) {
    return vk >= VK_LEFT && vk <= VK_DOWN;
}

UINT HeldModifiers(const InputState &input) {
    UINT mods = 0;
    if (input.down[VK_MENU])
        mods |= MOD_ALT;
    if (input.down[VK_CONTROL])
        mods |= MOD_CONTROL;
    if (input.down[VK_SHIFT])
        mods |= MOD_SHIFT;
    if (input.down[VK_LWIN])
        mods |= MOD_WIN;
    return mods;
}

// The visible top-level or child window at a screen point that takes the
// stylus: hidden windows and those whose region leaves the point out are
// passed over; a disabled child gives the point to its parent, and a
// disabled top-level window swallows it.
Window *StylusTarget(WindowManager &wm, const std::vector<Window *> &list, int x, int y,
                     Window *parent) {
    for (Window *w : list) {
        if (!w->Visible())
            continue;
        Rect r = wm.ScreenRect(w);
        bool inside = w->shape ? w->shape->Contains(x - r.left, y - r.top) : r.Contains(x, y);
        if (!inside)
            continue;
        if (!w->Enabled())
            return parent;
        return StylusTarget(wm, w->children, x, y, w);
    }
    return parent;
}

} // namespace

void RouteKey(WindowManager &wm, int vk, bool up, bool repeat) {
    InputState &input = wm.input;
    if (vk <= 0 || vk > 255)
        return;
    input.down[vk] = !up;
    UINT mods = HeldModifiers(input);
    for (const HotKey &k : input.hotKeys) {
        if (k.vk != static_cast<UINT>(vk) || (k.modifiers & ~MOD_KEYUP) != mods)
            continue;
        if (up && !(k.modifiers & MOD_KEYUP))
            break; // the release of a hot key without MOD_KEYUP goes on as a key
        LPARAM lParam = MAKELPARAM(mods | (up ? MOD_KEYUP : 0), vk);
        if (k.window)
            wm.Post(k.window, WM_HOTKEY, static_cast<WPARAM>(k.id), lParam);
        else
            wm.PostToThread(k.thread, nullptr, WM_HOTKEY, static_cast<WPARAM>(k.id), lParam);
        return;
    }
    Window *target = wm.focus ? wm.focus : wm.foreground;
    if (vk >= VK_APP1 && vk <= VK_APP6)
        if (Window *shell = wm.Get(input.appKeyReceiver))
            target = shell;
    if (!target)
        return;
    LPARAM flags = 1 | (up ? 0xC0000000 : 0) | (repeat ? 0x40000000 : 0);
    wm.Post(target, up ? WM_KEYUP : WM_KEYDOWN, static_cast<WPARAM>(vk), flags);
}

void RouteStylus(WindowManager &wm, StylusAction action, int x, int y) {
    InputState &input = wm.input;
    x = std::clamp(x, 0, wm.gdi.Screen().width - 1);
    y = std::clamp(y, 0, wm.gdi.Screen().height - 1);
    input.stylusX = x;
    input.stylusY = y;
    if (action == StylusAction::Down)
        input.down[VK_LBUTTON] = true;
    if (action == StylusAction::Up)
        input.down[VK_LBUTTON] = false;
    if (input.swallowStylus) {
        if (action == StylusAction::Up)
            input.swallowStylus = false;
        return;
    }
    Window *target = wm.capture ? wm.capture : StylusTarget(wm, wm.TopLevel(), x, y, nullptr);
    if (!target)
        return;
    if (action == StylusAction::Down) {
        Window *top = target;
        while (top->parent)
            top = top->parent;
        wm.Activate(top);
    }
    Rect r = wm.ScreenRect(target);
    UINT msg = action == StylusAction::Down ? WM_LBUTTONDOWN
               : action == StylusAction::Up ? WM_LBUTTONUP
                                            : WM_MOUSEMOVE;
    WPARAM keys = input.down[VK_LBUTTON] ? MK_LBUTTON : 0;
    wm.Post(target, msg, keys, MAKELPARAM(x - r.left, y - r.top));
}

void ScheduleRepeat(WindowManager &wm, int vk, uint64_t generation, int delay) {
    Kernel &kernel = wm.kernel;
    kernel.scheduler().At(kernel.Now() + static_cast<uint64_t>(delay), [&wm, vk, generation] {
        InputState &input = wm.input;
        int period = wm.input.repeatPeriod;
        if (!input.held[vk] || input.generation[vk] != generation || period <= 0)
            return;
        RouteKey(wm, vk, false, true);
        ScheduleRepeat(wm, vk, generation, period);
    });
}

void PressKey(WindowManager &wm, int vk, bool up) {
    if (vk <= 0 || vk > 255)
        return;
    InputState &input = wm.input;
    bool wasHeld = input.held[vk];
    input.held[vk] = !up;
    RouteKey(wm, vk, up, false);
    ++input.generation[vk];
    int delay = wm.input.repeatDelay;
    if (!up && !wasHeld && delay > 0)
        ScheduleRepeat(wm, vk, input.generation[vk], delay);
}

} // namespace sim

BOOL WINAPI RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) {
    sim::CountCall("RegisterHotKey");
    InputState &input = Windows().input;
    Window *w = hwnd ? WindowOf(hwnd) : nullptr;
    if (hwnd && !w)
        return FALSE;
    UINT mods = modifiers & ~MOD_KEYUP;
    for (const HotKey &k : input.hotKeys) {
        if ((k.window == w && k.id == id) || (k.vk == vk && (k.modifiers & ~MOD_KEYUP) == mods)) {
            SetError(ERROR_HOTKEY_ALREADY_REGISTERED);
            return FALSE;
        }
    }
    input.hotKeys.push_back(HotKey{w, &CurrentThread(), id, modifiers, vk});
    return TRUE;
}

BOOL WINAPI UnregisterHotKey(HWND hwnd, int id) {
    sim::CountCall("UnregisterHotKey");
    InputState &input = Windows().input;
    Window *w = Windows().Get(hwnd);
    auto it = std::find_if(input.hotKeys.begin(), input.hotKeys.end(), [&](const HotKey &k) {
        // A thread frees only the hot keys it registered.
        return k.window == w && k.id == id && k.thread == &CurrentThread();
    });
    if (it == input.hotKeys.end()) {
        SetError(ERROR_HOTKEY_NOT_REGISTERED);
        return FALSE;
    }
    input.hotKeys.erase(it);
    return TRUE;
}

SHORT WINAPI GetAsyncKeyState(int vk) {
    sim::CountCall("GetAsyncKeyState");
    WindowManager &wm = Windows();
    if (vk <= 0 || vk > 255)
        return 0;
    if (IsDirectionKey(vk) && wm.input.keysUnreadable)
        return 0;
    return wm.input.down[vk] ? static_cast<SHORT>(0x8000) : 0;
}

void WINAPI keybd_event(BYTE vk, BYTE, DWORD flags, DWORD) {
    sim::CountCall("keybd_event");
    WindowManager &wm = Windows();
    wm.kernel.Record("keybd_event " + HexText(vk) + " " + HexText(flags));
    RouteKey(wm, vk, (flags & KEYEVENTF_KEYUP) != 0, false);
}

void WINAPI mouse_event(DWORD flags, DWORD dx, DWORD dy, DWORD, DWORD) {
    sim::CountCall("mouse_event");
    WindowManager &wm = Windows();
    Kernel &kernel = wm.kernel;
    kernel.Record("mouse_event " + HexText(flags) + " " + std::to_string(dx) + " " +
                  std::to_string(dy));
    int x = wm.input.stylusX, y = wm.input.stylusY;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        // 0..65535 spans the screen; the nearest pixel is taken, so a point
        // formed as p * 65536 / size comes back as p.
        x = static_cast<int>(
            (std::min<uint64_t>(dx, 65535) * uint64_t(wm.gdi.Screen().width) + 32768) >> 16);
        y = static_cast<int>(
            (std::min<uint64_t>(dy, 65535) * uint64_t(wm.gdi.Screen().height) + 32768) >> 16);
    } else {
        x += static_cast<int32_t>(dx);
        y += static_cast<int32_t>(dy);
    }
    if (flags & MOUSEEVENTF_MOVE)
        RouteStylus(wm, StylusAction::Move, x, y);
    if (flags & MOUSEEVENTF_LEFTDOWN)
        RouteStylus(wm, StylusAction::Down, x, y);
    if (flags & MOUSEEVENTF_LEFTUP)
        RouteStylus(wm, StylusAction::Up, x, y);
}

// ------------------------------------------------------------ capture

HWND WINAPI SetCapture(HWND hwnd) {
    sim::CountCall("SetCapture");
    // A thread captures the stylus only for its own windows.
    Window *w = Windows().Get(hwnd);
    if (!w || !OwnThread(w))
        return nullptr;
    Window *old = Windows().capture;
    Windows().capture = w;
    return old ? old->Hwnd() : nullptr;
}

BOOL WINAPI ReleaseCapture(void) {
    sim::CountCall("ReleaseCapture");
    // Only the thread whose window holds the capture can release it.
    Window *w = Windows().capture;
    if (w && OwnThread(w))
        Windows().capture = nullptr;
    return TRUE;
}

HWND WINAPI GetCapture(void) {
    sim::CountCall("GetCapture");
    // Another thread's capture is not reported: NULL says only that this
    // thread holds none.
    Window *w = Windows().capture;
    return w && OwnThread(w) ? w->Hwnd() : nullptr;
}
