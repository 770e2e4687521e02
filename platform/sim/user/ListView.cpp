// DeviceSim: the list view, "SysListView32", in report view — columns with
// an optional header, rows of texts, one selected row at a time with
// LVS_SINGLESEL, changes of row state reported to the parent as
// LVN_ITEMCHANGING and LVN_ITEMCHANGED, and a vertical scroll bar when the
// rows do not fit.
// Differs from the platform: only report view is drawn (the other views
// draw as report view), there are no image lists, and a tap sends no
// NM_CLICK.
#include "user/Controls.h"

#include "kernel/Context.h"

#include <commctrl.h>

#include <algorithm>

namespace sim {

namespace {

struct Column {
    int fmt = LVCFMT_LEFT;
    int width = 0;
    std::u16string text;
};

struct Row {
    std::vector<std::u16string> texts; // by sub-item
    UINT state = 0;
    LPARAM param = 0;
};

struct ListViewState : ControlState {
    std::vector<Column> columns;
    std::vector<Row> rows;
    DWORD exStyle = 0;
    int version = 0; // set by CCM_SETVERSION
    HFONT font = nullptr;
    int top = 0;       // the first row shown
    int rowHeight = 1; // laid out with the font
    int headerHeight = 0;
    Window *window = nullptr;

    bool Header() const { return !columns.empty() && !(window->style & LVS_NOCOLUMNHEADER); }
    int HeaderHeight() const { return Header() ? headerHeight : 0; }
    int Inner() const { return (window->style & WS_BORDER) ? 1 : 0; }
    int PerPage() const {
        int h = window->rect.Height() - 2 * Inner() - HeaderHeight();
        return std::max(1, h / std::max(1, rowHeight));
    }
    bool Scrolls() const { return static_cast<int>(rows.size()) > PerPage(); }
    int Count() const { return static_cast<int>(rows.size()); }
    int Next(UINT flags, int from) const {
        for (int i = std::max(0, from + 1); i < Count(); ++i)
            if ((rows[i].state & flags) == (flags & (LVIS_SELECTED | LVIS_FOCUSED)))
                return i;
        return -1;
    }
    int Selected() const { return Next(LVNI_SELECTED, -1); }
    Rect RowRect(int row) const {
        int y = Inner() + HeaderHeight() + (row - top) * rowHeight;
        return Rect{Inner(), y, window->rect.Width() - Inner(), y + rowHeight};
    }
    void EnsureVisible(int row) {
        if (row < top)
            top = row;
        else if (row >= top + PerPage())
            top = row - PerPage() + 1;
        top = std::clamp(top, 0, std::max(0, Count() - PerPage()));
    }
    void Describe(ControlDescription &d) const override {
        d.words = "rows " + std::to_string(rows.size()) + " selected " +
                  std::to_string(Selected()) + " columns";
        for (const Column &c : columns)
            d.words += " " + std::to_string(c.width);
        for (size_t i = 0; i < rows.size(); ++i) {
            std::string line = "row " + std::to_string(i);
            size_t n = std::max<size_t>(1, std::max(columns.size(), rows[i].texts.size()));
            for (size_t k = 0; k < n; ++k)
                line += " " + QuoteText(k < rows[i].texts.size() ? rows[i].texts[k] : u"");
            d.lines.push_back(line);
        }
    }
};

void Layout(HWND hwnd, ListViewState &lv) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOrSystem(lv.font));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    lv.rowHeight = tm.tmHeight + ScaleToDpi(3);
    lv.headerHeight = tm.tmHeight + ScaleToDpi(5);
}

void Redraw(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, TRUE);
}

// Changes a row's state under `mask`, telling the parent before (it may
// refuse) and after. Single selection takes the selection (and the focus)
// from every other row first.
bool SetState(HWND hwnd, ListViewState &lv, int row, UINT state, UINT mask) {
    if (row < 0 || row >= lv.Count())
        return false;
    const UINT old = lv.rows[row].state;
    const UINT now = (old & ~mask) | (state & mask);
    if (now == old)
        return true;
    if ((now & ~old & LVIS_SELECTED) && (lv.window->style & LVS_SINGLESEL))
        for (int i = 0; i < lv.Count(); ++i)
            if (i != row && (lv.rows[i].state & LVIS_SELECTED))
                SetState(hwnd, lv, i, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (now & ~old & LVIS_FOCUSED)
        for (int i = 0; i < lv.Count(); ++i)
            if (i != row && (lv.rows[i].state & LVIS_FOCUSED))
                SetState(hwnd, lv, i, 0, LVIS_FOCUSED);
    NMLISTVIEW nm{};
    nm.iItem = row;
    nm.uOldState = old;
    nm.uNewState = now;
    nm.uChanged = LVIF_STATE;
    nm.lParam = lv.rows[row].param;
    if (NotifyParent(hwnd, LVN_ITEMCHANGING, &nm.hdr))
        return false;
    // The parent may have changed the list meanwhile.
    if (!IsWindow(hwnd) || row >= lv.Count())
        return false;
    lv.rows[row].state = now;
    Redraw(hwnd);
    nm = NMLISTVIEW{};
    nm.iItem = row;
    nm.uOldState = old;
    nm.uNewState = now;
    nm.uChanged = LVIF_STATE;
    nm.lParam = lv.rows[row].param;
    NotifyParent(hwnd, LVN_ITEMCHANGED, &nm.hdr);
    return true;
}

void Choose(HWND hwnd, ListViewState &lv, int row) {
    row = std::clamp(row, 0, lv.Count() - 1);
    lv.EnsureVisible(row);
    SetState(hwnd, lv, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    Redraw(hwnd);
}

bool SetItem(HWND hwnd, ListViewState &lv, const LVITEMW *item) {
    if (!item || item->iItem < 0 || item->iItem >= lv.Count() || item->iSubItem < 0 ||
        item->iSubItem > 255)
        return false;
    Row &row = lv.rows[item->iItem];
    if (item->mask & LVIF_TEXT) {
        if (row.texts.size() <= static_cast<size_t>(item->iSubItem))
            row.texts.resize(item->iSubItem + 1);
        row.texts[item->iSubItem] = item->pszText ? item->pszText : u"";
    }
    if (item->iSubItem == 0 && (item->mask & LVIF_PARAM))
        row.param = item->lParam;
    Redraw(hwnd);
    if (item->iSubItem == 0 && (item->mask & LVIF_STATE))
        return SetState(hwnd, lv, item->iItem, item->state, item->stateMask);
    return true;
}

int CopyText(const std::u16string &text, LPWSTR out, int max) {
    if (!out || max <= 0)
        return 0;
    int n = std::min<int>(static_cast<int>(text.size()), max - 1);
    std::copy(text.begin(), text.begin() + n, out);
    out[n] = 0;
    return n;
}

int TextWidth(HWND hwnd, ListViewState &lv, const std::u16string &text) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOrSystem(lv.font));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return size.cx;
}

void Paint(HWND hwnd, ListViewState &lv) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillColour(dc, r, GetSysColor(COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(lv.font));
    SetBkMode(dc, TRANSPARENT);
    const int pad = ScaleToDpi(3);
    const int inner = lv.Inner();
    const int right = r.right - inner - (lv.Scrolls() ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    const bool showSelection =
        GetFocus() == hwnd || (GetWindowLongW(hwnd, GWL_STYLE) & LVS_SHOWSELALWAYS);
    const COLORREF text =
        IsWindowEnabled(hwnd) ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT);
    auto cell = [&](const std::u16string &s, int left, int width, int top, int fmt) {
        RECT box{left + pad, top, std::min(left + width - pad, right), top + lv.rowHeight};
        UINT align = fmt == LVCFMT_RIGHT ? DT_RIGHT : fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
        DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &box,
                  align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    if (lv.Header()) {
        // The header: grey cells with black dividers.
        RECT head{inner, inner, right, inner + lv.headerHeight};
        FillColour(dc, head, 0xE0E0E0);
        RECT line{inner, head.bottom - 1, right, head.bottom};
        FillColour(dc, line, 0x808080);
        SetTextColor(dc, 0x000000);
        int x = inner;
        for (const Column &c : lv.columns) {
            RECT textBox{x + pad, head.top, std::min(x + c.width - pad, right), head.bottom};
            DrawTextW(dc, c.text.c_str(), -1, &textBox,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            x += c.width;
            RECT divider{x - 1, head.top + 2, x, head.bottom - 2};
            if (x < right)
                FillColour(dc, divider, 0x808080);
        }
    }
    const bool fullRow = (lv.exStyle & LVS_EX_FULLROWSELECT) != 0;
    for (int i = lv.top; i < lv.Count() && i < lv.top + lv.PerPage() + 1; ++i) {
        Rect rr = lv.RowRect(i);
        if (rr.top >= r.bottom - inner)
            break;
        const Row &row = lv.rows[i];
        const bool selected = showSelection && (row.state & LVIS_SELECTED);
        int x = inner;
        for (size_t k = 0; k < std::max<size_t>(1, lv.columns.size()); ++k) {
            int width = lv.columns.empty() ? right - inner : lv.columns[k].width;
            const std::u16string s = k < row.texts.size() ? row.texts[k] : u"";
            const bool highlight = selected && (fullRow || k == 0);
            if (highlight) {
                int w = fullRow || lv.columns.size() > 1 ? width : TextWidth(hwnd, lv, s) + 2 * pad;
                RECT band{x, rr.top, std::min(x + w, right), rr.bottom};
                if (!fullRow && k == 0)
                    band.right = std::min<LONG>(x + TextWidth(hwnd, lv, s) + 2 * pad, band.right);
                FillColour(dc, band, GetSysColor(COLOR_HIGHLIGHT));
            }
            SetTextColor(dc, highlight ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
            cell(s, x, width, rr.top, lv.columns.empty() ? LVCFMT_LEFT : lv.columns[k].fmt);
            x += width;
        }
    }
    if (lv.Scrolls()) {
        // The scroll bar: arrows at both ends, the thumb between.
        const int sw = GetSystemMetrics(SM_CXVSCROLL);
        RECT bar{right, inner, right + sw, r.bottom - inner};
        FillColour(dc, bar, 0xE0E0E0);
        RECT upArrow{bar.left, bar.top, bar.right, bar.top + sw};
        RECT downArrow{bar.left, bar.bottom - sw, bar.right, bar.bottom};
        FrameBlack(dc, upArrow);
        FrameBlack(dc, downArrow);
        const int track = bar.bottom - bar.top - 2 * sw;
        const int total = lv.Count(), page = lv.PerPage();
        const int thumbLength = std::max(sw / 2, track * page / std::max(1, total));
        const int thumbTop =
            bar.top + sw + (total > page ? (track - thumbLength) * lv.top / (total - page) : 0);
        RECT thumb{bar.left, thumbTop, bar.right, thumbTop + thumbLength};
        FillColour(dc, thumb, 0x808080);
    }
    if (inner)
        FrameBlack(dc, r);
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

// A tap in the scroll bar: the arrows move a row, the track a page.
void ScrollTap(HWND hwnd, ListViewState &lv, int y) {
    RECT r;
    GetClientRect(hwnd, &r);
    const int sw = GetSystemMetrics(SM_CXVSCROLL);
    int delta;
    if (y < lv.Inner() + sw)
        delta = -1;
    else if (y >= r.bottom - lv.Inner() - sw)
        delta = 1;
    else
        delta = y < (r.bottom / 2) ? -lv.PerPage() : lv.PerPage();
    lv.top = std::clamp(lv.top + delta, 0, std::max(0, lv.Count() - lv.PerPage()));
    Redraw(hwnd);
}

LRESULT Key(HWND hwnd, ListViewState &lv, WPARAM key) {
    NMLVKEYDOWN nm{};
    nm.wVKey = static_cast<WORD>(key);
    NotifyParent(hwnd, LVN_KEYDOWN, &nm.hdr);
    if (!IsWindow(hwnd) || lv.rows.empty())
        return 0;
    int focus = lv.Next(LVNI_FOCUSED, -1);
    int at = focus >= 0 ? focus : lv.Selected();
    switch (key) {
    case VK_UP: Choose(hwnd, lv, at < 0 ? 0 : at - 1); break;
    case VK_DOWN: Choose(hwnd, lv, at < 0 ? 0 : at + 1); break;
    case VK_PRIOR: Choose(hwnd, lv, std::max(0, at) - lv.PerPage() + 1); break;
    case VK_NEXT: Choose(hwnd, lv, std::max(0, at) + lv.PerPage() - 1); break;
    case VK_HOME: Choose(hwnd, lv, 0); break;
    case VK_END: Choose(hwnd, lv, lv.Count() - 1); break;
    default: break;
    }
    return 0;
}

LRESULT CALLBACK ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window *w = Windows().Get(hwnd);
    if (!w)
        return 0;
    if (msg == WM_CREATE) {
        auto state = std::make_shared<ListViewState>();
        state->window = w;
        w->control = state;
        Layout(hwnd, *state);
        return 0;
    }
    ListViewState *lv = StateAs<ListViewState>(w);
    if (!lv)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    auto *item = reinterpret_cast<LVITEMW *>(lParam);
    switch (msg) {
    case WM_PAINT: Paint(hwnd, *lv); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SIZE: Redraw(hwnd); return 0;
    case WM_SETFONT:
        lv->font = reinterpret_cast<HFONT>(wParam);
        Layout(hwnd, *lv);
        if (LOWORD(lParam))
            Redraw(hwnd);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(lv->font);
    case WM_KEYDOWN: return Key(hwnd, *lv, wParam);
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        RECT r;
        GetClientRect(hwnd, &r);
        if (lv->Scrolls() && x >= r.right - lv->Inner() - GetSystemMetrics(SM_CXVSCROLL)) {
            ScrollTap(hwnd, *lv, y);
            return 0;
        }
        const int body = lv->Inner() + lv->HeaderHeight();
        if (y < body)
            return 0; // the header: not sortable here
        const int row = lv->top + (y - body) / std::max(1, lv->rowHeight);
        if (row < lv->Count()) {
            Choose(hwnd, *lv, row);
        } else {
            // A tap below the rows leaves no row selected.
            for (int i = 0; i < lv->Count(); ++i)
                if (lv->rows[i].state & LVIS_SELECTED)
                    SetState(hwnd, *lv, i, 0, LVIS_SELECTED);
        }
        return 0;
    }
    case CCM_SETVERSION: return SetControlVersion(lv->version, wParam);
    case CCM_GETVERSION: return lv->version;
    case LVM_GETITEMCOUNT: return lv->Count();
    case LVM_INSERTCOLUMNW: {
        auto *col = reinterpret_cast<const LVCOLUMNW *>(lParam);
        if (!col || static_cast<int>(wParam) < 0)
            return -1;
        Column c;
        if (col->mask & LVCF_FMT)
            c.fmt = col->fmt & 3;
        if (col->mask & LVCF_WIDTH)
            c.width = std::max(0, col->cx);
        if ((col->mask & LVCF_TEXT) && col->pszText)
            c.text = col->pszText;
        size_t at = std::min<size_t>(wParam, lv->columns.size());
        lv->columns.insert(lv->columns.begin() + static_cast<ptrdiff_t>(at), c);
        Redraw(hwnd);
        return static_cast<LRESULT>(at);
    }
    case LVM_GETCOLUMNWIDTH: return wParam < lv->columns.size() ? lv->columns[wParam].width : 0;
    case LVM_SETCOLUMNWIDTH: {
        if (wParam >= lv->columns.size())
            return FALSE;
        Column &c = lv->columns[wParam];
        int width = static_cast<int>(lParam);
        if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
            int widest = width == LVSCW_AUTOSIZE_USEHEADER ? TextWidth(hwnd, *lv, c.text) : 0;
            for (const Row &row : lv->rows)
                if (wParam < row.texts.size())
                    widest = std::max(widest, TextWidth(hwnd, *lv, row.texts[wParam]));
            width = widest + 2 * ScaleToDpi(3);
        }
        c.width = std::max(0, width);
        Redraw(hwnd);
        return TRUE;
    }
    case LVM_INSERTITEMW: {
        if (!item || item->iItem < 0 || item->iSubItem != 0)
            return -1;
        const int at = std::min(item->iItem, lv->Count());
        Row row;
        if (item->mask & LVIF_TEXT)
            row.texts.push_back(item->pszText ? item->pszText : u"");
        if (item->mask & LVIF_PARAM)
            row.param = item->lParam;
        lv->rows.insert(lv->rows.begin() + at, row);
        Redraw(hwnd);
        NMLISTVIEW nm{};
        nm.iItem = at;
        nm.lParam = row.param;
        NotifyParent(hwnd, LVN_INSERTITEM, &nm.hdr);
        if ((item->mask & LVIF_STATE) && item->stateMask)
            SetState(hwnd, *lv, at, item->state, item->stateMask);
        return at;
    }
    case LVM_SETITEMW: return SetItem(hwnd, *lv, item) ? TRUE : FALSE;
    case LVM_SETITEMTEXTW: {
        if (!item)
            return FALSE;
        LVITEMW copy = *item;
        copy.iItem = static_cast<int>(wParam);
        copy.mask = LVIF_TEXT;
        return SetItem(hwnd, *lv, &copy) ? TRUE : FALSE;
    }
    case LVM_GETITEMTEXTW: {
        const int row = static_cast<int>(wParam);
        if (!item || row < 0 || row >= lv->Count() || item->iSubItem < 0)
            return 0;
        const Row &r = lv->rows[row];
        size_t k = static_cast<size_t>(item->iSubItem);
        return CopyText(k < r.texts.size() ? r.texts[k] : u"", item->pszText, item->cchTextMax);
    }
    case LVM_GETITEMW: {
        if (!item || item->iItem < 0 || item->iItem >= lv->Count() || item->iSubItem < 0)
            return FALSE;
        const Row &r = lv->rows[item->iItem];
        if (item->mask & LVIF_TEXT) {
            size_t k = static_cast<size_t>(item->iSubItem);
            CopyText(k < r.texts.size() ? r.texts[k] : u"", item->pszText, item->cchTextMax);
        }
        if (item->mask & LVIF_STATE)
            item->state = r.state & item->stateMask;
        if (item->mask & LVIF_PARAM)
            item->lParam = r.param;
        return TRUE;
    }
    case LVM_SETITEMSTATE: {
        if (!item)
            return FALSE;
        const int row = static_cast<int>(wParam);
        if (row == -1) {
            // Every row; with single selection only clearing makes sense.
            bool ok = true;
            for (int i = 0; i < lv->Count(); ++i)
                ok = SetState(hwnd, *lv, i, item->state, item->stateMask) && ok;
            return ok ? TRUE : FALSE;
        }
        return SetState(hwnd, *lv, row, item->state, item->stateMask) ? TRUE : FALSE;
    }
    case LVM_GETITEMSTATE: {
        const int row = static_cast<int>(wParam);
        if (row < 0 || row >= lv->Count())
            return 0;
        return lv->rows[row].state & static_cast<UINT>(lParam);
    }
    case LVM_GETNEXTITEM: {
        const int from = static_cast<int>(wParam);
        return lv->Next(static_cast<UINT>(LOWORD(lParam)) & (LVNI_SELECTED | LVNI_FOCUSED),
                        from < -1 ? -1 : from);
    }
    case LVM_DELETEALLITEMS: {
        NMLISTVIEW nm{};
        nm.iItem = -1;
        // A zero answer asks for LVN_DELETEITEM for each row as well.
        if (!NotifyParent(hwnd, LVN_DELETEALLITEMS, &nm.hdr))
            for (int i = 0; i < lv->Count(); ++i) {
                NMLISTVIEW one{};
                one.iItem = i;
                one.lParam = lv->rows[i].param;
                NotifyParent(hwnd, LVN_DELETEITEM, &one.hdr);
            }
        lv->rows.clear();
        lv->top = 0;
        Redraw(hwnd);
        return TRUE;
    }
    case LVM_DELETEITEM: {
        const int row = static_cast<int>(wParam);
        if (row < 0 || row >= lv->Count())
            return FALSE;
        NMLISTVIEW nm{};
        nm.iItem = row;
        nm.lParam = lv->rows[row].param;
        NotifyParent(hwnd, LVN_DELETEITEM, &nm.hdr);
        lv->rows.erase(lv->rows.begin() + row);
        lv->top = std::clamp(lv->top, 0, std::max(0, lv->Count() - lv->PerPage()));
        Redraw(hwnd);
        return TRUE;
    }
    case LVM_ENSUREVISIBLE: {
        const int row = static_cast<int>(wParam);
        if (row < 0 || row >= lv->Count())
            return FALSE;
        lv->EnsureVisible(row);
        Redraw(hwnd);
        return TRUE;
    }
    case LVM_GETTOPINDEX: return lv->top;
    case LVM_GETCOUNTPERPAGE: return lv->PerPage();
    case LVM_GETITEMRECT: {
        auto *out = reinterpret_cast<RECT *>(lParam);
        const int row = static_cast<int>(wParam);
        if (!out || row < 0 || row >= lv->Count())
            return FALSE;
        Rect rr = lv->RowRect(row);
        int width = 0;
        for (const Column &c : lv->columns)
            width += c.width;
        if (lv->columns.empty())
            width = rr.Width();
        RECT result{rr.left, rr.top, rr.left + width, rr.bottom};
        if (out->left == LVIR_LABEL && !lv->columns.empty())
            result.right = rr.left + lv->columns[0].width;
        *out = result;
        return TRUE;
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        DWORD old = lv->exStyle;
        DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFF;
        lv->exStyle = (old & ~mask) | (static_cast<DWORD>(lParam) & mask);
        Redraw(hwnd);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return lv->exStyle;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterListViewClass(WindowManager &wm) {
    wm.AddClass(std::make_shared<WindowClass>(
        WindowClass{WC_LISTVIEWW, ListViewProc, CS_DBLCLKS, nullptr, nullptr}));
}

std::optional<Rect> ListViewRowArea(WindowManager &wm, Window *w, int row) {
    auto *lv = StateAs<ListViewState>(w);
    if (!lv || row < 0 || row >= lv->Count())
        return std::nullopt;
    if (row < lv->top || row >= lv->top + lv->PerPage()) {
        lv->EnsureVisible(row);
        wm.Invalidate(w, WholeClient(w), true);
    }
    // The left half of the row: clear of the scroll bar at its right.
    Rect r = lv->RowRect(row);
    Rect screen = wm.ScreenRect(w);
    int width = std::min(r.Width(), std::max(1, r.Width() / 2));
    return Rect{screen.left + r.left, screen.top + r.top, screen.left + r.left + width,
                screen.top + r.bottom};
}

} // namespace sim
