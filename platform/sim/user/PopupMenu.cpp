// DeviceSim: the pop-up menu window. Items are chosen with the stylus
// (press and lift on the same item, or slide from the press that opened the
// menu and lift on one) or with the keys (up, down, action); a press outside
// the menu, the left key, escape or another window taking the focus close it.
#include <windows.h>

#include "user/PopupMenu.h"

#include "gdi/Gdi.h"
#include "kernel/Kernel.h"
#include "user/Controls.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <memory>

namespace sim {

namespace {

const char16_t kMenuClass[] = u"MNU";
const char16_t kStateProp[] = u"DeviceSim.PopupMenu";

const COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kGrey = RGB(0x80, 0x80, 0x80);
const COLORREF kHighlight = RGB(0x31, 0x6A, 0xC5);

// No item is pressed; or the stylus that opened the menu is still down.
const int kNoItem = -1;
const int kOpenerPress = -2;

// Owned by the menu window (as a control's state is), so it goes with the
// window however the window goes: chosen, closed, or its thread ended.
struct PopupState : ControlState {
    PopupRequest request;
    int dpi = 96;
    int selected = kNoItem;
    int pressed = kNoItem;
    // The window that was active before the menu took the focus; it gets it
    // back when the menu goes, unless another window took it meanwhile.
    HWND restore = nullptr;
    bool ended = false;

    int S(int v) const { return (v * dpi + 48) / 96; }
    int ItemHeight(size_t i) const { return request.items[i].separator ? S(7) : S(20); }
    int Border() const { return S(1); }
    // Room for a check mark only in a menu that has one.
    int TextLeft() const {
        for (const PopupItem &item : request.items)
            if (item.checked)
                return S(16);
        return S(8);
    }
};

PopupState *StateOf(HWND hwnd) {
    return static_cast<PopupState *>(GetPropW(hwnd, kStateProp));
}

int ItemAt(const PopupState &s, HWND hwnd, int x, int y) {
    RECT r;
    GetClientRect(hwnd, &r);
    if (x < 0 || x >= r.right)
        return kNoItem;
    int top = s.Border();
    for (size_t i = 0; i < s.request.items.size(); ++i) {
        int bottom = top + s.ItemHeight(i);
        if (y >= top && y < bottom)
            return s.request.items[i].separator ? kNoItem : static_cast<int>(i);
        top = bottom;
    }
    return kNoItem;
}

bool Choosable(const PopupState &s, int item) {
    return item >= 0 && !s.request.items[item].separator && !s.request.items[item].disabled;
}

void Select(PopupState &s, HWND hwnd, int item) {
    if (s.selected == item)
        return;
    s.selected = item;
    InvalidateRect(hwnd, nullptr, FALSE);
}

// Ends the menu with an item or none (-1): the event, the window gone, the
// focus back, then the one who opened it hears.
void End(HWND hwnd, int item) {
    PopupState *s = StateOf(hwnd);
    if (!s || s->ended)
        return;
    s->ended = true;
    // Kept alive past the window's end, for the one who opened the menu.
    std::shared_ptr<ControlState> keep = WindowOf(hwnd)->control;
    PopupState *state = s;
    RemovePropW(hwnd, kStateProp);
    CurrentKernel().Record("menu " + QuoteText(state->request.title) + " " +
                           (item >= 0 ? "chose " + QuoteText(state->request.items[item].text)
                                      : std::string("closed")));
    if (GetCapture() == hwnd)
        ReleaseCapture();
    DestroyWindow(hwnd);
    if (!GetForegroundWindow() && state->restore && IsWindow(state->restore))
        SetActiveWindow(state->restore);
    if (state->request.onEnd)
        state->request.onEnd(item);
}

void Step(PopupState &s, HWND hwnd, int direction) {
    int count = static_cast<int>(s.request.items.size());
    int item = s.selected;
    for (int tries = 0; tries < count; ++tries) {
        item = item < 0 ? (direction > 0 ? 0 : count - 1) : (item + direction + count) % count;
        if (!s.request.items[item].separator) {
            Select(s, hwnd, item);
            return;
        }
    }
}

void Paint(PopupState &s, HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    int border = s.Border();
    auto fill = [dc](int l, int t, int rt, int b, COLORREF c) {
        HBRUSH brush = CreateSolidBrush(c);
        RECT area{l, t, rt, b};
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    };
    fill(0, 0, r.right, r.bottom, kBlack);
    fill(border, border, r.right - border, r.bottom - border, kWhite);
    SetBkMode(dc, TRANSPARENT);
    int top = border;
    for (size_t i = 0; i < s.request.items.size(); ++i) {
        const PopupItem &item = s.request.items[i];
        int h = s.ItemHeight(i);
        if (item.separator) {
            fill(border + s.S(2), top + h / 2, r.right - border - s.S(2), top + h / 2 + s.S(1),
                 kGrey);
        } else {
            bool selected = static_cast<int>(i) == s.selected;
            if (selected)
                fill(border, top, r.right - border, top + h, kHighlight);
            COLORREF colour = item.disabled ? kGrey : selected ? kWhite : kBlack;
            SetTextColor(dc, colour);
            if (item.checked) {
                RECT mark{border, top, border + s.TextLeft(), top + h};
                DrawTextW(dc, u"\u2713", -1, &mark,
                          DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            }
            RECT text{border + s.TextLeft(), top, r.right - border, top + h};
            DrawTextW(dc, item.text.c_str(), -1, &text,
                      DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
        top += h;
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK MenuProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE && lParam) {
        auto *state =
            static_cast<PopupState *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        WindowOf(hwnd)->control.reset(state);
        SetPropW(hwnd, kStateProp, state);
        return 0;
    }
    PopupState *s = StateOf(hwnd);
    if (!s)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT: Paint(*s, hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP: Step(*s, hwnd, -1); break;
        case VK_DOWN: Step(*s, hwnd, 1); break;
        case VK_RETURN:
            if (Choosable(*s, s->selected))
                End(hwnd, s->selected);
            break;
        case VK_LEFT:
        case VK_ESCAPE: End(hwnd, -1); break;
        default: break;
        }
        return 0;
    case WM_LBUTTONDOWN: {
        RECT r;
        GetClientRect(hwnd, &r);
        POINT p{x, y};
        if (!PtInRect(&r, p)) {
            // The tap that closes a menu goes no further, its lift neither.
            Windows().input.swallowStylus = true;
            End(hwnd, -1);
            return 0;
        }
        s->pressed = ItemAt(*s, hwnd, x, y);
        Select(*s, hwnd, s->pressed);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (s->pressed != kNoItem)
            Select(*s, hwnd, ItemAt(*s, hwnd, x, y));
        return 0;
    case WM_LBUTTONUP: {
        if (s->pressed == kNoItem)
            return 0;
        int item = ItemAt(*s, hwnd, x, y);
        bool chosen = Choosable(*s, item) && (s->pressed == kOpenerPress || item == s->pressed);
        s->pressed = kNoItem;
        if (chosen)
            End(hwnd, item);
        return 0;
    }
    case WM_ACTIVATE:
        // Another window took the focus: the menu is done.
        if (LOWORD(wParam) == 0)
            End(hwnd, -1);
        return 0;
    case WM_CLOSE: End(hwnd, -1); return 0;
    case WM_DESTROY:
        // Destroyed from outside: nobody chose anything. The state goes
        // with the window.
        if (!s->ended)
            RemovePropW(hwnd, kStateProp);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterPopupMenuClass(WindowManager &wm) {
    wm.AddClass(
        std::make_shared<WindowClass>(WindowClass{kMenuClass, MenuProc, 0, nullptr, nullptr}));
}

HWND OpenPopupMenu(PopupRequest request) {
    auto state = std::make_unique<PopupState>();
    if (HDC dc = GetDC(nullptr)) {
        state->dpi = std::max(1, GetDeviceCaps(dc, LOGPIXELSX));
        ReleaseDC(nullptr, dc);
    }
    int textWidth = 0, height = 2 * state->Border();
    state->request = std::move(request);
    const PopupRequest &r = state->request;
    if (HDC dc = GetDC(nullptr)) {
        for (const PopupItem &item : r.items) {
            RECT size{0, 0, 0, 0};
            DrawTextW(dc, item.text.c_str(), -1, &size, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            textWidth = std::max<int>(textWidth, size.right);
        }
        ReleaseDC(nullptr, dc);
    }
    for (size_t i = 0; i < r.items.size(); ++i)
        height += state->ItemHeight(i);
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    int w = std::min(screenW, textWidth + state->TextLeft() + state->S(8) + 2 * state->Border());
    int h = std::min(screenH, height);
    int x = (r.align & TPM_RIGHTALIGN) ? r.x - w : (r.align & TPM_CENTERALIGN) ? r.x - w / 2 : r.x;
    int y = (r.align & TPM_BOTTOMALIGN)    ? r.y - h
            : (r.align & TPM_VCENTERALIGN) ? r.y - h / 2
                                           : r.y;
    // A menu stays whole on the screen.
    x = std::clamp(x, 0, std::max(0, screenW - w));
    y = std::clamp(y, 0, std::max(0, screenH - h));
    state->pressed = r.byStylus ? kOpenerPress : kNoItem;
    state->restore = GetForegroundWindow();
    PopupState *raw = state.release();
    // Visible from its creation, the menu becomes the active window and so
    // gets the keys; the capture brings it every tap, wherever it lands.
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, kMenuClass, raw->request.title.c_str(),
                                WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr, nullptr, raw);
    if (!hwnd) {
        delete raw; // never created, so never adopted by a window
        return nullptr;
    }
    SetCapture(hwnd);
    return hwnd;
}

void ClosePopupMenu(HWND menu) {
    End(menu, -1);
}

const std::vector<PopupItem> *PopupItemsOf(const Window *menu) {
    for (const auto &prop : menu->props)
        if (prop.first == kStateProp)
            return &static_cast<PopupState *>(prop.second)->request.items;
    return nullptr;
}

std::optional<Rect> PopupItemRect(WindowManager &wm, const Window *menu, size_t item) {
    for (const auto &prop : menu->props) {
        if (prop.first != kStateProp)
            continue;
        const PopupState &s = *static_cast<PopupState *>(prop.second);
        if (item >= s.request.items.size())
            return std::nullopt;
        Rect screen = wm.ScreenRect(menu);
        int top = screen.top + s.Border();
        for (size_t i = 0; i < item; ++i)
            top += s.ItemHeight(i);
        return Rect{screen.left + s.Border(), top, screen.right - s.Border(),
                    top + s.ItemHeight(item)};
    }
    return std::nullopt;
}

} // namespace sim
