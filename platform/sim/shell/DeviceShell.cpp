// DeviceSim: the device shell — the today screen, the task bar with its Start
// button, the soft-key bar, the soft-input-panel button and the pop-up menus
// they open. It is a program of its own (\Windows\shell32.exe) and uses only
// the platform's public calls, so the windows other programs look for are
// found, covered, tapped and repainted as on a device.
#include <windows.h>

#include "shell/DeviceShell.h"

#include "kernel/FileSystem.h"
#include "kernel/Kernel.h"
#include "shell/Shortcuts.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace sim;

namespace {

const char16_t kShellPath[] = u"\\Windows\\shell32.exe";
const char16_t kShellProp[] = u"DeviceSim.Shell";

const char16_t kDesktopClass[] = u"DesktopExplorerWindow";
const char16_t kTaskBarClass[] = u"HHTaskBar";
const char16_t kSoftKeyClass[] = u"MS_SOFTKEY_CE_1.0";
const char16_t kSipClass[] = u"MS_SIPBUTTON";
const char16_t kMenuClass[] = u"MNU";

const char16_t kLeftSoftKey[] = u"Calendar";
const char16_t kRightSoftKey[] = u"Menu";
const std::vector<std::u16string> kStartItems = {u"Today", u"Programs", u"Settings", u"Help"};
const std::vector<std::u16string> kSoftKeyItems = {u"Settings", u"Help", u"About"};
const char16_t *const kTodayLines[] = {u"Today", u"Owner: Pocket PC", u"No new messages",
                                       u"No appointments"};

const UINT_PTR kClockTimer = 1;
const DWORD kMinute = 60000;

// The today screen shows the colour the window manager gives bare screen, so
// the device looks the same with and without the shell where nothing is drawn.
const COLORREF kDesktopColour = 0x00A08060;
const COLORREF kBarColour = RGB(0x10, 0x30, 0x70);
const COLORREF kBarPressed = RGB(0x40, 0x70, 0xB0);
const COLORREF kBarLine = RGB(0x60, 0x80, 0xB0);
const COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kHighlight = RGB(0x31, 0x6A, 0xC5);

// No item is pressed; or the stylus that opened the menu is still down, so a
// release over any item chooses it (press, slide, lift).
const int kNoItem = -1;
const int kOpenerPress = -2;

struct Menu {
    std::u16string title;
    std::vector<std::u16string> items;
    HWND hwnd = nullptr;
    int selected = kNoItem;
    int pressed = kNoItem;
    // The window that was active before the menu took the focus; it gets it
    // back when the menu goes, unless another window took it meanwhile.
    HWND restore = nullptr;
};

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// Text in the system font; `bold` as a Windows Mobile 6 device shows the
// task bar's title and the soft keys' labels.
void Text(HDC dc, const std::u16string &text, RECT r, UINT format, COLORREF colour,
          bool bold = false) {
    HFONT font = nullptr;
    HGDIOBJ old = nullptr;
    if (bold) {
        LOGFONTW lf{};
        GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
        lf.lfWeight = FW_BOLD;
        font = CreateFontIndirectW(&lf);
        old = SelectObject(dc, font);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), -1, &r, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (font) {
        SelectObject(dc, old);
        DeleteObject(font);
    }
}

class Shell {
public:
    uint32_t Run();

    LRESULT DesktopProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT TaskBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT SoftKeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT SipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT MenuProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    int S(int v) const { return (v * dpi_ + 48) / 96; }
    int BarHeight() const { return S(26); }
    RECT TaskBarRect() const { return RECT{0, 0, width_, BarHeight()}; }
    RECT SoftKeyRect() const { return RECT{0, height_ - BarHeight(), width_, height_}; }
    RECT SipRect() const {
        return RECT{width_ / 2 - S(12), height_ - BarHeight(), width_ / 2 + S(12), height_};
    }
    // Which soft key is under a point of the bar: 0 left, 1 right, or none.
    int SoftKeyAt(int x, int y) const;

    bool ReadScreen();
    HWND CreateBar(const char16_t *className, DWORD exStyle, const RECT &r);
    void Place(HWND hwnd, const RECT &r);
    void Layout();
    void SetWorkArea();
    void SettingChanged();

    void PaintDesktop(HWND hwnd);
    void PaintTaskBar(HWND hwnd);
    void PaintSoftKeys(HWND hwnd);
    void PaintSip(HWND hwnd);
    void PaintMenu(HWND hwnd);

    void OpenMenu(const std::u16string &title, const std::vector<std::u16string> &items,
                  bool belowTaskBar, bool byStylus);
    int ItemAt(int x, int y) const;
    void Select(int item);
    void EndMenu(const std::string &how, bool giveBackFocus = true);
    // Closes the menu with `item` chosen and does what the item stands for.
    void Choose(int item);

    int width_ = 0, height_ = 0, dpi_ = 96;
    HWND desktop_ = nullptr, taskBar_ = nullptr, softKeys_ = nullptr, sip_ = nullptr;
    int softKeyPressed_ = kNoItem;
    std::unique_ptr<Menu> menu_;
};

// Every window reaches the one shell object of its process through a
// property set while the window is created.
template <LRESULT (Shell::*Handler)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK Forward(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // Only the first WM_CREATE, the one CreateWindow sends, names the shell.
    if (msg == WM_CREATE && lParam && !GetPropW(hwnd, kShellProp))
        SetPropW(hwnd, kShellProp, reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
    auto *shell = static_cast<Shell *>(GetPropW(hwnd, kShellProp));
    if (!shell)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    return (shell->*Handler)(hwnd, msg, wParam, lParam);
}

// ------------------------------------------------------------ start and layout

uint32_t Shell::Run() {
    const struct {
        const char16_t *name;
        WNDPROC proc;
    } classes[] = {{kDesktopClass, Forward<&Shell::DesktopProc>},
                   {kTaskBarClass, Forward<&Shell::TaskBarProc>},
                   {kSoftKeyClass, Forward<&Shell::SoftKeyProc>},
                   {kSipClass, Forward<&Shell::SipProc>},
                   {kMenuClass, Forward<&Shell::MenuProc>}};
    for (const auto &c : classes) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = c.proc;
        wc.lpszClassName = c.name;
        RegisterClassW(&wc);
    }
    ReadScreen();
    // The today screen is an ordinary window, active until a program starts;
    // the bars never take the focus, and each is created above the one
    // before, which leaves the soft-input-panel button over the soft-key bar.
    desktop_ = CreateWindowExW(0, kDesktopClass, u"Desktop", WS_POPUP | WS_VISIBLE, 0, 0, width_,
                               height_, nullptr, nullptr, nullptr, this);
    const DWORD bar = WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    taskBar_ = CreateBar(kTaskBarClass, bar, TaskBarRect());
    softKeys_ = CreateBar(kSoftKeyClass, bar, SoftKeyRect());
    sip_ = CreateBar(kSipClass, bar, SipRect());
    SetWorkArea();
    // The clock turns over on whole minutes of device time.
    SetTimer(taskBar_, kClockTimer, kMinute - GetTickCount() % kMinute, nullptr);

    // The shell lasts as long as the device: a stray WM_QUIT does not end it.
    MSG msg;
    for (;;)
        if (GetMessageW(&msg, nullptr, 0, 0))
            DispatchMessageW(&msg);
}

HWND Shell::CreateBar(const char16_t *className, DWORD exStyle, const RECT &r) {
    return CreateWindowExW(exStyle, className, u"", WS_POPUP | WS_VISIBLE, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr, nullptr, this);
}

// Reads the screen's size and DPI; true when they differ from what the
// windows were laid out for.
bool Shell::ReadScreen() {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    int dpi = dpi_;
    if (HDC dc = GetDC(nullptr)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(nullptr, dc);
    }
    if (dpi <= 0)
        dpi = 96;
    bool changed = width != width_ || height != height_ || dpi != dpi_;
    width_ = width;
    height_ = height;
    dpi_ = dpi;
    return changed;
}

void Shell::Place(HWND hwnd, const RECT &r) {
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Shell::Layout() {
    Place(desktop_, RECT{0, 0, width_, height_});
    Place(taskBar_, TaskBarRect());
    Place(softKeys_, SoftKeyRect());
    Place(sip_, SipRect());
    SetWorkArea();
}

// Programs size their windows to what the bars leave free.
void Shell::SetWorkArea() {
    RECT area{0, BarHeight(), width_, height_ - BarHeight()};
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &area, 0);
}

// Every top-level window hears of a new screen; the first of the shell's to
// hear lays them all out, and the others find nothing left to do.
void Shell::SettingChanged() {
    if (!ReadScreen())
        return;
    // A menu's place was worked out for the old screen.
    EndMenu("closed");
    Layout();
}

// ------------------------------------------------------------ today screen

LRESULT Shell::DesktopProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: PaintDesktop(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETTINGCHANGE: SettingChanged(); return 0;
    case WM_LBUTTONUP:
        // The lift of a tap that closed a menu, held here so that it goes
        // no further than the tap's press.
        if (GetCapture() == hwnd)
            ReleaseCapture();
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Shell::PaintDesktop(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    Fill(dc, 0, 0, width_, height_, kDesktopColour);
    int y = BarHeight() + S(8);
    for (const char16_t *line : kTodayLines) {
        Text(dc, line, RECT{S(8), y, width_ - S(8), y + S(16)}, DT_LEFT, kWhite);
        y += S(16);
    }
    EndPaint(hwnd, &ps);
}

// ------------------------------------------------------------ task bar

LRESULT Shell::TaskBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: PaintTaskBar(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETTINGCHANGE: SettingChanged(); return 0;
    case WM_TIMER: {
        RECT clock{width_ / 2, 0, width_, BarHeight()};
        InvalidateRect(hwnd, &clock, FALSE);
        SetTimer(hwnd, kClockTimer, kMinute - GetTickCount() % kMinute, nullptr);
        return 0;
    }
    case WM_LBUTTONDOWN:
        // The Start menu drops on the press, so the stylus can slide onto an
        // item and lift there.
        if (GET_X_LPARAM(lParam) < BarHeight())
            OpenMenu(u"Start", kStartItems, true, true);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Shell::PaintTaskBar(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    int h = BarHeight();
    Fill(dc, 0, 0, width_, h, kBarColour);
    // The Start glyph: a flag of four coloured panes in the button's middle.
    int pane = S(6), gap = S(1);
    int left = (h - 2 * pane - gap) / 2, top = (h - 2 * pane - gap) / 2;
    const COLORREF panes[] = {RGB(0xE0, 0x40, 0x20), RGB(0x40, 0xB0, 0x30), RGB(0x20, 0x80, 0xE0),
                              RGB(0xF0, 0xC0, 0x20)};
    for (int i = 0; i < 4; ++i) {
        int x = left + (i % 2) * (pane + gap), y = top + (i / 2) * (pane + gap);
        Fill(dc, x, y, x + pane, y + pane, panes[i]);
    }
    Fill(dc, h, S(4), h + S(1), h - S(4), kBarLine);
    Text(dc, u"Start", RECT{h + S(6), 0, width_ / 2, h}, DT_LEFT, kWhite, true);
    // Device time as a clock that starts at 0:00 when the device does.
    DWORD minutes = GetTickCount() / kMinute;
    std::string clock = std::to_string(minutes / 60 % 24) + ":" + (minutes % 60 < 10 ? "0" : "") +
                        std::to_string(minutes % 60);
    Text(dc, Widen(clock), RECT{width_ / 2, 0, width_ - S(6), h}, DT_RIGHT, kWhite);
    EndPaint(hwnd, &ps);
}

// ------------------------------------------------------------ soft keys

int Shell::SoftKeyAt(int x, int y) const {
    if (y < 0 || y >= BarHeight() || x < 0 || x >= width_)
        return kNoItem;
    return x < width_ / 2 ? 0 : 1;
}

LRESULT Shell::SoftKeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT: PaintSoftKeys(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETTINGCHANGE: SettingChanged(); return 0;
    case WM_LBUTTONDOWN: {
        int key = SoftKeyAt(x, y);
        if (key == 1) {
            OpenMenu(kRightSoftKey, kSoftKeyItems, false, true);
        } else if (key == 0) {
            // The left key acts as a button: only a release over it counts.
            softKeyPressed_ = 0;
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONUP:
        if (softKeyPressed_ == kNoItem)
            return 0;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        if (SoftKeyAt(x, y) == softKeyPressed_)
            CurrentKernel().Record("softkey " + QuoteText(kLeftSoftKey));
        softKeyPressed_ = kNoItem;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Shell::PaintSoftKeys(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    int h = BarHeight(), half = width_ / 2;
    Fill(dc, 0, 0, width_, h, kBarColour);
    if (softKeyPressed_ == 0)
        Fill(dc, 0, 0, half, h, kBarPressed);
    Fill(dc, 0, 0, width_, S(1), kBarLine);
    Fill(dc, half, S(4), half + S(1), h - S(4), kBarLine);
    Text(dc, kLeftSoftKey, RECT{0, 0, half, h}, DT_CENTER, kWhite, true);
    Text(dc, kRightSoftKey, RECT{half, 0, width_, h}, DT_CENTER, kWhite, true);
    EndPaint(hwnd, &ps);
}

// ------------------------------------------------------------ input panel button

LRESULT Shell::SipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: PaintSip(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETTINGCHANGE: SettingChanged(); return 0;
    // There is no input panel to show: a tap on the button ends here.
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Shell::PaintSip(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    Fill(dc, 0, 0, r.right, r.bottom, kBarColour);
    Fill(dc, 0, 0, r.right, S(1), kBarLine); // the soft-key bar's edge runs on
    // A keyboard: a light body with two rows of keys and a space bar.
    int keyW = S(2), keyGap = S(1), keys = 5;
    int bodyW = keys * keyW + (keys + 1) * keyGap, bodyH = 3 * S(2) + 4 * keyGap;
    int left = (r.right - bodyW) / 2, top = (r.bottom - bodyH) / 2;
    Fill(dc, left, top, left + bodyW, top + bodyH, RGB(0xE0, 0xE0, 0xE0));
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < keys; ++k) {
            int x = left + keyGap + k * (keyW + keyGap);
            int y = top + keyGap + row * (S(2) + keyGap);
            Fill(dc, x, y, x + keyW, y + S(2), RGB(0x30, 0x30, 0x30));
        }
    int spaceTop = top + keyGap + 2 * (S(2) + keyGap);
    Fill(dc, left + keyGap + keyW + keyGap, spaceTop, left + bodyW - 2 * keyGap - keyW,
         spaceTop + S(2), RGB(0x30, 0x30, 0x30));
    EndPaint(hwnd, &ps);
}

// ------------------------------------------------------------ menus

void Shell::OpenMenu(const std::u16string &title, const std::vector<std::u16string> &items,
                     bool belowTaskBar, bool byStylus) {
    HWND restore = GetForegroundWindow();
    if (menu_) {
        // One menu at a time; the new one hands the focus back where the
        // old one would have.
        restore = menu_->restore;
        EndMenu("closed", false);
    }
    int textWidth = 0;
    if (HDC dc = GetDC(nullptr)) {
        for (const std::u16string &item : items) {
            RECT r{0, 0, 0, 0};
            DrawTextW(dc, item.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            textWidth = std::max<int>(textWidth, r.right);
        }
        ReleaseDC(nullptr, dc);
    }
    int border = S(1);
    int w = std::min(width_, textWidth + 2 * S(8) + 2 * border);
    int h = std::min(height_, static_cast<int>(items.size()) * S(20) + 2 * border);
    int x = belowTaskBar ? 0 : width_ - w;
    int y = belowTaskBar ? BarHeight() : height_ - BarHeight() - h;
    y = std::clamp(y, 0, std::max(0, height_ - h));

    auto menu = std::make_unique<Menu>();
    menu->title = title;
    menu->items = items;
    menu->pressed = byStylus ? kOpenerPress : kNoItem;
    menu->restore = restore;
    menu_ = std::move(menu);
    // Visible from its creation, the menu becomes the active window and so
    // gets the keys; the capture brings it every tap, wherever it lands.
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, kMenuClass, title.c_str(), WS_POPUP | WS_VISIBLE, x,
                                y, w, h, nullptr, nullptr, nullptr, this);
    if (!hwnd) {
        menu_.reset();
        return;
    }
    menu_->hwnd = hwnd;
    SetCapture(hwnd);
}

int Shell::ItemAt(int x, int y) const {
    if (!menu_)
        return kNoItem;
    RECT r;
    GetClientRect(menu_->hwnd, &r);
    int border = S(1);
    if (x < 0 || x >= r.right || y < border || y >= r.bottom - border)
        return kNoItem;
    int item = (y - border) / S(20);
    return item < static_cast<int>(menu_->items.size()) ? item : kNoItem;
}

void Shell::Select(int item) {
    if (menu_->selected == item)
        return;
    menu_->selected = item;
    InvalidateRect(menu_->hwnd, nullptr, FALSE);
}

// Closes the open menu, with the event that says how.
void Shell::EndMenu(const std::string &how, bool giveBackFocus) {
    if (!menu_)
        return;
    std::unique_ptr<Menu> menu = std::move(menu_);
    CurrentKernel().Record("menu " + QuoteText(menu->title) + " " + how);
    if (GetCapture() == menu->hwnd)
        ReleaseCapture();
    DestroyWindow(menu->hwnd);
    if (giveBackFocus && !GetForegroundWindow() && menu->restore && IsWindow(menu->restore))
        SetActiveWindow(menu->restore);
}

void Shell::Choose(int item) {
    std::u16string title = menu_->title, chosen = menu_->items[item];
    EndMenu("chose " + QuoteText(chosen));
    // Differs from the platform: an empty Programs folder opens no list.
    std::vector<std::u16string> programs = ProgramShortcuts(CurrentFiles());
    if (title == u"Start" && chosen == u"Programs" && !programs.empty())
        OpenMenu(u"Programs", programs, true, false);
    else if (title == u"Programs")
        RunShortcut(CurrentFiles(), std::u16string(kProgramsFolder) + u"\\" + chosen + u".lnk");
}

LRESULT Shell::MenuProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool mine = menu_ && menu_->hwnd == hwnd;
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT: PaintMenu(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETTINGCHANGE: SettingChanged(); return 0;
    case WM_KEYDOWN: {
        if (!mine)
            return 0;
        int count = static_cast<int>(menu_->items.size());
        if (count == 0)
            return 0;
        switch (wParam) {
        case VK_UP: Select(menu_->selected <= 0 ? count - 1 : menu_->selected - 1); break;
        case VK_DOWN: Select((menu_->selected + 1) % count); break;
        case VK_RETURN:
            if (menu_->selected >= 0)
                Choose(menu_->selected);
            break;
        case VK_LEFT:
        case VK_ESCAPE: EndMenu("closed"); break;
        default: break;
        }
        return 0;
    }
    case WM_LBUTTONDOWN: {
        if (!mine)
            return 0;
        RECT r;
        GetClientRect(hwnd, &r);
        POINT p{x, y};
        if (!PtInRect(&r, p)) {
            // The tap that closes a menu goes no further, its lift neither.
            EndMenu("closed");
            SetCapture(desktop_);
            return 0;
        }
        menu_->pressed = ItemAt(x, y);
        Select(menu_->pressed);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (mine && menu_->pressed != kNoItem)
            Select(ItemAt(x, y));
        return 0;
    case WM_LBUTTONUP: {
        if (!mine || menu_->pressed == kNoItem)
            return 0;
        int item = ItemAt(x, y);
        bool chosen = item != kNoItem && (menu_->pressed == kOpenerPress || item == menu_->pressed);
        menu_->pressed = kNoItem;
        if (chosen)
            Choose(item);
        return 0;
    }
    case WM_ACTIVATE:
        // Another window took the focus: the menu is done.
        if (mine && LOWORD(wParam) == 0)
            EndMenu("closed");
        return 0;
    case WM_CLOSE:
        if (mine)
            EndMenu("closed");
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Shell::PaintMenu(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    int border = S(1), itemH = S(20);
    Fill(dc, 0, 0, r.right, r.bottom, kBlack);
    Fill(dc, border, border, r.right - border, r.bottom - border, kWhite);
    if (menu_ && menu_->hwnd == hwnd)
        for (size_t i = 0; i < menu_->items.size(); ++i) {
            int top = border + static_cast<int>(i) * itemH;
            bool selected = static_cast<int>(i) == menu_->selected;
            if (selected)
                Fill(dc, border, top, r.right - border, top + itemH, kHighlight);
            Text(dc, menu_->items[i], RECT{border + S(8), top, r.right - border, top + itemH},
                 DT_LEFT, selected ? kWhite : kBlack);
        }
    EndPaint(hwnd, &ps);
}

uint32_t ShellMain() {
    Shell shell;
    return shell.Run();
}

} // namespace

namespace sim {

void StartDeviceShell(Kernel &kernel) {
    kernel.StartFunction(kShellPath, ShellMain);
}

} // namespace sim
