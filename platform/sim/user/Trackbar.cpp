// DeviceSim: the trackbar, "msctls_trackbar32" — a thumb on a channel over
// a range of positions, moved by the keys, by dragging the thumb and by taps
// on the channel, each move reported to the parent as WM_HSCROLL (WM_VSCROLL
// when vertical) and every move ended by TB_ENDTRACK.
#include "user/Controls.h"

#include "kernel/Context.h"

#include <commctrl.h>

#include <algorithm>

namespace sim {

namespace {

struct TrackbarState : ControlState {
    int min = 0, max = 100, pos = 0;
    int line = 1, page = 20, ticFreq = 1;
    bool dragging = false;
    bool paging = false; // the stylus went down on the channel
    // The layout of the last size, in client coordinates: the thumb's
    // centre runs from `from` to `to` along the control.
    int from = 0, to = 0, across = 0, half = 0;
    Window *window = nullptr;

    bool Vertical() const { return (window->style & TBS_VERT) != 0; }
    int Clamp(int p) const { return std::clamp(p, min, std::max(min, max)); }
    int CentreOf(int p) const {
        if (max <= min)
            return from;
        return from + static_cast<int>(int64_t{Clamp(p) - min} * (to - from) / (max - min));
    }
    int PositionAt(int along) const {
        if (to <= from || max <= min)
            return min;
        int64_t span = to - from, offset = std::clamp(along - from, 0, to - from);
        return Clamp(min + static_cast<int>((offset * (max - min) + span / 2) / span));
    }
    void Describe(ControlDescription &d) const override {
        d.words = "position " + std::to_string(pos) + " range " + std::to_string(min) + " " +
                  std::to_string(max);
    }
};

void Layout(HWND hwnd, TrackbarState &t) {
    RECT r;
    GetClientRect(hwnd, &r);
    const int length = t.Vertical() ? r.bottom : r.right;
    t.half = ScaleToDpi(5);
    t.from = ScaleToDpi(8) + t.half;
    t.to = std::max(t.from, length - ScaleToDpi(8) - t.half);
    t.across = (t.Vertical() ? r.right : r.bottom) / 2;
}

// The thumb's rectangle in client coordinates.
RECT ThumbRect(HWND hwnd, const TrackbarState &t) {
    RECT r;
    GetClientRect(hwnd, &r);
    const int c = t.CentreOf(t.pos), size = ScaleToDpi(10);
    if (t.Vertical())
        return RECT{t.across - size, c - t.half, t.across + size, c + t.half};
    return RECT{c - t.half, t.across - size, c + t.half, t.across + size};
}

void Notify(HWND hwnd, TrackbarState &t, WORD code, int pos = 0) {
    HWND parent = GetParent(hwnd);
    if (parent)
        SendMessageW(parent, t.Vertical() ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos),
                     reinterpret_cast<LPARAM>(hwnd));
}

bool MoveTo(HWND hwnd, TrackbarState &t, int pos) {
    pos = t.Clamp(pos);
    if (pos == t.pos)
        return false;
    t.pos = pos;
    InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

void Paint(HWND hwnd, TrackbarState &t) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    if (HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORSTATIC))
        FillRect(dc, &r, brush);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const int thick = ScaleToDpi(2) + 1, tick = ScaleToDpi(3), gap = ScaleToDpi(12);
    const COLORREF ink = IsWindowEnabled(hwnd) ? 0x000000 : GetSysColor(COLOR_GRAYTEXT);
    auto along = [&](int a0, int a1, int c0, int c1, COLORREF colour) {
        RECT line = t.Vertical() ? RECT{c0, a0, c1, a1} : RECT{a0, c0, a1, c1};
        FillColour(dc, line, colour);
    };
    // The channel: a sunken line through the middle.
    along(t.from - t.half, t.to + t.half, t.across - thick / 2 - 1, t.across + thick / 2 + 1,
          0x808080);
    along(t.from - t.half + 1, t.to + t.half - 1, t.across - thick / 2, t.across + thick / 2,
          0xFFFFFF);
    // Ticks below (or right), above too with TBS_BOTH, none with TBS_NOTICKS.
    if (!(style & TBS_NOTICKS) && (style & TBS_AUTOTICKS) && t.max > t.min) {
        const int freq = std::max(1, t.ticFreq);
        const bool after = (style & TBS_BOTH) || !(style & TBS_TOP);
        const bool before = (style & TBS_BOTH) || (style & TBS_TOP);
        for (int p = t.min;; p += freq) {
            if (p > t.max)
                p = t.max;
            const int c = t.CentreOf(p);
            if (after)
                along(c, c + 1, t.across + gap, t.across + gap + tick, ink);
            if (before)
                along(c, c + 1, t.across - gap - tick, t.across - gap, ink);
            if (p == t.max)
                break;
        }
    }
    // The thumb: a white block in a black frame, the highlight while held.
    RECT thumb = ThumbRect(hwnd, t);
    FillColour(dc, thumb, t.dragging ? GetSysColor(COLOR_HIGHLIGHT) : 0xFFFFFF);
    FrameBlack(dc, thumb);
    if (GetFocus() == hwnd) {
        RECT inner{thumb.left + 2, thumb.top + 2, thumb.right - 2, thumb.bottom - 2};
        FillColour(dc, inner, t.dragging ? GetSysColor(COLOR_HIGHLIGHT) : 0xC0C0C0);
    }
    EndPaint(hwnd, &ps);
}

// The keys move the thumb and say how; TB_ENDTRACK follows on the key's
// release.
bool KeyDown(HWND hwnd, TrackbarState &t, WPARAM key) {
    int pos = t.pos;
    WORD code;
    switch (key) {
    case VK_LEFT:
    case VK_UP:
        pos -= t.line;
        code = TB_LINEUP;
        break;
    case VK_RIGHT:
    case VK_DOWN:
        pos += t.line;
        code = TB_LINEDOWN;
        break;
    case VK_PRIOR:
        pos -= t.page;
        code = TB_PAGEUP;
        break;
    case VK_NEXT:
        pos += t.page;
        code = TB_PAGEDOWN;
        break;
    case VK_HOME:
        pos = t.min;
        code = TB_TOP;
        break;
    case VK_END:
        pos = t.max;
        code = TB_BOTTOM;
        break;
    default: return false;
    }
    if (MoveTo(hwnd, t, pos))
        Notify(hwnd, t, code);
    return true;
}

LRESULT CALLBACK TrackbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window *w = Windows().Get(hwnd);
    if (!w)
        return 0;
    if (msg == WM_CREATE) {
        auto state = std::make_shared<TrackbarState>();
        state->window = w;
        w->control = state;
        Layout(hwnd, *state);
        return 0;
    }
    TrackbarState *t = StateAs<TrackbarState>(w);
    if (!t)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int along = t->Vertical() ? at.y : at.x;
    switch (msg) {
    case WM_SIZE: Layout(hwnd, *t); return 0;
    case WM_PAINT: Paint(hwnd, *t); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_KEYDOWN:
        return KeyDown(hwnd, *t, wParam) ? 0 : DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_KEYUP:
        switch (wParam) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END: Notify(hwnd, *t, TB_ENDTRACK); return 0;
        default: return 0;
        }
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        RECT thumb = ThumbRect(hwnd, *t);
        SetCapture(hwnd);
        if (PtInRect(&thumb, at)) {
            t->dragging = true;
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        // A tap on the channel beside the thumb pages towards it.
        // Differs from the platform: one page per press; a held stylus
        // does not repeat.
        t->paging = true;
        const bool up = along < t->CentreOf(t->pos);
        if (MoveTo(hwnd, *t, t->pos + (up ? -t->page : t->page)))
            Notify(hwnd, *t, up ? TB_PAGEUP : TB_PAGEDOWN);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (t->dragging && MoveTo(hwnd, *t, t->PositionAt(along)))
            Notify(hwnd, *t, TB_THUMBTRACK, t->pos);
        return 0;
    case WM_LBUTTONUP:
        if (t->dragging || t->paging) {
            const bool dragged = t->dragging;
            t->dragging = t->paging = false;
            ReleaseCapture();
            InvalidateRect(hwnd, nullptr, TRUE);
            if (dragged)
                Notify(hwnd, *t, TB_THUMBPOSITION, t->pos);
            Notify(hwnd, *t, TB_ENDTRACK);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if ((t->dragging || t->paging) && reinterpret_cast<HWND>(lParam) != hwnd) {
            t->dragging = t->paging = false;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case TBM_GETPOS: return t->pos;
    case TBM_GETRANGEMIN: return t->min;
    case TBM_GETRANGEMAX: return t->max;
    case TBM_GETPAGESIZE: return t->page;
    case TBM_GETLINESIZE: return t->line;
    case TBM_SETPOS: MoveTo(hwnd, *t, static_cast<int>(lParam)); return 0;
    case TBM_SETRANGE:
    case TBM_SETRANGEMIN:
    case TBM_SETRANGEMAX:
        if (msg == TBM_SETRANGE) {
            t->min = static_cast<short>(LOWORD(lParam));
            t->max = static_cast<short>(HIWORD(lParam));
        } else if (msg == TBM_SETRANGEMIN) {
            t->min = static_cast<int>(lParam);
        } else {
            t->max = static_cast<int>(lParam);
        }
        // The position stays inside the range.
        t->pos = t->Clamp(t->pos);
        if (wParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TBM_SETTICFREQ:
        t->ticFreq = static_cast<int>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TBM_SETPAGESIZE: {
        int old = t->page;
        t->page = static_cast<int>(lParam);
        return old;
    }
    case TBM_SETLINESIZE: {
        int old = t->line;
        t->line = static_cast<int>(lParam);
        return old;
    }
    case TBM_GETNUMTICS:
        if (GetWindowLongW(hwnd, GWL_STYLE) & TBS_NOTICKS)
            return 0;
        return t->max > t->min ? (t->max - t->min) / std::max(1, t->ticFreq) + 1 +
                                     ((t->max - t->min) % std::max(1, t->ticFreq) ? 1 : 0)
                               : 2;
    case TBM_GETTHUMBRECT:
        if (auto *out = reinterpret_cast<RECT *>(lParam))
            *out = ThumbRect(hwnd, *t);
        return 0;
    case TBM_GETCHANNELRECT:
        if (auto *out = reinterpret_cast<RECT *>(lParam)) {
            const int half = ScaleToDpi(2);
            *out = RECT{t->from - t->half, t->across - half, t->to + t->half, t->across + half};
        }
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterTrackbarClass(WindowManager &wm) {
    wm.AddClass(std::make_shared<WindowClass>(
        WindowClass{TRACKBAR_CLASSW, TrackbarProc, 0, nullptr, nullptr}));
}

std::optional<int> TrackbarPosition(Window *w) {
    if (auto *t = StateAs<TrackbarState>(w))
        return t->pos;
    return std::nullopt;
}

std::optional<POINT> TrackbarPointFor(WindowManager &wm, Window *w, int position) {
    auto *t = StateAs<TrackbarState>(w);
    if (!t)
        return std::nullopt;
    Rect screen = wm.ScreenRect(w);
    const int c = t->CentreOf(position);
    return t->Vertical() ? POINT{screen.left + t->across, screen.top + c}
                         : POINT{screen.left + c, screen.top + t->across};
}

} // namespace sim
