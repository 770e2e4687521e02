// DeviceSim: the tab control, "SysTabControl32" — a row of tabs, along the
// bottom with TCS_BOTTOM as Pocket PC property sheets have them; a tap on
// another tab asks the parent (TCN_SELCHANGING, which may refuse) and then
// tells it (TCN_SELCHANGE).
// Differs from the platform: one row of tabs only (TCS_MULTILINE is
// ignored), no image lists, and tabs that do not fit are cut off rather
// than scrolled.
#include "user/Controls.h"

#include "kernel/Context.h"

#include <commctrl.h>

#include <algorithm>

namespace sim {

namespace {

struct Tab {
    std::u16string text;
    LPARAM param = 0;
    RECT rect{}; // laid out, client coordinates
};

struct TabState : ControlState {
    std::vector<Tab> tabs;
    int selected = -1;
    int version = 0;
    HFONT font = nullptr;
    int tabHeight = 1;

    void Describe(ControlDescription &d) const override {
        d.words = "tabs " + std::to_string(tabs.size()) + " selected " + std::to_string(selected);
        for (size_t i = 0; i < tabs.size(); ++i)
            d.lines.push_back("tab " + std::to_string(i) + " " + QuoteText(tabs[i].text));
    }
};

bool Bottom(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_STYLE) & TCS_BOTTOM) != 0;
}

// Lays the tabs out left to right, each as wide as its text and padding.
void Layout(HWND hwnd, TabState &t) {
    RECT r;
    GetClientRect(hwnd, &r);
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOrSystem(t.font));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    t.tabHeight = tm.tmHeight + ScaleToDpi(8);
    const int top = Bottom(hwnd) ? r.bottom - t.tabHeight : 0;
    int x = 0;
    for (Tab &tab : t.tabs) {
        SIZE size{};
        GetTextExtentPoint32W(dc, tab.text.c_str(), static_cast<int>(tab.text.size()), &size);
        const int width = size.cx + 2 * ScaleToDpi(6);
        tab.rect = RECT{x, top, x + width, top + t.tabHeight};
        x += width;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
}

// Changes the selection as a user does: the parent may refuse.
void UserSelect(HWND hwnd, TabState &t, int index) {
    if (index < 0 || index >= static_cast<int>(t.tabs.size()) || index == t.selected)
        return;
    if (NotifyParent(hwnd, TCN_SELCHANGING, nullptr))
        return;
    if (!IsWindow(hwnd) || index >= static_cast<int>(t.tabs.size()))
        return;
    t.selected = index;
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParent(hwnd, TCN_SELCHANGE, nullptr);
}

void Paint(HWND hwnd, TabState &t) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillColour(dc, r, GetSysColor(COLOR_STATIC));
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(t.font));
    SetBkMode(dc, TRANSPARENT);
    const bool bottom = Bottom(hwnd);
    const int line = std::max(1, ScaleToDpi(1));
    // The edge between the pages and the tabs, broken by the selected tab.
    const int edge = bottom ? r.bottom - t.tabHeight : t.tabHeight - line;
    RECT divider{0, edge, r.right, edge + line};
    FillColour(dc, divider, 0x000000);
    for (size_t i = 0; i < t.tabs.size(); ++i) {
        const Tab &tab = t.tabs[i];
        const bool on = static_cast<int>(i) == t.selected;
        RECT face = tab.rect;
        if (!on) {
            // Unselected tabs stand back: grey, a little shorter.
            if (bottom)
                face.bottom -= ScaleToDpi(2);
            else
                face.top += ScaleToDpi(2);
        }
        FillColour(dc, face, on ? 0xFFFFFF : 0xE0E0E0);
        FrameBlack(dc, face);
        if (on) {
            RECT join = bottom ? RECT{face.left + line, edge, face.right - line, edge + line}
                               : RECT{face.left + line, edge, face.right - line, edge + line};
            FillColour(dc, join, 0xFFFFFF);
        }
        SetTextColor(dc, IsWindowEnabled(hwnd) ? 0x000000 : GetSysColor(COLOR_GRAYTEXT));
        LOGFONTW lf{};
        GetObjectW(FontOrSystem(t.font), sizeof lf, &lf);
        HFONT bold = nullptr;
        if (on) {
            lf.lfWeight = FW_BOLD;
            bold = CreateFontIndirectW(&lf);
            SelectObject(dc, bold);
        }
        RECT text = face;
        DrawTextW(dc, tab.text.c_str(), -1, &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        if (bold) {
            SelectObject(dc, FontOrSystem(t.font));
            DeleteObject(bold);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK TabProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window *w = Windows().Get(hwnd);
    if (!w)
        return 0;
    if (msg == WM_CREATE) {
        auto state = std::make_shared<TabState>();
        w->control = state;
        Layout(hwnd, *state);
        return 0;
    }
    TabState *t = StateAs<TabState>(w);
    if (!t)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    const int count = static_cast<int>(t->tabs.size());
    switch (msg) {
    case WM_PAINT: Paint(hwnd, *t); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SIZE:
        Layout(hwnd, *t);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFONT:
        t->font = reinterpret_cast<HFONT>(wParam);
        Layout(hwnd, *t);
        if (LOWORD(lParam))
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(t->font);
    case WM_LBUTTONDOWN: {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        for (int i = 0; i < count; ++i)
            if (PtInRect(&t->tabs[i].rect, at)) {
                UserSelect(hwnd, *t, i);
                break;
            }
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_LEFT)
            UserSelect(hwnd, *t, t->selected - 1);
        else if (wParam == VK_RIGHT)
            UserSelect(hwnd, *t, t->selected + 1);
        return 0;
    case CCM_SETVERSION: return SetControlVersion(t->version, wParam);
    case CCM_GETVERSION: return t->version;
    case TCM_GETITEMCOUNT: return count;
    case TCM_INSERTITEMW: {
        auto *item = reinterpret_cast<const TCITEMW *>(lParam);
        if (!item || static_cast<int>(wParam) < 0)
            return -1;
        const int at = std::min(static_cast<int>(wParam), count);
        Tab tab;
        if ((item->mask & TCIF_TEXT) && item->pszText)
            tab.text = item->pszText;
        if (item->mask & TCIF_PARAM)
            tab.param = item->lParam;
        t->tabs.insert(t->tabs.begin() + at, tab);
        // The first tab is selected; a tab put before the selected one
        // moves the selection along with it.
        if (t->selected < 0)
            t->selected = 0;
        else if (at <= t->selected)
            ++t->selected;
        Layout(hwnd, *t);
        InvalidateRect(hwnd, nullptr, TRUE);
        return at;
    }
    case TCM_SETITEMW:
    case TCM_GETITEMW: {
        auto *item = reinterpret_cast<TCITEMW *>(lParam);
        const int i = static_cast<int>(wParam);
        if (!item || i < 0 || i >= count)
            return FALSE;
        Tab &tab = t->tabs[i];
        if (msg == TCM_SETITEMW) {
            if ((item->mask & TCIF_TEXT) && item->pszText)
                tab.text = item->pszText;
            if (item->mask & TCIF_PARAM)
                tab.param = item->lParam;
            Layout(hwnd, *t);
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        }
        if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
            int n = std::min<int>(static_cast<int>(tab.text.size()), item->cchTextMax - 1);
            std::copy(tab.text.begin(), tab.text.begin() + n, item->pszText);
            item->pszText[n] = 0;
        }
        if (item->mask & TCIF_PARAM)
            item->lParam = tab.param;
        return TRUE;
    }
    case TCM_DELETEITEM: {
        const int i = static_cast<int>(wParam);
        if (i < 0 || i >= count)
            return FALSE;
        t->tabs.erase(t->tabs.begin() + i);
        if (t->selected == i)
            t->selected = -1;
        else if (t->selected > i)
            --t->selected;
        Layout(hwnd, *t);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TCM_DELETEALLITEMS:
        t->tabs.clear();
        t->selected = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_GETITEMRECT: {
        auto *out = reinterpret_cast<RECT *>(lParam);
        const int i = static_cast<int>(wParam);
        if (!out || i < 0 || i >= count)
            return FALSE;
        *out = t->tabs[i].rect;
        return TRUE;
    }
    case TCM_GETCURSEL: return t->selected;
    case TCM_GETCURFOCUS: return t->selected;
    case TCM_SETCURSEL: {
        const int i = static_cast<int>(wParam);
        if (i < 0 || i >= count)
            return -1;
        int old = t->selected;
        t->selected = i;
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case TCM_ADJUSTRECT: {
        auto *rect = reinterpret_cast<RECT *>(lParam);
        if (!rect)
            return 0;
        // FALSE: the display area inside a window rectangle; TRUE: the
        // window rectangle around a display area.
        const int sign = wParam ? 1 : -1;
        if (Bottom(hwnd))
            rect->bottom -= sign * t->tabHeight;
        else
            rect->top += sign * t->tabHeight;
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterTabControlClass(WindowManager &wm) {
    wm.AddClass(
        std::make_shared<WindowClass>(WindowClass{WC_TABCONTROLW, TabProc, 0, nullptr, nullptr}));
}

std::optional<Rect> TabArea(WindowManager &wm, Window *w, int tab) {
    auto *t = StateAs<TabState>(w);
    if (!t || tab < 0 || tab >= static_cast<int>(t->tabs.size()))
        return std::nullopt;
    const RECT &r = t->tabs[tab].rect;
    Rect screen = wm.ScreenRect(w);
    return Rect{screen.left + r.left, screen.top + r.top, screen.left + r.right,
                screen.top + r.bottom};
}

} // namespace sim
