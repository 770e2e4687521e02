// DeviceSim: what the controls share — their registration as system
// classes, the colours they ask their parent for, the notifications they
// send, and InitCommonControlsEx.
#include "user/Controls.h"

#include "gdi/Gdi.h"
#include "kernel/Context.h"

#include <commctrl.h>

#include <algorithm>

namespace sim {

void RegisterControlClasses(WindowManager &wm) {
    RegisterButtonClass(wm);
    RegisterStaticClass(wm);
    RegisterTrackbarClass(wm);
    RegisterListViewClass(wm);
    RegisterTabControlClass(wm);
}

ControlDescription DescribeControl(Window *w) {
    ControlDescription d;
    if (w && w->control)
        w->control->Describe(d);
    return d;
}

int ScaleToDpi(int v) {
    return (v * CurrentGdi().Dpi() + 48) / 96;
}

HBRUSH ControlColours(HWND control, HDC dc, UINT message) {
    HWND parent = GetParent(control);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(parent ? parent : control, message,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    if (!brush)
        brush = reinterpret_cast<HBRUSH>(DefWindowProcW(parent ? parent : control, message,
                                                        reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(control)));
    return brush;
}

LRESULT SetControlVersion(int &version, WPARAM wanted) {
    if (wanted > COMCTL32_VERSION)
        return -1;
    int previous = version;
    version = static_cast<int>(wanted);
    return previous;
}

LRESULT NotifyParent(HWND control, UINT code, NMHDR *header) {
    NMHDR plain{};
    if (!header)
        header = &plain;
    header->hwndFrom = control;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    header->code = code;
    HWND parent = GetParent(control);
    if (!parent)
        return 0;
    return SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

void CommandParent(HWND control, WORD code) {
    if (HWND parent = GetParent(control))
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
                     reinterpret_cast<LPARAM>(control));
}

HFONT FontOrSystem(HFONT font) {
    return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

void FillColour(HDC dc, const RECT &r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

void FrameBlack(HDC dc, const RECT &r) {
    int t = std::max(1, ScaleToDpi(1));
    HBRUSH black = CreateSolidBrush(0x000000);
    RECT sides[4] = {{r.left, r.top, r.right, r.top + t},
                     {r.left, r.bottom - t, r.right, r.bottom},
                     {r.left, r.top, r.left + t, r.bottom},
                     {r.right - t, r.top, r.right, r.bottom}};
    for (const RECT &s : sides)
        FillRect(dc, &s, black);
    DeleteObject(black);
}

} // namespace sim

// Differs from the platform: the common controls are the system's classes
// from the device's start, so a program that never calls these still
// finds them; these only check their argument.
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *init) {
    sim::CountCall("InitCommonControlsEx");
    if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

void WINAPI InitCommonControls(void) {
    sim::CountCall("InitCommonControls");
}
