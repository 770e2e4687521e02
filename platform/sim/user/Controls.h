// DeviceSim: the standard and common controls — what they keep, how they
// are registered as system classes, and what the device's driver may read
// of them.
#pragma once

#include <windows.h>

#include "gdi/Rect.h"
#include "user/WindowManager.h"

#include <optional>
#include <string>
#include <vector>

namespace sim {

// What `print dialog` shows of a control beyond its window: words after
// the common ones, and lines below its own.
struct ControlDescription {
    std::string words;
    std::vector<std::string> lines;
};

// The state a control keeps, reached through its window.
struct ControlState {
    virtual ~ControlState() = default;
    virtual void Describe(ControlDescription &) const {}
};

// Registers BUTTON, STATIC, msctls_trackbar32, SysListView32 and
// SysTabControl32 as the system's classes.
void RegisterControlClasses(WindowManager &wm);
void RegisterButtonClass(WindowManager &wm);
void RegisterStaticClass(WindowManager &wm);
void RegisterTrackbarClass(WindowManager &wm);
void RegisterListViewClass(WindowManager &wm);
void RegisterTabControlClass(WindowManager &wm);

ControlDescription DescribeControl(Window *w);

// Where a user's stylus goes, in screen coordinates, for the driver of the
// device. Each works from what the control last laid out.
// The centre of a trackbar's thumb standing at `position` (clamped).
std::optional<POINT> TrackbarPointFor(WindowManager &wm, Window *w, int position);
std::optional<int> TrackbarPosition(Window *w);
// A row of a list view, scrolled into view first as a user would.
std::optional<Rect> ListViewRowArea(WindowManager &wm, Window *w, int row);
std::optional<Rect> TabArea(WindowManager &wm, Window *w, int tab);

// ---- for the controls themselves
// A length designed for 96 dots per inch, on this device.
int ScaleToDpi(int v);
// Asks the parent for the control's colours (WM_CTLCOLORBTN or
// WM_CTLCOLORSTATIC): the brush, with the DC's colours set as it left them.
HBRUSH ControlColours(HWND control, HDC dc, UINT message);
// CCM_SETVERSION on a control's version: the previous one, or -1 (and no
// change) for a version above the device's.
LRESULT SetControlVersion(int &version, WPARAM wanted);
// Sends WM_NOTIFY with the header filled in; returns the parent's answer.
LRESULT NotifyParent(HWND control, UINT code, NMHDR *header);
void CommandParent(HWND control, WORD code);
// The font a control draws with: the one WM_SETFONT gave, else the system's.
HFONT FontOrSystem(HFONT font);
// A one-pixel (scaled) black frame around r.
void FrameBlack(HDC dc, const RECT &r);
void FillColour(HDC dc, const RECT &r, COLORREF colour);

// The control state of a window when it is of that kind, else null.
template <class T> T *StateAs(Window *w) {
    return w ? dynamic_cast<T *>(w->control.get()) : nullptr;
}

} // namespace sim
