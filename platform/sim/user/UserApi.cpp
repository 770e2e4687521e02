// DeviceSim: the window manager's calls — classes, windows, messages, timers,
// painting, capture and system metrics.
#include <windows.h>

#include "gdi/Gdi.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <cstring>

using namespace sim;

namespace {

bool OwnThread(Window *w) {
    return w->thread == &CurrentThread();
}

int Scaled(int v) {
    return (v * CurrentGdi().Dpi() + 48) / 96;
}

Region WholeClient(Window *w) {
    return Region(Rect{0, 0, w->rect.Width(), w->rect.Height()});
}

} // namespace

// ------------------------------------------------------------ classes

ATOM WINAPI RegisterClassW(const WNDCLASSW *wc) {
    sim::CountCall("RegisterClassW");
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto cls = std::make_shared<WindowClass>(WindowClass{
        wc->lpszClassName, wc->lpfnWndProc, wc->style, wc->hbrBackground, &CurrentProcess()});
    if (!Windows().AddClass(cls)) {
        SetError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    return static_cast<ATOM>(0xC000 + (reinterpret_cast<uintptr_t>(cls.get()) >> 4 & 0x3FFF));
}

BOOL WINAPI UnregisterClassW(LPCWSTR name, HINSTANCE) {
    sim::CountCall("UnregisterClassW");
    if (!name || !Windows().RemoveClass(name, &CurrentProcess())) {
        SetError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return TRUE;
}

// ------------------------------------------------------------ windows

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x,
                            int y, int cx, int cy, HWND parent, HMENU menu, HINSTANCE instance,
                            LPVOID param) {
    sim::CountCall("CreateWindowExW");
    WindowManager &wm = Windows();
    std::shared_ptr<WindowClass> cls =
        className ? wm.FindClass(className, &CurrentProcess()) : nullptr;
    if (!cls) {
        SetError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !wm.Get(parent)) {
        SetError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if ((style & WS_CHILD) && !parent) {
        SetError(1406); // ERROR_TLW_WITH_WSCHILD
        return nullptr;
    }
    CREATESTRUCTW cs{param, instance,  menu,   parent, cy, cx, y, x, static_cast<LONG>(style),
                     title, className, exStyle};
    Window *w = wm.Create(cs, cls, &CurrentThread());
    HWND hwnd = w->Hwnd();
    if (w->proc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (Window *still = wm.Get(hwnd))
            wm.Destroy(still);
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // The new window then hears its size and place, as on the platform.
    if (wm.Get(hwnd) == w)
        wm.Send(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->rect.Width(), w->rect.Height()));
    if (wm.Get(hwnd) == w)
        wm.Send(w, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
    if ((style & WS_VISIBLE) && wm.Get(hwnd))
        wm.Show(w, SW_SHOW);
    return wm.Get(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    sim::CountCall("DestroyWindow");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    if (!OwnThread(w)) {
        SetError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Windows().Destroy(w);
    return TRUE;
}

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    sim::CountCall("DefWindowProcW");
    Window *w = Windows().Get(hwnd);
    if (!w)
        return 0;
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        if (!w->cls->background)
            return 0;
        RECT r{0, 0, w->rect.Width(), w->rect.Height()};
        FillRect(reinterpret_cast<HDC>(wParam), &r, w->cls->background);
        return 1;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    default: return 0;
    }
}

LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    sim::CountCall("CallWindowProcW");
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmd) {
    sim::CountCall("ShowWindow");
    Window *w = WindowOf(hwnd);
    return w && Windows().Show(w, cmd) ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
    sim::CountCall("SetWindowPos");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    if (!(flags & SWP_NOZORDER) && after != HWND_TOP && after != HWND_BOTTOM &&
        after != HWND_TOPMOST && after != HWND_NOTOPMOST && !Windows().Get(after)) {
        SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Windows().SetPos(w, after, x, y, cx, cy, flags) ? TRUE : FALSE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint) {
    sim::CountCall("MoveWindow");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    Windows().SetPos(w, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!repaint)
        Windows().Validate(w, WholeClient(w));
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT out) {
    sim::CountCall("GetWindowRect");
    Window *w = WindowOf(hwnd);
    if (!w || !out)
        return FALSE;
    Rect r = Windows().ScreenRect(w);
    *out = RECT{r.left, r.top, r.right, r.bottom};
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT out) {
    sim::CountCall("GetClientRect");
    Window *w = WindowOf(hwnd);
    if (!w || !out)
        return FALSE;
    *out = RECT{0, 0, w->rect.Width(), w->rect.Height()};
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT p) {
    sim::CountCall("ClientToScreen");
    Window *w = WindowOf(hwnd);
    if (!w || !p)
        return FALSE;
    Rect r = Windows().ScreenRect(w);
    p->x += r.left;
    p->y += r.top;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT p) {
    sim::CountCall("ScreenToClient");
    Window *w = WindowOf(hwnd);
    if (!w || !p)
        return FALSE;
    Rect r = Windows().ScreenRect(w);
    p->x -= r.left;
    p->y -= r.top;
    return TRUE;
}

HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR title) {
    sim::CountCall("FindWindowW");
    std::u16string t = title ? std::u16string(title) : std::u16string();
    Window *w = Windows().FindTopmost(className ? std::u16string(className) : std::u16string(),
                                      title ? &t : nullptr);
    return w ? w->Hwnd() : nullptr;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    sim::CountCall("SetForegroundWindow");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    while (w->parent)
        w = w->parent;
    Windows().SetPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Windows().Activate(w);
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void) {
    sim::CountCall("GetForegroundWindow");
    Window *w = Windows().foreground;
    return w ? w->Hwnd() : nullptr;
}

HWND WINAPI SetFocus(HWND hwnd) {
    sim::CountCall("SetFocus");
    Window *w = Windows().Get(hwnd);
    if (hwnd && (!w || !OwnThread(w))) {
        SetError(w ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    Window *old = Windows().focus;
    Windows().focus = w;
    return old ? old->Hwnd() : nullptr;
}

HWND WINAPI GetFocus(void) {
    sim::CountCall("GetFocus");
    Window *w = Windows().focus;
    return w ? w->Hwnd() : nullptr;
}

HWND WINAPI SetActiveWindow(HWND hwnd) {
    sim::CountCall("SetActiveWindow");
    HWND old = GetForegroundWindow();
    if (Window *w = WindowOf(hwnd))
        Windows().Activate(w);
    return old;
}

HWND WINAPI GetActiveWindow(void) {
    sim::CountCall("GetActiveWindow");
    return GetForegroundWindow();
}

BOOL WINAPI IsWindow(HWND hwnd) {
    sim::CountCall("IsWindow");
    return Windows().Get(hwnd) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    sim::CountCall("IsWindowVisible");
    for (Window *w = Windows().Get(hwnd); w; w = w->parent)
        if (!w->Visible())
            return FALSE;
    return Windows().Get(hwnd) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
    sim::CountCall("IsWindowEnabled");
    Window *w = Windows().Get(hwnd);
    return w && w->Enabled() ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
    sim::CountCall("EnableWindow");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    BOOL wasDisabled = w->Enabled() ? FALSE : TRUE;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    if (wasDisabled == enable)
        Windows().Send(w, WM_ENABLE, enable, 0);
    return wasDisabled;
}

HWND WINAPI GetWindow(HWND hwnd, UINT cmd) {
    sim::CountCall("GetWindow");
    WindowManager &wm = Windows();
    Window *w = wm.Get(hwnd);
    auto handleOf = [](Window *x) { return x ? x->Hwnd() : nullptr; };
    if (cmd == GW_CHILD) {
        if (!hwnd)
            return wm.TopLevel().empty() ? nullptr : wm.TopLevel().front()->Hwnd();
        if (!w)
            return SetError(ERROR_INVALID_WINDOW_HANDLE), nullptr;
        return w->children.empty() ? nullptr : w->children.front()->Hwnd();
    }
    if (!w) {
        SetError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const std::vector<Window *> &list = w->parent ? w->parent->children : wm.TopLevel();
    auto self = std::find(list.begin(), list.end(), w);
    switch (cmd) {
    case GW_HWNDFIRST: return handleOf(list.empty() ? nullptr : list.front());
    // The ends of the whole list of siblings, top-most band included: a
    // task bar sent to the bottom by a full-screen program is the last.
    case GW_HWNDLAST: return handleOf(list.empty() ? nullptr : list.back());
    case GW_HWNDNEXT: return self + 1 < list.end() ? (*(self + 1))->Hwnd() : nullptr;
    case GW_HWNDPREV: return self > list.begin() ? (*(self - 1))->Hwnd() : nullptr;
    case GW_OWNER: return handleOf(w->owner);
    default: SetError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HWND WINAPI GetParent(HWND hwnd) {
    sim::CountCall("GetParent");
    Window *w = WindowOf(hwnd);
    if (!w)
        return nullptr;
    Window *p = w->parent ? w->parent : w->owner;
    return p ? p->Hwnd() : nullptr;
}

HWND WINAPI GetDesktopWindow(void) {
    sim::CountCall("GetDesktopWindow");
    return nullptr;
}

int WINAPI GetClassNameW(HWND hwnd, LPWSTR buffer, int max) {
    sim::CountCall("GetClassNameW");
    Window *w = WindowOf(hwnd);
    if (!w || !buffer || max <= 0)
        return 0;
    const std::u16string &name = w->cls->name;
    int n = std::min<int>(static_cast<int>(name.size()), max - 1);
    std::copy(name.begin(), name.begin() + n, buffer);
    buffer[n] = 0;
    return n;
}

int WINAPI GetWindowTextW(HWND hwnd, LPWSTR buffer, int max) {
    sim::CountCall("GetWindowTextW");
    Window *w = WindowOf(hwnd);
    if (!w || !buffer || max <= 0)
        return 0;
    int n = std::min<int>(static_cast<int>(w->title.size()), max - 1);
    std::copy(w->title.begin(), w->title.begin() + n, buffer);
    buffer[n] = 0;
    return n;
}

BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text) {
    sim::CountCall("SetWindowTextW");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    w->title = text ? text : u"";
    return TRUE;
}

LONG WINAPI GetWindowLongW(HWND hwnd, int index) {
    sim::CountCall("GetWindowLongW");
    Window *w = WindowOf(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_ID: return static_cast<LONG>(w->id);
    case GWL_USERDATA: return static_cast<LONG>(w->userData);
    default: SetError(ERROR_INVALID_PARAMETER); return 0;
    }
}

LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value) {
    sim::CountCall("SetWindowLongW");
    Window *w = WindowOf(hwnd);
    if (!w)
        return 0;
    LONG old = GetWindowLongW(hwnd, index);
    switch (index) {
    case GWL_STYLE: Windows().Change([&] { w->style = static_cast<DWORD>(value); }); break;
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); break;
    case GWL_ID: w->id = value; break;
    case GWL_USERDATA: w->userData = value; break;
    default: SetError(ERROR_INVALID_PARAMETER); return 0;
    }
    return old;
}

BOOL WINAPI SetPropW(HWND hwnd, LPCWSTR name, HANDLE data) {
    sim::CountCall("SetPropW");
    Window *w = WindowOf(hwnd);
    if (!w || !name)
        return FALSE;
    for (auto &p : w->props)
        if (p.first == name) {
            p.second = data;
            return TRUE;
        }
    w->props.emplace_back(name, data);
    return TRUE;
}

HANDLE WINAPI GetPropW(HWND hwnd, LPCWSTR name) {
    sim::CountCall("GetPropW");
    Window *w = Windows().Get(hwnd);
    if (!w || !name)
        return nullptr;
    for (auto &p : w->props)
        if (p.first == name)
            return p.second;
    return nullptr;
}

HANDLE WINAPI RemovePropW(HWND hwnd, LPCWSTR name) {
    sim::CountCall("RemovePropW");
    Window *w = Windows().Get(hwnd);
    if (!w || !name)
        return nullptr;
    for (auto it = w->props.begin(); it != w->props.end(); ++it)
        if (it->first == name) {
            HANDLE data = it->second;
            w->props.erase(it);
            return data;
        }
    return nullptr;
}

int WINAPI SetWindowRgn(HWND hwnd, HRGN hrgn, BOOL redraw) {
    sim::CountCall("SetWindowRgn");
    Window *w = WindowOf(hwnd);
    if (!w)
        return 0;
    std::optional<Region> shape;
    if (hrgn) {
        GdiObject *r = CurrentGdi().Get(hrgn, GdiObject::Kind::Region);
        if (!r)
            return 0;
        shape = r->region;
        // The system owns the region from now on.
        CurrentGdi().Delete(hrgn);
    }
    Windows().Change([&] { w->shape = shape; });
    if (redraw)
        Windows().Invalidate(w, WholeClient(w), true);
    return 1;
}

int WINAPI GetWindowRgn(HWND hwnd, HRGN hrgn) {
    sim::CountCall("GetWindowRgn");
    Window *w = WindowOf(hwnd);
    GdiObject *r = CurrentGdi().Get(hrgn, GdiObject::Kind::Region);
    if (!w || !r || !w->shape)
        return ERROR;
    r->region = *w->shape;
    return r->region.Kind();
}

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
        callback(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(CurrentTime()));
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
    Thread &self = CurrentThread();
    if (!self.messages)
        self.messages = std::make_unique<ThreadMessages>();
    self.messages->quit = true;
    self.messages->quitCode = code;
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

// ------------------------------------------------------------ painting

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT *r, BOOL erase) {
    sim::CountCall("InvalidateRect");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    Windows().Invalidate(w, r ? Region(Rect{r->left, r->top, r->right, r->bottom}) : WholeClient(w),
                         erase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT *r) {
    sim::CountCall("ValidateRect");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    Windows().Validate(w, r ? Region(Rect{r->left, r->top, r->right, r->bottom}) : WholeClient(w));
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    sim::CountCall("UpdateWindow");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    Windows().UpdateNow(w);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT out, BOOL) {
    sim::CountCall("GetUpdateRect");
    Window *w = WindowOf(hwnd);
    if (!w)
        return FALSE;
    Rect b = w->update.Bounds();
    if (out)
        *out = RECT{b.left, b.top, b.right, b.bottom};
    return w->update.Empty() ? FALSE : TRUE;
}

HDC WINAPI GetDC(HWND hwnd) {
    sim::CountCall("GetDC");
    Gdi &gdi = CurrentGdi();
    if (!hwnd) {
        Rect all{0, 0, gdi.Screen().width, gdi.Screen().height};
        return gdi.CreateScreenDC(&CurrentProcess(), nullptr, 0, 0, Region(all));
    }
    Window *w = WindowOf(hwnd);
    if (!w)
        return nullptr;
    Rect r = Windows().ScreenRect(w);
    return gdi.CreateScreenDC(&CurrentProcess(), hwnd, r.left, r.top, Windows().VisibleRegion(w));
}

HDC WINAPI GetWindowDC(HWND hwnd) {
    sim::CountCall("GetWindowDC");
    return GetDC(hwnd);
}

int WINAPI ReleaseDC(HWND, HDC hdc) {
    sim::CountCall("ReleaseDC");
    GdiObject *dc = CurrentGdi().Get(hdc, GdiObject::Kind::DC);
    if (!dc || !dc->screen)
        return 0;
    return CurrentGdi().Delete(hdc) ? 1 : 0;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    sim::CountCall("BeginPaint");
    Window *w = WindowOf(hwnd);
    if (!w || !ps)
        return nullptr;
    WindowManager &wm = Windows();
    Rect r = wm.ScreenRect(w);
    Region update = w->update;
    bool erase = w->erase;
    w->update = Region();
    w->erase = false;
    HDC hdc =
        CurrentGdi().CreateScreenDC(&CurrentProcess(), hwnd, r.left, r.top,
                                    wm.VisibleRegion(w).Intersect(update.Offset(r.left, r.top)));
    *ps = PAINTSTRUCT{};
    ps->hdc = hdc;
    Rect b = update.Bounds();
    ps->rcPaint = RECT{b.left, b.top, b.right, b.bottom};
    ps->fErase =
        erase ? (w->proc(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0) : FALSE;
    return hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT *ps) {
    sim::CountCall("EndPaint");
    if (!ps)
        return FALSE;
    return CurrentGdi().Delete(ps->hdc) ? TRUE : FALSE;
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

// ------------------------------------------------------------ system

int WINAPI GetSystemMetrics(int index) {
    sim::CountCall("GetSystemMetrics");
    Gdi &gdi = CurrentGdi();
    switch (index) {
    case SM_CXSCREEN: return gdi.Screen().width;
    case SM_CYSCREEN: return gdi.Screen().height;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL: return Scaled(13);
    case SM_CYCAPTION: return Scaled(26);
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return Scaled(2);
    case SM_CXICON:
    case SM_CYICON: return Scaled(32);
    case SM_CXSMICON:
    case SM_CYSMICON: return Scaled(16);
    case SM_CYMENU: return 26;
    default: return 0;
    }
}

BOOL WINAPI SystemParametersInfoW(UINT action, UINT, PVOID param, UINT) {
    sim::CountCall("SystemParametersInfoW");
    WindowManager &wm = Windows();
    if (action == SPI_GETWORKAREA && param) {
        Rect area = wm.WorkArea();
        RECT out{area.left, area.top, area.right, area.bottom};
        std::memcpy(param, &out, sizeof out);
        return TRUE;
    }
    if (action == SPI_SETWORKAREA && param) {
        RECT in;
        std::memcpy(&in, param, sizeof in);
        Rect area{in.left, in.top, in.right, in.bottom};
        Rect screen{0, 0, CurrentGdi().Screen().width, CurrentGdi().Screen().height};
        if (area.Empty() || !(area.Intersect(screen) == area)) {
            SetError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        wm.workArea = area;
        return TRUE;
    }
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

DWORD WINAPI GetSysColor(int index) {
    sim::CountCall("GetSysColor");
    switch (index) {
    case COLOR_WINDOW: return 0xFFFFFF;
    case COLOR_WINDOWTEXT: return 0x000000;
    case COLOR_BTNFACE:
    case COLOR_STATIC: return 0xC0C0C0;
    default: return 0x808080;
    }
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    sim::CountCall("GetSysColorBrush");
    return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(index + 1));
}

HCURSOR WINAPI LoadCursorW(HINSTANCE, LPCWSTR name) {
    sim::CountCall("LoadCursorW");
    return reinterpret_cast<HCURSOR>(reinterpret_cast<uintptr_t>(name));
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    sim::CountCall("SetCursor");
    static_cast<void>(cursor);
    return nullptr;
}
