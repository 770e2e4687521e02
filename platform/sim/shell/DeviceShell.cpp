// DeviceSim: the device shell — the today screen, the task bar with its Start
// button, the soft-key bar, the soft-input-panel button and the pop-up menus
// they open. It is a program of its own (\Windows\shell32.exe) and uses only
// the platform's public calls, so the windows other programs look for are
// found, covered, tapped and repainted as on a device.
#include <windows.h>

#include "shell/DeviceShell.h"

#include "kernel/FileSystem.h"
#include "kernel/Kernel.h"
#include "shell/HardwareButtons.h"
#include "shell/HtmlText.h"
#include "shell/ShellState.h"
#include "shell/Shortcuts.h"
#include "user/PopupMenu.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

using namespace sim;

namespace {

const char16_t kShellPath[] = u"\\Windows\\shell32.exe";
const char16_t kShellProp[] = u"DeviceSim.Shell";

const char16_t kDesktopClass[] = u"DesktopExplorerWindow";
const char16_t kSoftKeyClass[] = u"MS_SOFTKEY_CE_1.0";
const char16_t kSipClass[] = u"MS_SIPBUTTON";

const char16_t kBubbleClass[] = u"NotificationBubble";
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

// No soft key is pressed.
const int kNoItem = -1;

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
    LRESULT BubbleProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

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
    void PaintBubble(HWND hwnd);

    // What programs set up through the shell library changed: the bars
    // repaint, the input-panel button follows the menu bar, the bubble
    // follows the notifications.
    void Sync();
    void SyncBubble();
    void SoftKeyPressed(int key);
    void SoftKeyReleased(int key);
    void CloseBubble(bool bySoftKey);
    // The bubble's parts, in its client coordinates.
    RECT BubbleButtonRect(HWND hwnd) const;
    int BubbleHeight(const NotificationRecord &n) const;

    // The shell's own menus: one at a time, opened by a stylus press.
    void OpenMenu(const std::u16string &title, const std::vector<std::u16string> &items,
                  bool belowTaskBar, bool byStylus = true);
    // Does what a chosen item of the shell's own menus stands for.
    void Choose(const std::u16string &menu, const std::u16string &item);
    void EndMenu();

    // A hardware button pressed: what its entry says, then the built-in
    // actions the simulated device has something to show for.
    void ButtonPressed(int vk);

    int width_ = 0, height_ = 0, dpi_ = 96;
    HWND desktop_ = nullptr, taskBar_ = nullptr, softKeys_ = nullptr, sip_ = nullptr;
    int softKeyPressed_ = kNoItem;
    bool okPressed_ = false;
    HWND menu_ = nullptr;
    HWND bubble_ = nullptr;
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
                   {kBubbleClass, Forward<&Shell::BubbleProc>}};
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
    // The application buttons that no program has taken as hot keys come
    // here, whichever window has the focus.
    Windows().input.appKeyReceiver = desktop_;
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
    // The bubble is laid out again for the new screen.
    if (bubble_) {
        ShellOf(CurrentKernel()).shownNotification = 0;
        SyncBubble();
    }
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
    EndMenu();
    Layout();
}

// ------------------------------------------------------------ today screen

LRESULT Shell::DesktopProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: PaintDesktop(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETTINGCHANGE: SettingChanged(); return 0;
    case WM_KEYDOWN:
        // Holding a button runs it once.
        if (wParam >= VK_APP1 && wParam <= VK_APP6 && !(lParam & 0x40000000))
            ButtonPressed(int(wParam));
        return 0;
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
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT: PaintTaskBar(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETTINGCHANGE: SettingChanged(); return 0;
    case kShellChanged: Sync(); return 0;
    case WM_TIMER: {
        RECT clock{width_ / 2, 0, width_, BarHeight()};
        InvalidateRect(hwnd, &clock, FALSE);
        SetTimer(hwnd, kClockTimer, kMinute - GetTickCount() % kMinute, nullptr);
        return 0;
    }
    case WM_LBUTTONDOWN:
        // The Start menu drops on the press, so the stylus can slide onto an
        // item and lift there.
        if (x < BarHeight()) {
            OpenMenu(u"Start", kStartItems, true);
        } else if (DoneButtonDialog(CurrentKernel()) &&
                   GeometryOf(CurrentKernel()).OkButton().Contains(x, y)) {
            // "ok" acts as a button: only a release over it counts.
            okPressed_ = true;
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!okPressed_)
            return 0;
        okPressed_ = false;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        HWND dialog = DoneButtonDialog(CurrentKernel());
        if (dialog && GeometryOf(CurrentKernel()).OkButton().Contains(x, y))
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
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
    // A dialog set up by the shell library has its title here, and "ok" at
    // the right end when it asked for one.
    std::u16string title = u"Start";
    HWND dialog = GetForegroundWindow();
    if (dialog && ShellOf(CurrentKernel()).DialogOf(dialog, Windows())) {
        WCHAR text[128] = {};
        GetWindowTextW(dialog, text, 128);
        title = text;
    }
    bool ok = DoneButtonDialog(CurrentKernel()) != nullptr;
    int right = width_ - S(6);
    if (ok) {
        Rect r = GeometryOf(CurrentKernel()).OkButton();
        Fill(dc, r.left, r.top, r.right, r.bottom, okPressed_ ? kBarPressed : kBarLine);
        Fill(dc, r.left + S(1), r.top + S(1), r.right - S(1), r.bottom - S(1),
             okPressed_ ? kBarPressed : kBarColour);
        Text(dc, u"ok", RECT{r.left, r.top, r.right, r.bottom}, DT_CENTER, kWhite, true);
        right = r.left - S(4);
    }
    Text(dc, title, RECT{h + S(6), 0, width_ / 2 + S(20), h}, DT_LEFT, kWhite, true);
    // Device time as a clock that starts at 0:00 when the device does.
    DWORD minutes = GetTickCount() / kMinute;
    std::string clock = std::to_string(minutes / 60 % 24) + ":" + (minutes % 60 < 10 ? "0" : "") +
                        std::to_string(minutes % 60);
    Text(dc, Widen(clock), RECT{width_ / 2, 0, right, h}, DT_RIGHT, kWhite);
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
        if (key != kNoItem)
            SoftKeyPressed(key);
        return 0;
    }
    case WM_LBUTTONUP: {
        if (softKeyPressed_ == kNoItem)
            return 0;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        int key = softKeyPressed_;
        softKeyPressed_ = kNoItem;
        InvalidateRect(hwnd, nullptr, FALSE);
        if (SoftKeyAt(x, y) == key)
            SoftKeyReleased(key);
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// A key with a menu opens it on the press, so the stylus can slide onto an
// item; any other key acts as a button, on a release over it.
void Shell::SoftKeyPressed(int key) {
    SoftKey k = CurrentSoftKeys(CurrentKernel())[size_t(key)];
    if (k.kind == SoftKeyKind::None)
        return;
    if (k.kind == SoftKeyKind::ShellMenu) {
        OpenMenu(k.label, kSoftKeyItems, false);
        return;
    }
    if (k.kind == SoftKeyKind::Popup) {
        const MenuData *menu = Windows().menus.Get(reinterpret_cast<HMENU>(k.command));
        if (!menu)
            return;
        EndMenu();
        PopupRequest request;
        request.title = k.label;
        request.items = PopupItemsFor(*menu);
        request.x = key == 0 ? 0 : width_;
        request.y = height_ - BarHeight();
        request.align = (key == 0 ? TPM_LEFTALIGN : TPM_RIGHTALIGN) | TPM_BOTTOMALIGN;
        request.byStylus = true;
        HMENU popup = reinterpret_cast<HMENU>(k.command);
        HWND owner = k.owner;
        ShellOf(CurrentKernel()).menuBarInUse = owner;
        request.onEnd = [this, popup, owner](int item) {
            menu_ = nullptr;
            ShellOf(CurrentKernel()).menuBarInUse = nullptr;
            const MenuData *data = Windows().menus.Get(popup);
            if (item >= 0 && data && size_t(item) < data->items.size())
                PostMessageW(owner, WM_COMMAND, MAKEWPARAM(data->items[size_t(item)].id, 0), 0);
            InvalidateRect(softKeys_, nullptr, FALSE);
        };
        menu_ = OpenPopupMenu(std::move(request));
        if (!menu_)
            ShellOf(CurrentKernel()).menuBarInUse = nullptr;
        return;
    }
    softKeyPressed_ = key;
    SetCapture(softKeys_);
    InvalidateRect(softKeys_, nullptr, FALSE);
}

void Shell::SoftKeyReleased(int key) {
    SoftKey k = CurrentSoftKeys(CurrentKernel())[size_t(key)];
    if (k.kind == SoftKeyKind::None)
        return;
    CurrentKernel().Record("softkey " + QuoteText(k.label));
    if (k.kind == SoftKeyKind::Command)
        PostMessageW(k.owner, WM_COMMAND, MAKEWPARAM(k.command, 0), 0);
    else if (k.kind == SoftKeyKind::Dismiss)
        CloseBubble(true);
}

void Shell::PaintSoftKeys(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    int h = BarHeight(), half = width_ / 2;
    std::array<SoftKey, 2> keys = CurrentSoftKeys(CurrentKernel());
    Fill(dc, 0, 0, width_, h, kBarColour);
    if (softKeyPressed_ == 0)
        Fill(dc, 0, 0, half, h, kBarPressed);
    if (softKeyPressed_ == 1)
        Fill(dc, half, 0, width_, h, kBarPressed);
    Fill(dc, 0, 0, width_, S(1), kBarLine);
    Fill(dc, half, S(4), half + S(1), h - S(4), kBarLine);
    Text(dc, keys[0].label, RECT{0, 0, half, h}, DT_CENTER, kWhite, true);
    Text(dc, keys[1].label, RECT{half, 0, width_, h}, DT_CENTER, kWhite, true);
    EndPaint(hwnd, &ps);
}

// ------------------------------------------------------------ what programs set up

void Shell::Sync() {
    InvalidateRect(taskBar_, nullptr, FALSE);
    InvalidateRect(softKeys_, nullptr, FALSE);
    bool hide = SipButtonHidden(CurrentKernel());
    if (hide == IsWindowVisible(sip_))
        ShowWindow(sip_, hide ? SW_HIDE : SW_SHOWNOACTIVATE);
    SyncBubble();
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
    EndMenu();
    PopupRequest request;
    request.title = title;
    for (const std::u16string &text : items)
        request.items.push_back(PopupItem{text});
    // The Start menu drops from the task bar's left end; a soft key's menu
    // rises from the soft-key bar's right end.
    request.x = belowTaskBar ? 0 : width_;
    request.y = belowTaskBar ? BarHeight() : height_ - BarHeight();
    request.align = belowTaskBar ? TPM_LEFTALIGN | TPM_TOPALIGN : TPM_RIGHTALIGN | TPM_BOTTOMALIGN;
    request.byStylus = byStylus;
    request.onEnd = [this, title, items](int chosen) {
        menu_ = nullptr;
        if (chosen >= 0)
            Choose(title, items[size_t(chosen)]);
    };
    menu_ = OpenPopupMenu(std::move(request));
}

void Shell::Choose(const std::u16string &menu, const std::u16string &item) {
    // Differs from the platform: an empty Programs folder opens no list.
    std::vector<std::u16string> programs = ProgramShortcuts(CurrentFiles());
    if (menu == u"Start" && item == u"Programs" && !programs.empty())
        OpenMenu(u"Programs", programs, true, false);
    else if (menu == u"Programs")
        RunShortcut(CurrentFiles(), std::u16string(kProgramsFolder) + u"\\" + item + u".lnk");
}

void Shell::EndMenu() {
    if (menu_ && IsWindow(menu_))
        ClosePopupMenu(menu_);
    menu_ = nullptr;
}

// ------------------------------------------------------------ hardware buttons

void Shell::ButtonPressed(int vk) {
    switch (PressHardwareButton(vk)) {
    case kActionStartMenu: OpenMenu(u"Start", kStartItems, true, false); break;
    case kActionToday:
        EndMenu();
        SetWindowPos(desktop_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(desktop_);
        break;
    case kActionOkClose: {
        // "ok" for a dialog that shows it, else the foreground program closes.
        if (HWND dialog = DoneButtonDialog(CurrentKernel())) {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        } else {
            HWND top = GetForegroundWindow();
            if (top && top != desktop_)
                PostMessageW(top, WM_CLOSE, 0, 0);
        }
        break;
    }
    // The input panel, scrolling, the context menu and rotation have nothing
    // to act on here; the event shows them.
    default: break;
    }
}

// ------------------------------------------------------------ notification bubble

const int kBubbleTitle = 20; // the title row's height at 96 DPI
const int kBubblePad = 6;
const int kBubbleButton = 22;

int Shell::BubbleHeight(const NotificationRecord &n) const {
    HtmlText body = RenderHtml(n.html);
    int textHeight = 0;
    if (HDC dc = GetDC(nullptr)) {
        RECT r{0, 0, width_ - S(8) - 2 * S(kBubblePad), 0};
        DrawTextW(dc, body.text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        textHeight = r.bottom - r.top;
        ReleaseDC(nullptr, dc);
    }
    int h = S(kBubbleTitle) + 2 * S(kBubblePad) + textHeight;
    if (!body.buttons.empty())
        h += S(kBubbleButton) + S(kBubblePad);
    // The bubble fits between the bars; a longer text is cut.
    return std::min(h, height_ - 2 * BarHeight() - S(4));
}

RECT Shell::BubbleButtonRect(HWND hwnd) const {
    RECT r;
    GetClientRect(hwnd, &r);
    int w = S(60);
    return RECT{r.right - S(kBubblePad) - w, r.bottom - S(kBubblePad) - S(kBubbleButton),
                r.right - S(kBubblePad), r.bottom - S(kBubblePad)};
}

// The bubble shows the latest notification; it rises from the soft-key bar.
void Shell::SyncBubble() {
    ShellState &shell = ShellOf(CurrentKernel());
    const NotificationRecord *latest = nullptr;
    for (const NotificationRecord &n : shell.notifications)
        if (!latest || n.serial > latest->serial)
            latest = &n;
    if (!latest) {
        shell.shownNotification = 0;
        if (bubble_)
            DestroyWindow(bubble_);
        bubble_ = nullptr;
        return;
    }
    if (bubble_ && shell.shownNotification == latest->serial)
        return;
    shell.shownNotification = latest->serial;
    int h = BubbleHeight(*latest);
    int x = S(4), y = height_ - BarHeight() - S(2) - h, w = width_ - S(8);
    if (bubble_) {
        SetWindowTextW(bubble_, latest->title.c_str());
        SetWindowPos(bubble_, HWND_TOP, x, y, w, h, SWP_NOACTIVATE);
        InvalidateRect(bubble_, nullptr, FALSE);
    } else {
        bubble_ =
            CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kBubbleClass, latest->title.c_str(),
                            WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr, nullptr, this);
    }
    InvalidateRect(softKeys_, nullptr, FALSE);
}

// The user closed the bubble (its button or its soft key): the notification
// is done, and its sink, if it has one, hears the command.
void Shell::CloseBubble(bool bySoftKey) {
    ShellState &shell = ShellOf(CurrentKernel());
    const NotificationRecord *n = shell.Shown();
    if (!n)
        return;
    if (n->sink && bySoftKey)
        PostMessageW(n->sink, WM_COMMAND, n->softKeyCommand, 0);
    CurrentKernel().Record("notification " + QuoteText(n->title) + " closed");
    uint64_t serial = n->serial;
    std::erase_if(shell.notifications,
                  [serial](const NotificationRecord &r) { return r.serial == serial; });
    shell.shownNotification = 0;
    if (bubble_)
        DestroyWindow(bubble_);
    bubble_ = nullptr;
    Sync();
}

LRESULT Shell::BubbleProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: PaintBubble(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONUP: {
        const NotificationRecord *n = ShellOf(CurrentKernel()).Shown();
        if (!n || RenderHtml(n->html).buttons.empty())
            return 0;
        RECT button = BubbleButtonRect(hwnd);
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (PtInRect(&button, p))
            CloseBubble(false);
        return 0;
    }
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Shell::PaintBubble(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    const NotificationRecord *n = ShellOf(CurrentKernel()).Shown();
    Fill(dc, 0, 0, r.right, r.bottom, kBarColour);
    int title = S(kBubbleTitle);
    Fill(dc, S(1), title, r.right - S(1), r.bottom - S(1), kWhite);
    if (n) {
        Text(dc, n->title, RECT{S(kBubblePad), 0, r.right - S(kBubblePad), title}, DT_LEFT, kWhite,
             true);
        HtmlText body = RenderHtml(n->html);
        RECT text{S(kBubblePad), title + S(kBubblePad), r.right - S(kBubblePad),
                  r.bottom - S(kBubblePad)};
        if (!body.buttons.empty())
            text.bottom -= S(kBubbleButton) + S(kBubblePad);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kBlack);
        DrawTextW(dc, body.text.c_str(), -1, &text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
        if (!body.buttons.empty()) {
            RECT b = BubbleButtonRect(hwnd);
            Fill(dc, b.left, b.top, b.right, b.bottom, RGB(0x70, 0x70, 0x70));
            Fill(dc, b.left + S(1), b.top + S(1), b.right - S(1), b.bottom - S(1),
                 RGB(0xE8, 0xE8, 0xE8));
            Text(dc, body.buttons.front().label, b, DT_CENTER, kBlack);
        }
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
