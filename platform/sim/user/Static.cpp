// DeviceSim: the STATIC class — text left, centred or right in the font it
// was given (an underlined one draws underlined), pictures from bitmap
// resources, and STN_CLICKED for a tap when it has SS_NOTIFY.
#include "user/Controls.h"

#include "kernel/Context.h"

namespace sim {

namespace {

struct StaticState : ControlState {
    HFONT font = nullptr;
    HBITMAP image = nullptr;
    HBITMAP loaded = nullptr; // the template's picture, the control's own
};

DWORD TypeOf(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & SS_TYPEMASK;
}

// A picture control takes the size of its picture, as on the platform.
void FitToImage(HWND hwnd, HBITMAP image) {
    BITMAP bm{};
    if (image && GetObjectW(image, sizeof bm, &bm))
        SetWindowPos(hwnd, nullptr, 0, 0, bm.bmWidth, bm.bmHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PaintText(HWND hwnd, HDC dc, StaticState &s, const RECT &r) {
    WCHAR text[1024];
    GetWindowTextW(hwnd, text, 1024);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    UINT format = DT_WORDBREAK;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER; break;
    case SS_RIGHT: format |= DT_RIGHT; break;
    case SS_LEFTNOWORDWRAP: format = DT_LEFT | DT_SINGLELINE; break;
    default: break;
    }
    if (style & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    if (!IsWindowEnabled(hwnd))
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    HGDIOBJ old = SelectObject(dc, FontOrSystem(s.font));
    RECT box = r;
    DrawTextW(dc, text, -1, &box, format);
    SelectObject(dc, old);
}

void PaintImage(HDC dc, StaticState &s) {
    BITMAP bm{};
    if (!s.image || !GetObjectW(s.image, sizeof bm, &bm))
        return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, s.image);
    BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window *w = Windows().Get(hwnd);
    if (!w)
        return 0;
    if (msg == WM_CREATE) {
        auto state = std::make_shared<StaticState>();
        w->control = state;
        const auto *cs = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        // A picture's text names its bitmap resource: by number as 0xFFFF
        // and the number, or by name.
        if (TypeOf(hwnd) == SS_BITMAP && cs->lpszName && cs->lpszName[0]) {
            LPCWSTR name =
                cs->lpszName[0] == 0xFFFF ? MAKEINTRESOURCEW(cs->lpszName[1]) : cs->lpszName;
            state->image = state->loaded = LoadBitmapW(cs->hInstance, name);
            FitToImage(hwnd, state->image);
            // The resource's number is no text of the control.
            if (cs->lpszName[0] == 0xFFFF)
                w->title.clear();
        }
        return 0;
    }
    StaticState *s = StateAs<StaticState>(w);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        if (HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORSTATIC))
            FillRect(dc, &r, brush);
        if (TypeOf(hwnd) == SS_BITMAP)
            PaintImage(dc, *s);
        else
            PaintText(hwnd, dc, *s, r);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_STATIC;
    // Differs from the platform: a static without SS_NOTIFY still takes the
    // taps on it (the platform lets them through to the window below).
    case WM_LBUTTONDOWN:
        if (GetWindowLongW(hwnd, GWL_STYLE) & SS_NOTIFY)
            CommandParent(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (GetWindowLongW(hwnd, GWL_STYLE) & SS_NOTIFY)
            CommandParent(hwnd, STN_DBLCLK);
        return 0;
    case WM_ENABLE:
        if (GetWindowLongW(hwnd, GWL_STYLE) & SS_NOTIFY)
            CommandParent(hwnd, wParam ? STN_ENABLE : STN_DISABLE);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case STM_SETIMAGE: {
        if (wParam != IMAGE_BITMAP)
            return 0;
        HBITMAP previous = s->image;
        s->image = reinterpret_cast<HBITMAP>(lParam);
        // The caller owns what it is handed back.
        if (previous == s->loaded)
            s->loaded = nullptr;
        if (TypeOf(hwnd) == SS_BITMAP)
            FitToImage(hwnd, s->image);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(previous);
    }
    case STM_GETIMAGE: return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(s->image) : 0;
    case WM_DESTROY:
        if (s->loaded)
            DeleteObject(s->loaded);
        s->loaded = s->image = nullptr;
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterStaticClass(WindowManager &wm) {
    wm.AddClass(std::make_shared<WindowClass>(
        WindowClass{u"STATIC", StaticProc, CS_DBLCLKS, nullptr, nullptr}));
}

} // namespace sim
