// DeviceSim: the painting calls — invalidation, WM_PAINT and window DCs.
#include <windows.h>

#include "gdi/Gdi.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <cstring>

using namespace sim;

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
