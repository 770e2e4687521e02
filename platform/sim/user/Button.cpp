// DeviceSim: the BUTTON class — push buttons, check boxes and radio
// buttons, clicked by a tap (pressed and released inside) or by the space
// key, and painted as Windows Mobile draws them: black frames on white.
#include "user/Controls.h"
#include "user/Dialog.h"

#include "kernel/Context.h"

namespace sim {

namespace {

struct ButtonState : ControlState {
    UINT check = BST_UNCHECKED;
    bool pushed = false;   // held down by the stylus or the space key
    bool tracking = false; // the stylus went down on it
    bool spaceDown = false;
    HFONT font = nullptr;
    DWORD type = BS_PUSHBUTTON;

    bool Checkable() const {
        return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
               type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
    }
    void Describe(ControlDescription &d) const override {
        if (Checkable())
            d.words = check == BST_CHECKED ? "checked" : "unchecked";
    }
};

ButtonState *StateOf(HWND hwnd) {
    return StateAs<ButtonState>(Windows().Get(hwnd));
}

DWORD TypeOf(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
}

bool IsRadio(DWORD type) {
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

void SetCheck(HWND hwnd, ButtonState &b, UINT check) {
    if (!b.Checkable())
        return;
    // A radio button is a tab stop while it is checked, as on the platform,
    // so that tabbing into a group lands on its choice.
    if (IsRadio(b.type)) {
        LONG style = GetWindowLongW(hwnd, GWL_STYLE);
        SetWindowLongW(hwnd, GWL_STYLE, check ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
    if (b.check != check) {
        b.check = check;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

// Unchecks the other automatic radio buttons of the group.
void ClearGroup(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (!parent)
        return;
    for (HWND other = GetNextDlgGroupItem(parent, hwnd, FALSE); other && other != hwnd;
         other = GetNextDlgGroupItem(parent, other, FALSE)) {
        if (TypeOf(other) == BS_AUTORADIOBUTTON && StateOf(other))
            SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

// A click: the automatic kinds change their check first, then the parent
// hears BN_CLICKED.
void Click(HWND hwnd, ButtonState &b) {
    switch (b.type) {
    case BS_AUTOCHECKBOX: SetCheck(hwnd, b, b.check == BST_CHECKED ? 0 : BST_CHECKED); break;
    case BS_AUTO3STATE: SetCheck(hwnd, b, (b.check + 1) % 3); break;
    case BS_AUTORADIOBUTTON:
        SetCheck(hwnd, b, BST_CHECKED);
        ClearGroup(hwnd);
        break;
    default: break;
    }
    CommandParent(hwnd, BN_CLICKED);
}

void SetPushed(HWND hwnd, ButtonState &b, bool pushed) {
    if (b.pushed != pushed) {
        b.pushed = pushed;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

// A filled circle inside `box`, `inset` pixels in from its edge, drawn
// row by row.
void Disc(HDC dc, const RECT &box, int inset, COLORREF colour) {
    const int size = (box.right - box.left) - 2 * inset;
    if (size <= 0)
        return;
    HBRUSH brush = CreateSolidBrush(colour);
    const int r2 = size * size; // (2r)^2, in doubled units
    for (int row = 0; row < size; ++row) {
        const int dy = 2 * row + 1 - size;
        int half = 0;
        while ((2 * half + 2) * (2 * half + 2) + dy * dy <= r2)
            ++half;
        RECT span{box.left + inset + size / 2 - half, box.top + inset + row,
                  box.left + inset + (size + 1) / 2 + half, box.top + inset + row + 1};
        FillRect(dc, &span, brush);
    }
    DeleteObject(brush);
}

void Paint(HWND hwnd, ButtonState &b) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    const bool push = !b.Checkable() && b.type != BS_GROUPBOX;
    // Push buttons ask for WM_CTLCOLORBTN; check boxes, radio buttons and
    // group boxes stand on the dialog like text and ask WM_CTLCOLORSTATIC.
    HBRUSH brush = ControlColours(hwnd, dc, push ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC);
    if (brush)
        FillRect(dc, &r, brush);
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(b.font));
    const bool enabled = IsWindowEnabled(hwnd);
    if (!enabled)
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    WCHAR text[256];
    GetWindowTextW(hwnd, text, 256);
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const int t = std::max(1, ScaleToDpi(1));
    if (push) {
        FrameBlack(dc, r);
        if (b.type == BS_DEFPUSHBUTTON) {
            RECT inner{r.left + t, r.top + t, r.right - t, r.bottom - t};
            FrameBlack(dc, inner);
        }
        if (b.pushed) {
            RECT face{r.left + 2 * t, r.top + 2 * t, r.right - 2 * t, r.bottom - 2 * t};
            FillColour(dc, face, GetSysColor(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else if (b.type == BS_GROUPBOX) {
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        RECT frame{r.left, r.top + tm.tmHeight / 2, r.right, r.bottom};
        FrameBlack(dc, frame);
        RECT label{r.left + ScaleToDpi(6), r.top, r.right, r.top + tm.tmHeight};
        DrawTextW(dc, text, -1, &label, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
        DrawTextW(dc, text, -1, &label, DT_LEFT | DT_SINGLELINE);
    } else {
        // The box (or circle, drawn as a box with cut corners) at the left,
        // the text beside it.
        const int box = ScaleToDpi(12);
        const int top = (r.top + r.bottom - box) / 2;
        RECT mark{r.left, top, r.left + box, top + box};
        const bool marked = b.check != BST_UNCHECKED || b.pushed;
        const COLORREF dotColour =
            b.check == BST_INDETERMINATE || (b.pushed && b.check == BST_UNCHECKED) ? 0x808080
                                                                                   : 0x000000;
        if (IsRadio(b.type)) {
            // A ring, and a dot in it when chosen.
            Disc(dc, mark, 0, 0x000000);
            Disc(dc, mark, t, 0xFFFFFF);
            if (marked)
                Disc(dc, mark, 3 * t, dotColour);
        } else {
            FillColour(dc, mark, 0xFFFFFF);
            FrameBlack(dc, mark);
            if (marked) {
                RECT dot{mark.left + 2 * t, mark.top + 2 * t, mark.right - 2 * t,
                         mark.bottom - 2 * t};
                FillColour(dc, dot, dotColour);
            }
        }
        RECT label{mark.right + ScaleToDpi(4), r.top, r.right, r.bottom};
        UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
        if (style & BS_MULTILINE)
            format = DT_LEFT | DT_WORDBREAK;
        DrawTextW(dc, text, -1, &label, format);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window *w = Windows().Get(hwnd);
    if (!w)
        return 0;
    if (msg == WM_CREATE) {
        auto state = std::make_shared<ButtonState>();
        state->type = TypeOf(hwnd);
        w->control = state;
        return 0;
    }
    ButtonState *b = StateAs<ButtonState>(w);
    if (!b)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: Paint(hwnd, *b); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE:
        switch (b->type) {
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON:
            // Differs from the platform: instead of the dialog manager
            // restyling a push button as the default one when it takes the
            // focus, a focused push button answers as the default one, so
            // Enter clicks it all the same.
            return DLGC_BUTTON | (GetFocus() == hwnd ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        default: return DLGC_BUTTON;
        }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (b->type == BS_GROUPBOX)
            return 0;
        SetCapture(hwnd);
        SetFocus(hwnd);
        b->tracking = true;
        SetPushed(hwnd, *b, true);
        return 0;
    case WM_MOUSEMOVE:
        if (b->tracking) {
            RECT r;
            GetClientRect(hwnd, &r);
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            SetPushed(hwnd, *b, PtInRect(&r, at) != 0);
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!b->tracking)
            return 0;
        b->tracking = false;
        RECT r;
        GetClientRect(hwnd, &r);
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const bool inside = PtInRect(&r, at) != 0;
        SetPushed(hwnd, *b, false);
        ReleaseCapture();
        if (inside)
            Click(hwnd, *b);
        return 0;
    }
    case WM_CAPTURECHANGED:
        // Another window took the stylus: the press is abandoned.
        if (b->tracking && reinterpret_cast<HWND>(lParam) != hwnd) {
            b->tracking = false;
            SetPushed(hwnd, *b, false);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && b->type != BS_GROUPBOX) {
            b->spaceDown = true;
            SetPushed(hwnd, *b, true);
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && b->spaceDown) {
            b->spaceDown = false;
            SetPushed(hwnd, *b, false);
            Click(hwnd, *b);
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (msg == WM_KILLFOCUS && b->spaceDown) {
            b->spaceDown = false;
            SetPushed(hwnd, *b, false);
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case BM_GETCHECK: return b->Checkable() ? b->check : BST_UNCHECKED;
    case BM_SETCHECK: SetCheck(hwnd, *b, static_cast<UINT>(wParam) & 3); return 0;
    case BM_GETSTATE:
        return (b->Checkable() ? b->check : 0) | (b->pushed ? BST_PUSHED : 0) |
               (GetFocus() == hwnd ? BST_FOCUS : 0);
    case BM_SETSTATE: SetPushed(hwnd, *b, wParam != 0); return 0;
    case BM_SETSTYLE: {
        LONG style = GetWindowLongW(hwnd, GWL_STYLE);
        style = (style & ~0xFFFF) | (static_cast<LONG>(wParam) & 0xFFFF);
        SetWindowLongW(hwnd, GWL_STYLE, style);
        b->type = static_cast<DWORD>(style) & BS_TYPEMASK;
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK:
        if (IsWindowEnabled(hwnd) && b->type != BS_GROUPBOX)
            Click(hwnd, *b);
        return 0;
    case WM_SETFONT:
        b->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(b->font);
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterButtonClass(WindowManager &wm) {
    wm.AddClass(std::make_shared<WindowClass>(
        WindowClass{u"BUTTON", ButtonProc, CS_DBLCLKS, nullptr, nullptr}));
}

} // namespace sim
