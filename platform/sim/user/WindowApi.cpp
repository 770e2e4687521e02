// DeviceSim: the window calls — classes, windows, their places, texts,
// properties and regions.
#include <windows.h>

#include "gdi/Gdi.h"
#include "user/Dialog.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <cstring>

using namespace sim;

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
    // Differs from the platform: classes are found by name only; a class
    // atom (MAKEINTATOM) finds none.
    std::shared_ptr<WindowClass> cls = className && !IS_INTRESOURCE(className)
                                           ? wm.FindClass(className, &CurrentProcess())
                                           : nullptr;
    if (!cls) {
        SetError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !wm.Get(parent)) {
        SetError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if ((style & WS_CHILD) && !parent) {
        SetError(ERROR_TLW_WITH_WSCHILD);
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

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
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
    // The window's text, which SetDlgItemTextW and GetDlgItemTextW reach.
    case WM_SETTEXT: w->title = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u""; return TRUE;
    case WM_GETTEXT: {
        auto *buffer = reinterpret_cast<LPWSTR>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        size_t n = std::min<size_t>(w->title.size(), wParam - 1);
        std::copy(w->title.begin(), w->title.begin() + static_cast<ptrdiff_t>(n), buffer);
        buffer[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->title.size());
    // Dialogs, static texts and buttons in the system's colours: Windows
    // Mobile's buttons stand on the dialog's white.
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
        auto dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, GetSysColor(COLOR_STATIC));
        SetTextColor(dc, GetSysColor(COLOR_STATICTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_STATIC));
    }
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

// The active window of the calling thread: the foreground window when it
// is one of the thread's, else none.
HWND WINAPI GetActiveWindow(void) {
    sim::CountCall("GetActiveWindow");
    Window *w = Windows().foreground;
    return w && OwnThread(w) ? w->Hwnd() : nullptr;
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

namespace {

// A window value of `size` bytes: 4 for the LONG forms, 8 for the pointer
// forms. As on a 64-bit system, the LONG forms refuse the values that only
// a pointer holds, and non-negative indexes are the dialog's window bytes.
bool ReadWindowLong(Window *w, int index, size_t size, LONG_PTR *value) {
    const bool pointer = size == sizeof(LONG_PTR);
    switch (index) {
    case GWL_STYLE: *value = static_cast<LONG_PTR>(w->style); return true;
    case GWL_EXSTYLE: *value = static_cast<LONG_PTR>(w->exStyle); return true;
    case GWLP_ID: *value = w->id; return true;
    case GWLP_USERDATA: *value = w->userData; return true;
    case GWLP_WNDPROC: *value = reinterpret_cast<LONG_PTR>(w->proc); return pointer;
    case GWLP_HINSTANCE:
        // Differs from the platform: the instance given to CreateWindowExW
        // is not kept; the window's program is answered.
        *value = reinterpret_cast<LONG_PTR>(w->thread->process ? w->thread->process->Instance()
                                                               : nullptr);
        return pointer;
    case GWLP_HWNDPARENT: {
        Window *p = w->parent ? w->parent : w->owner;
        *value = reinterpret_cast<LONG_PTR>(p ? p->Hwnd() : nullptr);
        return pointer;
    }
    default: break;
    }
    DialogInfo *dialog = DialogInfoOf(w);
    if (index < 0 || !dialog || size_t(index) + size > sizeof dialog->bytes)
        return false;
    LONG_PTR v = 0;
    if (pointer) {
        std::memcpy(&v, dialog->bytes + index, sizeof v);
    } else {
        LONG l;
        std::memcpy(&l, dialog->bytes + index, sizeof l);
        v = l;
    }
    *value = v;
    return true;
}

// Sets a window value and gives the one before; false, with the error set,
// for an index the window does not have.
bool WriteWindowLong(Window *w, int index, size_t size, LONG_PTR value, LONG_PTR *old) {
    if (!ReadWindowLong(w, index, size, old)) {
        SetError(ERROR_INVALID_INDEX);
        return false;
    }
    switch (index) {
    case GWL_STYLE: Windows().Change([&] { w->style = static_cast<DWORD>(value); }); return true;
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); return true;
    case GWLP_ID: w->id = value; return true;
    case GWLP_USERDATA: w->userData = value; return true;
    case GWLP_WNDPROC:
        // A null procedure is not taken: the window keeps the one it has.
        if (value)
            w->proc = reinterpret_cast<WNDPROC>(value);
        return true;
    case GWLP_HINSTANCE:
    case GWLP_HWNDPARENT:
        // Differs from the platform: a window's instance, owner and parent
        // cannot be changed this way.
        SetError(ERROR_INVALID_INDEX);
        return false;
    default: break;
    }
    DialogInfo *dialog = DialogInfoOf(w);
    if (size == sizeof(LONG_PTR)) {
        std::memcpy(dialog->bytes + index, &value, sizeof value);
    } else {
        LONG l = static_cast<LONG>(value);
        std::memcpy(dialog->bytes + index, &l, sizeof l);
    }
    return true;
}

} // namespace

LONG WINAPI GetWindowLongW(HWND hwnd, int index) {
    sim::CountCall("GetWindowLongW");
    Window *w = WindowOf(hwnd);
    if (!w)
        return 0;
    LONG_PTR value;
    if (!ReadWindowLong(w, index, sizeof(LONG), &value)) {
        SetError(ERROR_INVALID_INDEX);
        return 0;
    }
    return static_cast<LONG>(value);
}

LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value) {
    sim::CountCall("SetWindowLongW");
    Window *w = WindowOf(hwnd);
    LONG_PTR old = 0;
    if (!w || !WriteWindowLong(w, index, sizeof(LONG), value, &old))
        return 0;
    return static_cast<LONG>(old);
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index) {
    sim::CountCall("GetWindowLongPtrW");
    Window *w = WindowOf(hwnd);
    if (!w)
        return 0;
    LONG_PTR value;
    if (!ReadWindowLong(w, index, sizeof(LONG_PTR), &value)) {
        SetError(ERROR_INVALID_INDEX);
        return 0;
    }
    return value;
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    sim::CountCall("SetWindowLongPtrW");
    Window *w = WindowOf(hwnd);
    LONG_PTR old = 0;
    if (!w || !WriteWindowLong(w, index, sizeof(LONG_PTR), value, &old))
        return 0;
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
