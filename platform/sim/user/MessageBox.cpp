// DeviceSim: message boxes.
//
// A message box is a real top-level window of the system class "Dialog",
// titled by its caption, with a modal loop on the caller's thread: the
// caller's other windows keep getting their messages (timers included) until
// a button is pressed: by a tap on it, by Enter (the default button) or
// Escape, or by tests and scripts through the device.
#include <windows.h>

#include "gdi/Gdi.h"
#include "user/MessageBox.h"
#include "user/WindowManager.h"

#include <algorithm>

namespace sim {

namespace {

const char16_t kStateProp[] = u"DeviceSim.MessageBox";

struct BoxState {
    std::u16string text;
    UINT type;
    int result = 0;
};

std::vector<int> ButtonsOf(UINT type) {
    switch (type & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

const char16_t *ButtonText(int id) {
    switch (id) {
    case IDOK: return u"OK";
    case IDCANCEL: return u"Cancel";
    case IDABORT: return u"Abort";
    case IDRETRY: return u"Retry";
    case IDIGNORE: return u"Ignore";
    case IDYES: return u"Yes";
    default: return u"No";
    }
}

BoxState *StateOf(HWND hwnd) {
    return static_cast<BoxState *>(GetPropW(hwnd, kStateProp));
}

int Scaled(int v) {
    return (v * CurrentGdi().Dpi() + 48) / 96;
}

// The buttons stand in a row at the bottom right of the box, in their order.
RECT ButtonRect(const RECT &client, size_t count, size_t index) {
    int width = Scaled(56), gap = Scaled(6), height = Scaled(22);
    int x = client.right - Scaled(8) - static_cast<int>(count) * (width + gap) + gap +
            static_cast<int>(index) * (width + gap);
    return RECT{x, client.bottom - Scaled(8) - height, x + width, client.bottom - Scaled(8)};
}

// The button that Enter presses: MB_DEFBUTTON2 and 3 choose a later one.
int DefaultButton(UINT type) {
    std::vector<int> buttons = ButtonsOf(type);
    size_t index = (type & MB_DEFMASK) >> 8;
    return buttons[index < buttons.size() ? index : 0];
}

// Escape means Cancel, or OK in a box whose only button is OK; otherwise
// it does nothing.
int EscapeButton(UINT type) {
    std::vector<int> buttons = ButtonsOf(type);
    if (std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end())
        return IDCANCEL;
    return buttons.size() == 1 ? IDOK : 0;
}

void Paint(HWND hwnd, BoxState &box) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    HBRUSH white = CreateSolidBrush(0xFFFFFF);
    HBRUSH title = CreateSolidBrush(0x8C4A10);
    HBRUSH frame = CreateSolidBrush(0x000000);
    FillRect(dc, &r, frame);
    RECT inner{1, 1, r.right - 1, r.bottom - 1};
    FillRect(dc, &inner, white);
    RECT bar{1, 1, r.right - 1, Scaled(22)};
    FillRect(dc, &bar, title);
    WCHAR caption[128];
    GetWindowTextW(hwnd, caption, 128);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0xFFFFFF);
    // The title in bold, as Windows Mobile 6 shows a box's title.
    LOGFONTW lf{};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = SelectObject(dc, bold);
    RECT captionRect{Scaled(6), 1, r.right - Scaled(6), Scaled(22)};
    DrawTextW(dc, caption, -1, &captionRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    DeleteObject(bold);
    SetTextColor(dc, 0x000000);
    RECT body{Scaled(8), Scaled(28), r.right - Scaled(8), r.bottom - Scaled(32)};
    DrawTextW(dc, box.text.c_str(), -1, &body, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    std::vector<int> buttons = ButtonsOf(box.type);
    for (size_t i = 0; i < buttons.size(); ++i) {
        RECT b = ButtonRect(r, buttons.size(), i);
        FillRect(dc, &b, frame);
        RECT face{b.left + 1, b.top + 1, b.right - 1, b.bottom - 1};
        FillRect(dc, &face, white);
        DrawTextW(dc, ButtonText(buttons[i]), -1, &b, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    DeleteObject(white);
    DeleteObject(title);
    DeleteObject(frame);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    BoxState *box = StateOf(hwnd);
    if (!box)
        return DefDlgProcW(hwnd, msg, wParam, lParam); // a dialog, not a message box
    switch (msg) {
    case WM_PAINT:
        if (box) {
            Paint(hwnd, *box);
            return 0;
        }
        break;
    case WM_ERASEBKGND: return 1;
    case WM_KEYDOWN: {
        int id = !box                  ? 0
                 : wParam == VK_RETURN ? DefaultButton(box->type)
                 : wParam == VK_ESCAPE ? EscapeButton(box->type)
                                       : 0;
        if (id)
            PostMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(id), 0);
        return 0;
    }
    case WM_LBUTTONUP:
        if (box) {
            RECT r;
            GetClientRect(hwnd, &r);
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            std::vector<int> buttons = ButtonsOf(box->type);
            for (size_t i = 0; i < buttons.size(); ++i) {
                RECT b = ButtonRect(r, buttons.size(), i);
                if (PtInRect(&b, at))
                    PostMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(buttons[i]), 0);
            }
        }
        return 0;
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (box && !box->result) {
            std::vector<int> buttons = ButtonsOf(box->type);
            if (std::find(buttons.begin(), buttons.end(), id) != buttons.end())
                box->result = id;
        }
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

void RegisterSystemClasses(WindowManager &wm) {
    wm.AddClass(
        std::make_shared<WindowClass>(WindowClass{u"Dialog", BoxProc, 0, nullptr, nullptr}));
}

bool IsMessageBox(HWND hwnd) {
    return StateOf(hwnd) != nullptr;
}

bool PressMessageBoxButton(Window *box, int id) {
    BoxState *state = StateOf(box->Hwnd());
    if (!state)
        return false;
    std::vector<int> buttons = ButtonsOf(state->type);
    if (std::find(buttons.begin(), buttons.end(), id) == buttons.end())
        return false;
    return WindowsOf(box->thread->kernel).Post(box, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

} // namespace sim

using namespace sim;

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    sim::CountCall("MessageBoxW");
    WindowManager &wm = Windows();
    Process &process = CurrentProcess();
    BoxState box{text ? text : u"", type};
    std::u16string title = caption ? caption : u"Error";
    wm.kernel.Record("messagebox " + std::to_string(process.pid) + " " + QuoteText(title) + " " +
                     QuoteText(box.text) + " 0x" + [&] {
                         char hex[16];
                         std::snprintf(hex, sizeof hex, "%x", type);
                         return std::string(hex);
                     }());

    // As tall as its text needs in the system font, between the title bar
    // and the row of buttons, and no taller than the screen.
    int width = wm.ScreenArea().Width() - 2 * Scaled(8);
    RECT body{0, 0, width - 2 * Scaled(8), 0};
    if (HDC dc = GetDC(nullptr)) {
        DrawTextW(dc, box.text.c_str(), -1, &body, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ReleaseDC(nullptr, dc);
    }
    int height = std::min(wm.ScreenArea().Height() - Scaled(16),
                          Scaled(28) + (body.bottom - body.top) + Scaled(8) + Scaled(32));
    int x = Scaled(8), y = (wm.ScreenArea().Height() - height) / 2;
    // Top-most only when asked for, like the platform's boxes.
    DWORD exStyle = (type & MB_TOPMOST) ? WS_EX_TOPMOST : 0;
    // A box is a modal dialog: owned, like one, by the top-level window of
    // a child given as its owner, which it gives the activation back to.
    if (Window *o = wm.Get(owner)) {
        while ((o->style & (WS_POPUP | WS_CHILD)) == WS_CHILD && o->parent)
            o = o->parent;
        owner = o->Hwnd();
    }
    HWND hwnd = CreateWindowExW(exStyle, u"Dialog", title.c_str(), WS_POPUP, x, y, width, height,
                                owner, nullptr, nullptr, nullptr);
    if (!hwnd)
        return 0;
    SetPropW(hwnd, kStateProp, &box);
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);

    MSG msg;
    bool quit = false;
    // A box goes with its owner: when the owner (another program's window,
    // perhaps) is destroyed, the box ends unanswered.
    while (!box.result && IsWindow(hwnd)) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) {
            // WM_QUIT ends the box and is left for the caller's own loop.
            quit = true;
            break;
        }
        DispatchMessageW(&msg);
    }
    if (ownerWasEnabled && IsWindow(owner))
        EnableWindow(owner, TRUE);
    RemovePropW(hwnd, kStateProp);
    if (Window *w = wm.Get(hwnd)) {
        bool wasActive = wm.foreground == w;
        wm.Destroy(w);
        if (Window *o = wm.Get(owner); o && wasActive && o->Visible())
            wm.Activate(o);
    }
    if (quit)
        PostQuitMessage(static_cast<int>(msg.wParam));
    int result = quit ? 0 : box.result;
    wm.kernel.Record("messagebox " + std::to_string(process.pid) + " closed " +
                     std::to_string(result));
    return result;
}
