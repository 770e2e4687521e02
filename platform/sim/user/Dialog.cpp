// DeviceSim: the dialog manager — dialogs made from templates, their default
// procedure, the modal loop, and keyboard navigation between controls.
//
// A dialog is a window of the class its template names (the system's
// "Dialog" unless it names another) whose window procedure is the default
// dialog procedure; that calls the program's dialog procedure first and
// does the default work only when it answers FALSE. As on Windows CE, every
// dialog is a control parent: tabbing through a dialog enters the dialogs
// inside it.
#include "user/Dialog.h"

#include "gdi/Gdi.h"
#include "kernel/Names.h"
#include "kernel/Process.h"
#include "user/DialogTemplate.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace sim {

namespace {

// MulDiv: rounded to the nearest, halves away from zero.
int MulDivRound(int value, int numerator, int denominator) {
    int64_t n = int64_t{value} * numerator;
    return static_cast<int>((n >= 0 ? n + denominator / 2 : n - denominator / 2) / denominator);
}

bool IsDialogClass(const Window *w) {
    return NameKey(w->cls->name) == NameKey(u"Dialog");
}

DialogUnits SystemUnits() {
    const int dpi = CurrentGdi().Dpi();
    return DialogBaseUnits(FontAt(ResolveFont(SystemLogFont(dpi), dpi)));
}

bool IsDescendant(const Window *ancestor, const Window *w) {
    for (const Window *p = w ? w->parent : nullptr; p; p = p->parent)
        if (p == ancestor)
            return true;
    return false;
}

// Visible and enabled by its own style, as the dialog manager asks.
bool Usable(const Window *w) {
    return w->Visible() && w->Enabled();
}

bool IsControlParent(Window *w) {
    return (w->exStyle & WS_EX_CONTROLPARENT) || DialogInfoOf(w);
}

LONG_PTR ReadBytes(const DialogInfo &info, size_t offset) {
    LONG_PTR v;
    std::memcpy(&v, info.bytes + offset, sizeof v);
    return v;
}

void WriteBytes(DialogInfo &info, size_t offset, LONG_PTR v) {
    std::memcpy(info.bytes + offset, &v, sizeof v);
}

HWND HandleOf(Window *w) {
    return w ? w->Hwnd() : nullptr;
}

// Every window below `w` in the order the dialog manager walks them
// (z-order, which is creation order, each window before its children),
// with whether the tab key can stop there: a visible, enabled window with
// WS_TABSTOP that is reached only through visible, enabled control parents
// and is not one itself.
struct Stop {
    Window *w;
    bool tabStop;
};
void WalkTabOrder(Window *w, bool reachable, std::vector<Stop> &out) {
    for (Window *child : w->children) {
        bool parent = IsControlParent(child);
        out.push_back(
            Stop{child, reachable && !parent && Usable(child) && (child->style & WS_TABSTOP) != 0});
        WalkTabOrder(child, reachable && parent && Usable(child), out);
    }
}

// The first control to focus: the first tab stop, else the first control
// of the first group.
Window *FirstFocus(Window *dialog) {
    if (Window *w = NextTabItem(dialog, nullptr, false))
        return w;
    return NextGroupItem(dialog, nullptr, false);
}

void SetFocusTo(DialogInfo &info, HWND control) {
    // An edit control shows all its text selected when tabbed into.
    if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(control, EM_SETSEL, 0, -1);
    SetFocus(control);
    info.focus = control;
}

// Gives the focus back to the control that had it, or to the first one.
void RestoreFocus(Window *dialog, DialogInfo &info) {
    WindowManager &wm = Windows();
    Window *saved = wm.Get(info.focus);
    if (!saved || !IsDescendant(dialog, saved))
        saved = FirstFocus(dialog);
    if (saved)
        SetFocus(saved->Hwnd());
}

void SaveFocus(Window *dialog, DialogInfo &info) {
    Window *focus = Windows().focus;
    if (focus && IsDescendant(dialog, focus))
        info.focus = focus->Hwnd();
}

// A descendant with the control id, searching children before their
// children (the default push button may lie in a page).
Window *DescendantWithId(Window *w, LONG_PTR id) {
    if (Window *c = ChildWithId(w, id))
        return c;
    for (Window *child : w->children)
        if (Window *c = DescendantWithId(child, id))
            return c;
    return nullptr;
}

// The caption a top-level dialog with WS_CAPTION shows, as message boxes
// show theirs: the title in bold white on the title bar's blue.
// Differs from the platform: DeviceSim windows have no non-client area, so
// the caption is painted over the top of the client area, which
// GetClientRect still counts, and controls are placed from the window's
// top-left corner. A full-screen dialog (SHInitDialog) shows its title in
// the task bar instead, where the two agree.
void PaintCaption(HWND hwnd, HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    int height = GetSystemMetrics(SM_CYCAPTION);
    RECT bar{0, 0, client.right, std::min<LONG>(height, client.bottom)};
    HBRUSH blue = CreateSolidBrush(RGB(0x10, 0x4A, 0x8C));
    FillRect(dc, &bar, blue);
    DeleteObject(blue);
    WCHAR title[128];
    GetWindowTextW(hwnd, title, 128);
    LOGFONTW lf = SystemLogFont(CurrentGdi().Dpi());
    lf.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = SelectObject(dc, bold);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    int margin = (6 * CurrentGdi().Dpi() + 48) / 96;
    RECT text{margin, 0, client.right - margin, bar.bottom};
    DrawTextW(dc, title, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    DeleteObject(bold);
}

// The default handling of the messages a dialog answers itself.
LRESULT DialogDefault(HWND hwnd, Window *w, DialogInfo &info, UINT msg, WPARAM wParam,
                      LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND: {
        // The background is the brush the dialog procedure answers
        // WM_CTLCOLORDLG with, in the colours it set on the DC; without an
        // answer, the system's dialog colour.
        HDC dc = reinterpret_cast<HDC>(wParam);
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)));
        if (!brush)
            brush = reinterpret_cast<HBRUSH>(
                DefWindowProcW(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)));
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, brush);
        if ((w->style & WS_CAPTION) == WS_CAPTION && !(w->style & WS_CHILD))
            PaintCaption(hwnd, dc);
        return 1;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != 0 /* WA_INACTIVE */)
            RestoreFocus(w, info);
        else
            SaveFocus(w, info);
        return 0;
    case WM_SETFOCUS: RestoreFocus(w, info); return 0;
    case WM_SHOWWINDOW:
        if (!wParam)
            SaveFocus(w, info);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case DM_SETDEFID:
        // Differs from the platform: the push buttons are not restyled
        // (BM_SETSTYLE) as the default id moves, nor as the focus moves.
        if (!info.ended)
            info.defaultId = static_cast<UINT>(wParam);
        return TRUE;
    case DM_GETDEFID: {
        if (info.ended)
            return 0;
        if (info.defaultId)
            return MAKELONG(info.defaultId, DC_HASDEFID);
        for (Window *child : w->children)
            if (SendMessageW(child->Hwnd(), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
                return MAKELONG(child->id, DC_HASDEFID);
        return 0;
    }
    case WM_NEXTDLGCTL: {
        WindowManager &wm = Windows();
        Window *next = nullptr;
        if (LOWORD(lParam)) {
            next = wm.Get(reinterpret_cast<HWND>(wParam));
        } else {
            Window *focus = wm.focus;
            next = NextTabItem(w, focus && IsDescendant(w, focus) ? focus : nullptr, wParam != 0);
        }
        if (next && IsDescendant(w, next))
            SetFocusTo(info, next->Hwnd());
        return 0;
    }
    case WM_GETFONT: return reinterpret_cast<LRESULT>(info.font);
    case WM_CLOSE: {
        // Closing a dialog is its Cancel.
        Window *cancel = ChildWithId(w, IDCANCEL);
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(HandleOf(cancel)));
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

bool AnswersDirectly(UINT msg) {
    // These messages' answer is the dialog procedure's own result; the
    // others' is what it put in DWLP_MSGRESULT.
    return (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_COMPAREITEM ||
           msg == WM_VKEYTOITEM || msg == WM_CHARTOITEM || msg == WM_QUERYDRAGICON ||
           msg == WM_INITDIALOG;
}

} // namespace

DialogInfo *DialogInfoOf(Window *w) {
    if (!w)
        return nullptr;
    if (!w->dialog && IsDialogClass(w))
        w->dialog = std::make_shared<DialogInfo>();
    return w->dialog.get();
}

DialogUnits DialogUnitsOf(Window *w) {
    DialogInfo *info = DialogInfoOf(w);
    return info && info->units.x ? info->units : SystemUnits();
}

size_t TemplateBytesAt(const void *data) {
    const ProgramImage *image = CurrentProcess().image;
    auto at = reinterpret_cast<uintptr_t>(data);
    if (image && image->resources) {
        auto start = reinterpret_cast<uintptr_t>(image->resources);
        if (at >= start && at - start < image->resourcesSize)
            return image->resourcesSize - (at - start);
    }
    // A template in the program's own memory carries no size; the platform
    // cannot check it either.
    return static_cast<size_t>(std::numeric_limits<ptrdiff_t>::max());
}

Window *ChildWithId(Window *dialog, LONG_PTR id) {
    for (Window *child : dialog->children)
        if (child->id == id)
            return child;
    return nullptr;
}

Window *NextTabItem(Window *dialog, Window *from, bool previous) {
    std::vector<Stop> order;
    WalkTabOrder(dialog, true, order);
    const size_t n = order.size();
    size_t at = n;
    if (from && from != dialog)
        for (size_t i = 0; i < n; ++i)
            if (order[i].w == from)
                at = i;
    if (at == n) {
        // No starting control: the first stop, or the last going back.
        for (size_t k = 0; k < n; ++k) {
            const Stop &s = order[previous ? n - 1 - k : k];
            if (s.tabStop)
                return s.w;
        }
        return from == dialog ? nullptr : from;
    }
    for (size_t k = 1; k < n; ++k) {
        const Stop &s = order[previous ? (at + n - k) % n : (at + k) % n];
        if (s.tabStop)
            return s.w;
    }
    // No other stop: the control itself.
    return from;
}

// A group lies among the control's siblings, as Windows CE documents it
// (desktop Windows also searches inside WS_EX_CONTROLPARENT windows).
Window *NextGroupItem(Window *dialog, Window *from, bool previous) {
    if (from == dialog)
        from = nullptr;
    const std::vector<Window *> &list = from ? from->parent->children : dialog->children;
    const size_t n = list.size();
    if (n == 0)
        return nullptr;
    size_t at;
    bool inclusive = !from;
    if (from)
        at = static_cast<size_t>(std::find(list.begin(), list.end(), from) - list.begin());
    else
        at = previous ? n - 1 : 0;
    // The group: from the nearest WS_GROUP control at or before `at` to the
    // control before the next WS_GROUP one.
    size_t first = at;
    while (first > 0 && !(list[first]->style & WS_GROUP))
        --first;
    size_t end = at + 1;
    while (end < n && !(list[end]->style & WS_GROUP))
        ++end;
    const size_t size = end - first;
    for (size_t k = inclusive ? 0 : 1; k < size; ++k) {
        size_t offset = at - first;
        size_t i = first + (previous ? (offset + size - k) % size : (offset + k) % size);
        if (Usable(list[i]))
            return list[i];
    }
    return from;
}

HWND CreateDialogFromTemplate(HINSTANCE instance, const uint8_t *data, size_t size, HWND ownerHwnd,
                              DLGPROC proc, LPARAM param, bool modal) {
    WindowManager &wm = Windows();
    Gdi &gdi = CurrentGdi();
    DialogTemplate t;
    std::string why;
    if (!ParseDialogTemplate(data, size, &t, &why)) {
        SetError(ERROR_INVALID_DATA);
        return nullptr;
    }
    Window *owner = wm.Get(ownerHwnd);

    // Windows CE makes a dialog a pop-up unless its template says WS_CHILD.
    // Differs from the platform: DS_MODALFRAME draws no frame (there is no
    // non-client area), and DS_CENTERMOUSE, DS_SYSMODAL and DS_CONTEXTHELP
    // do nothing.
    DWORD style = t.style;
    if (!(style & WS_CHILD))
        style |= WS_POPUP;
    if (style & DS_CONTROL)
        style &= ~(WS_CAPTION | WS_SYSMENU);

    const char16_t *className = u"Dialog";
    if (t.className.isOrdinal)
        className = PredefinedClassName(t.className.ordinal);
    else if (!t.className.text.empty())
        className = t.className.text.c_str();
    if (!className) {
        SetError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }

    // The font and the dialog units it gives.
    HFONT font = nullptr;
    DialogUnits units = SystemUnits();
    if (t.font) {
        LOGFONTW lf = SystemLogFont(gdi.Dpi());
        if (t.font->points != 0x7FFF) {
            lf = LOGFONTW{};
            lf.lfHeight = -MulDivRound(t.font->points, gdi.Dpi(), 72);
            lf.lfWeight = t.font->weight;
            lf.lfItalic = t.font->italic ? 1 : 0;
            lf.lfCharSet = t.font->charSet;
            size_t n = std::min<size_t>(t.font->face.size(), LF_FACESIZE - 1);
            std::copy(t.font->face.begin(), t.font->face.begin() + n, lf.lfFaceName);
        }
        font = CreateFontIndirectW(&lf);
        units = DialogBaseUnits(FontAt(ResolveFont(lf, gdi.Dpi())));
    }

    const int width = MulDivRound(t.cx, units.x, 4), height = MulDivRound(t.cy, units.y, 8);
    int x, y;
    if ((style & DS_CENTER) && !(style & WS_CHILD)) {
        Rect area = wm.WorkArea();
        x = area.left + (area.Width() - width) / 2;
        y = area.top + (area.Height() - height) / 2;
    } else {
        // In the owner's client coordinates unless DS_ABSALIGN; a dialog
        // out of the screen stays there, as on Windows CE.
        x = MulDivRound(t.x, units.x, 4);
        y = MulDivRound(t.y, units.y, 8);
        if (!(style & (WS_CHILD | DS_ABSALIGN)) && owner) {
            Rect r = wm.ScreenRect(owner);
            x += r.left;
            y += r.top;
        }
    }

    // A modal dialog's owner is a top-level window, disabled before the
    // dialog exists.
    HWND disabled = nullptr;
    if (modal && owner) {
        while ((owner->style & (WS_POPUP | WS_CHILD)) == WS_CHILD && owner->parent)
            owner = owner->parent;
        ownerHwnd = owner->Hwnd();
        if (owner->Enabled()) {
            EnableWindow(ownerHwnd, FALSE);
            disabled = ownerHwnd;
        }
    }
    auto fail = [&](HWND dialog) -> HWND {
        DWORD error = GetLastError();
        if (dialog && IsWindow(dialog))
            DestroyWindow(dialog);
        else if (font)
            DeleteObject(font);
        if (disabled && IsWindow(disabled))
            EnableWindow(disabled, TRUE);
        SetError(error);
        return nullptr;
    };

    // Differs from the platform: DeviceSim has no window menus, so a menu
    // the template names is not loaded.
    HWND hwnd = CreateWindowExW(t.exStyle, className, t.title.c_str(), style & ~WS_VISIBLE, x, y,
                                width, height, ownerHwnd, nullptr, instance, nullptr);
    if (!hwnd)
        return fail(nullptr);
    Window *w = wm.Get(hwnd);
    if (!w->dialog)
        w->dialog = std::make_shared<DialogInfo>();
    std::shared_ptr<DialogInfo> info = w->dialog;
    info->font = font; // the dialog's from now on: deleted with it
    font = nullptr;
    info->units = units;
    info->disabledOwner = disabled;
    WriteBytes(*info, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
    if (proc && info->font)
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(info->font), 0);

    for (const TemplateItem &item : t.items) {
        const char16_t *itemClass = item.className.isOrdinal
                                        ? PredefinedClassName(item.className.ordinal)
                                        : item.className.text.c_str();
        // A title given by number reaches the control as 0xFFFF and the
        // number, as the platform passes it.
        char16_t ordinalTitle[3] = {0xFFFF, item.title.ordinal, 0};
        const char16_t *title = item.title.isOrdinal ? ordinalTitle : item.title.text.c_str();
        HWND control = nullptr;
        if (itemClass)
            control =
                CreateWindowExW(item.exStyle, itemClass, title, (item.style | WS_CHILD) & ~WS_POPUP,
                                MulDivRound(item.x, units.x, 4), MulDivRound(item.y, units.y, 8),
                                MulDivRound(item.cx, units.x, 4), MulDivRound(item.cy, units.y, 8),
                                hwnd, reinterpret_cast<HMENU>(item.id), instance,
                                const_cast<uint8_t *>(item.creationData));
        else
            SetError(ERROR_CANNOT_FIND_WND_CLASS);
        if (!IsWindow(hwnd))
            return fail(nullptr);
        if (!control) {
            if (t.style & DS_NOFAILCREATE)
                continue;
            return fail(hwnd);
        }
        if (info->font)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(info->font), 0);
    }

    if (proc) {
        HWND focus = HandleOf(FirstFocus(w));
        LRESULT initFocus =
            SendMessageW(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param);
        if (!(w = wm.Get(hwnd)))
            return fail(nullptr);
        // TRUE asks for the first tab stop to have the focus; the procedure
        // may have changed the controls, so it is looked for again. A
        // hidden child dialog acting as a control takes no focus.
        if (initFocus && (!(t.style & DS_CONTROL) || (t.style & WS_VISIBLE))) {
            if (Window *first = FirstFocus(w))
                SetFocusTo(*info, first->Hwnd());
            else if (!(style & WS_CHILD))
                SetFocus(hwnd);
        }
        SaveFocus(w, *info);
    }
    if (!modal && (t.style & WS_VISIBLE) && !w->Visible() && !info->ended) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        if ((w = wm.Get(hwnd)) && !(w->style & WS_CHILD))
            RestoreFocus(w, *info);
    }
    if ((w = wm.Get(hwnd)) && (t.style & DS_SETFOREGROUND) && !(style & WS_CHILD) && w->Visible())
        SetForegroundWindow(hwnd);
    return IsWindow(hwnd) ? hwnd : fail(nullptr);
}

INT_PTR RunModalDialog(HWND hwnd) {
    WindowManager &wm = Windows();
    Window *w = wm.Get(hwnd);
    if (!w || !w->dialog)
        return -1;
    std::shared_ptr<DialogInfo> info = w->dialog;
    if (!info->ended) {
        // Shown whether or not the template says WS_VISIBLE.
        ShowWindow(hwnd, SW_SHOWNORMAL);
        if ((w = wm.Get(hwnd)) && (GetWindowLongW(hwnd, GWL_STYLE) & DS_SETFOREGROUND))
            SetForegroundWindow(hwnd);
        if ((w = wm.Get(hwnd)))
            RestoreFocus(w, *info);
    }
    MSG msg{};
    bool quit = false;
    while (!info->ended && IsWindow(hwnd)) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            quit = true;
            break;
        }
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // The owner comes back before the dialog goes, so that it can be
    // activated again. The platform does not document the owner of a modal
    // dialog destroyed without EndDialog; it is enabled again too.
    if (info->disabledOwner && IsWindow(info->disabledOwner))
        EnableWindow(info->disabledOwner, TRUE);
    info->disabledOwner = nullptr;
    if (IsWindow(hwnd))
        DestroyWindow(hwnd);
    if (quit)
        PostQuitMessage(static_cast<int>(msg.wParam));
    return info->ended ? info->result : 0;
}

bool EndDialogWindow(Window *w, INT_PTR result) {
    WindowManager &wm = Windows();
    DialogInfo *info = DialogInfoOf(w);
    if (!info) {
        SetError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    HWND hwnd = w->Hwnd();
    info->ended = true;
    info->result = result;
    if (info->disabledOwner && IsWindow(info->disabledOwner))
        EnableWindow(info->disabledOwner, TRUE);
    info->disabledOwner = nullptr;
    // The focus goes to the dialog itself, which is hidden at once.
    if (wm.focus && IsDescendant(w, wm.focus))
        SetFocus(hwnd);
    bool wasActive = wm.foreground == w;
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    if ((w = wm.Get(hwnd)) && wasActive && w->owner)
        wm.Activate(w->owner);
    // A dialog ended from another thread wakes its own thread's loop.
    if (w && !OwnThread(w))
        PostMessageW(hwnd, WM_NULL, 0, 0);
    return true;
}

LRESULT DefaultDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowManager &wm = Windows();
    Window *w = wm.Get(hwnd);
    DialogInfo *raw = DialogInfoOf(w);
    if (!raw)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    // Kept alive through the call: the procedure may destroy the dialog.
    std::shared_ptr<DialogInfo> info = w->dialog;
    WriteBytes(*info, DWLP_MSGRESULT, 0);
    auto proc = reinterpret_cast<DLGPROC>(ReadBytes(*info, DWLP_DLGPROC));
    INT_PTR handled = proc ? proc(hwnd, msg, wParam, lParam) : 0;
    w = wm.Get(hwnd);
    // The dialog's font goes with it, whatever the procedure answered.
    if (msg == WM_DESTROY && info->font) {
        DeleteObject(info->font);
        info->font = nullptr;
    }
    if (!handled && w) {
        switch (msg) {
        case WM_INITDIALOG:
        case WM_VKEYTOITEM:
        case WM_COMPAREITEM:
        case WM_CHARTOITEM: break;
        default: return DialogDefault(hwnd, w, *info, msg, wParam, lParam);
        }
    }
    if (AnswersDirectly(msg))
        return handled;
    return w ? ReadBytes(*info, DWLP_MSGRESULT) : 0;
}

bool HandleDialogMessage(HWND hDlg, MSG *msg) {
    WindowManager &wm = Windows();
    Window *dialog = wm.Get(hDlg);
    if (!dialog || !msg)
        return false;
    Window *target = wm.Get(msg->hwnd);
    if (msg->hwnd != hDlg && !(target && IsDescendant(dialog, target)))
        return false;
    // Differs from the platform: mnemonics (a letter after '&' in a
    // control's text) do not choose controls.
    if (msg->message == WM_KEYDOWN && target) {
        LRESULT code =
            SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
        bool all = (code & DLGC_WANTMESSAGE) != 0;
        switch (all ? 0 : msg->wParam) {
        case VK_TAB:
            if (code & DLGC_WANTTAB)
                break;
            // Differs from the platform: Shift is read as it is now, not as
            // it was when Tab was pressed; DeviceSim keeps no key state per
            // message queue.
            SendMessageW(hDlg, WM_NEXTDLGCTL, wm.input.down[VK_SHIFT] ? 1 : 0, 0);
            return true;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
            if (code & DLGC_WANTARROWS)
                break;
            bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
            // Arrows move through the group; a radio button reached so
            // is chosen, as a tap would choose it.
            Window *from = target == dialog ? nullptr : target;
            HWND next = HandleOf(NextGroupItem(dialog, from, back));
            if (next &&
                SendMessageW(next, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) ==
                    (DLGC_BUTTON | DLGC_RADIOBUTTON)) {
                SetFocus(next);
                if (DialogInfo *info = DialogInfoOf(dialog))
                    info->focus = next;
                if ((GetWindowLongW(next, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
                    SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
                    SendMessageW(next, BM_CLICK, 0, 0);
            } else {
                SendMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), 1);
            }
            return true;
        }
        case VK_ESCAPE:
            SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(HandleOf(ChildWithId(dialog, IDCANCEL))));
            return true;
        case VK_RETURN: {
            // The focused default push button, else the dialog's default
            // id, else IDOK.
            Window *focus = wm.focus;
            if (focus && IsDescendant(dialog, focus) &&
                (SendMessageW(focus->Hwnd(), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
                SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(focus->id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(focus->Hwnd()));
                return true;
            }
            LRESULT def = SendMessageW(hDlg, DM_GETDEFID, 0, 0);
            if (HIWORD(def) == DC_HASDEFID) {
                Window *button = DescendantWithId(dialog, LOWORD(def));
                if (!button || button->Enabled())
                    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED),
                                 reinterpret_cast<LPARAM>(HandleOf(button)));
                return true;
            }
            SendMessageW(hDlg, WM_COMMAND, IDOK,
                         reinterpret_cast<LPARAM>(HandleOf(ChildWithId(dialog, IDOK))));
            return true;
        }
        default: break;
        }
    }
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return true;
}

} // namespace sim
