// Test helpers for code that runs inside a device and speaks only the
// platform's <windows.h>: window classes and message pumps.
#pragma once

#include <windows.h>

namespace test {

// Registers a window class of that name whose windows `proc` serves.
inline ATOM RegisterWindowClass(const WCHAR *name, WNDPROC proc = DefWindowProcW) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    return RegisterClassW(&wc);
}

// Dispatches the calling thread's messages for `ms` of device time; one
// thread timer wakes the pump at the end. Time is measured as a difference
// of tick counts, which stays right when the count wraps.
inline void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    UINT_PTR timer = 0;
    MSG msg;
    while (GetTickCount() - start < ms) {
        timer = SetTimer(nullptr, timer, ms - (GetTickCount() - start), nullptr);
        GetMessageW(&msg, nullptr, 0, 0);
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, timer);
}

// Dispatches the calling thread's messages until WM_QUIT.
inline void PumpUntilQuit() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0))
        DispatchMessageW(&msg);
}

} // namespace test
