// DeviceSim: the stand-in browser. One full-screen window titled "Internet
// Explorer" with an address bar that shows its command line and an empty
// page below; closing the window ends the program.
#include <windows.h>

#include "shell/Browser.h"

#include <string>

using namespace sim;

namespace {

const char16_t kAddressProp[] = u"DeviceSim.Browser";
const COLORREF kBarColour = RGB(0xE8, 0xE8, 0xE8);
const COLORREF kFieldColour = RGB(0xFF, 0xFF, 0xFF);
const COLORREF kTextColour = RGB(0, 0, 0);
const COLORREF kLineColour = RGB(0x80, 0x80, 0x80);

int Scaled(HDC dc, int v) {
    return (v * GetDeviceCaps(dc, LOGPIXELSY) + 48) / 96;
}

void Fill(HDC dc, const RECT &r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    auto *address = static_cast<const std::u16string *>(GetPropW(hwnd, kAddressProp));
    int bar = Scaled(dc, 22), pad = Scaled(dc, 3);
    Fill(dc, client, kFieldColour);
    Fill(dc, RECT{0, 0, client.right, bar}, kBarColour);
    Fill(dc, RECT{0, bar - 1, client.right, bar}, kLineColour);
    RECT field{pad, pad, client.right - pad, bar - pad};
    Fill(dc, field, kLineColour);
    RECT inner{field.left + 1, field.top + 1, field.right - 1, field.bottom - 1};
    Fill(dc, inner, kFieldColour);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColour);
    RECT text{inner.left + pad, inner.top, inner.right - pad, inner.bottom};
    if (address)
        DrawTextW(dc, address->c_str(), -1, &text,
                  DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK BrowserProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        SetPropW(hwnd, kAddressProp, reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        return 0;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_DESTROY:
        RemovePropW(hwnd, kAddressProp);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

int BrowserMain(void *instance, void *, char16_t *commandLine, int show) {
    std::u16string address = commandLine ? commandLine : u"";
    WNDCLASSW wc{};
    wc.lpfnWndProc = BrowserProc;
    wc.hInstance = static_cast<HINSTANCE>(instance);
    wc.lpszClassName = kBrowserClass.c_str();
    RegisterClassW(&wc);
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    HWND hwnd = CreateWindowExW(0, kBrowserClass.c_str(), u"Internet Explorer", WS_POPUP, area.left,
                                area.top, area.right - area.left, area.bottom - area.top, nullptr,
                                nullptr, static_cast<HINSTANCE>(instance), &address);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, show);
    SetForegroundWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}

} // namespace

namespace sim {

const ProgramImage &BrowserImage() {
    static const ProgramImage image{"iexplore", BrowserMain, nullptr, 0};
    return image;
}

} // namespace sim
