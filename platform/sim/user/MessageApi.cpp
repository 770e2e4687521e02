// DeviceSim: the message and timer calls.
#include <windows.h>

#include "gdi/Gdi.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <cstring>

using namespace sim;

// ------------------------------------------------------------ messages

BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last) {
    sim::CountCall("GetMessageW");
    // No message can come for a window that is not there: the platform fails
    // at once with -1 rather than wait for ever.
    if (hwnd && !WindowOf(hwnd))
        return -1;
    Windows().NextMessage(msg, hwnd, first, last, true, true);
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    sim::CountCall("PeekMessageW");
    return Windows().NextMessage(msg, hwnd, first, last, false, (remove & PM_REMOVE) != 0) ? TRUE
                                                                                           : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG *) {
    sim::CountCall("TranslateMessage");
    return FALSE;
}

LRESULT WINAPI DispatchMessageW(const MSG *msg) {
    sim::CountCall("DispatchMessageW");
    if (!msg)
        return 0;
    Window *w = Windows().Get(msg->hwnd);
    if (msg->message == WM_TIMER && msg->lParam) {
        // Only a callback given to SetTimer is called: a WM_TIMER posted by
        // anyone with some number in lParam is dropped.
        auto callback = reinterpret_cast<TIMERPROC>(msg->lParam);
        if ((msg->hwnd && !w) ||
            !Windows().IsTimerCallback(w, &CurrentThread(), msg->wParam, callback))
            return 0;
        callback(msg->hwnd, WM_TIMER, msg->wParam, CurrentKernel().TickCount());
        return 0;
    }
    if (!w || !OwnThread(w))
        return 0;
    return w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    sim::CountCall("PostMessageW");
    WindowManager &wm = Windows();
    if (CarriesPointers(msg)) {
        SetError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    if (!hwnd)
        return wm.PostToThread(&CurrentThread(), nullptr, msg, wParam, lParam) ? TRUE : FALSE;
    if (hwnd == HWND_BROADCAST) {
        for (Window *w : std::vector<Window *>(wm.TopLevel()))
            wm.Post(w, msg, wParam, lParam);
        return TRUE;
    }
    Window *w = WindowOf(hwnd);
    return w && wm.Post(w, msg, wParam, lParam) ? TRUE : FALSE;
}

LRESULT WINAPI SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    sim::CountCall("SendMessageW");
    WindowManager &wm = Windows();
    if (hwnd == HWND_BROADCAST) {
        for (Window *w : std::vector<Window *>(wm.TopLevel()))
            if (wm.Get(w->Hwnd()))
                wm.Send(w, msg, wParam, lParam);
        return 0;
    }
    Window *w = WindowOf(hwnd);
    return w ? wm.Send(w, msg, wParam, lParam) : 0;
}

void WINAPI PostQuitMessage(int code) {
    sim::CountCall("PostQuitMessage");
    ThreadMessages &queue = Windows().QueueOf(&CurrentThread());
    queue.quit = true;
    queue.quitCode = code;
}

// ------------------------------------------------------------ timers

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC callback) {
    sim::CountCall("SetTimer");
    Window *w = nullptr;
    if (hwnd) {
        w = WindowOf(hwnd);
        if (!w || !OwnThread(w)) {
            SetError(w ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
    }
    return Windows().SetTimer(w, id, elapse, callback);
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    sim::CountCall("KillTimer");
    Window *w = hwnd ? Windows().Get(hwnd) : nullptr;
    if (hwnd && !w) {
        SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Windows().KillTimer(w, id) ? TRUE : FALSE;
}
