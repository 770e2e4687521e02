// DeviceSim: dialog base units and the mapping of dialog units to pixels.
//
// A dialog template measures in dialog units: a quarter of the dialog
// font's average character width across, an eighth of its height down. The
// average width is the platform's: the extent of the 52 letters A-Z and a-z
// over 52, rounded; the height is the font's cell (tmHeight).
#include <windows.h>

#include "gdi/Font.h"
#include "gdi/Gdi.h"
#include "user/Dialog.h"
#include "user/WindowManager.h"

using namespace sim;

namespace {

// MulDiv's rounding: to the nearest, halves away from zero.
LONG Scale(LONG value, int numerator, int denominator) {
    int64_t n = int64_t{value} * numerator;
    int64_t q = (n >= 0 ? n + denominator / 2 : n - denominator / 2) / denominator;
    return static_cast<LONG>(q);
}

DialogUnits UnitsOf(const LOGFONTW &font) {
    const int dpi = CurrentGdi().Dpi();
    return DialogBaseUnits(FontAt(ResolveFont(font, dpi)));
}

} // namespace

// The system font's units; Windows CE derives them from the system font
// always, whatever font a dialog uses.
LONG WINAPI GetDialogBaseUnits() {
    sim::CountCall("GetDialogBaseUnits");
    DialogUnits units = UnitsOf(SystemLogFont(CurrentGdi().Dpi()));
    return MAKELONG(units.x, units.y);
}

// Takes only dialog windows. Their units are those of the font the dialog
// manager made from the template's FONT, else the system font's.
BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT rect) {
    sim::CountCall("MapDialogRect");
    Window *w = WindowOf(hDlg);
    if (!w || !DialogInfoOf(w)) {
        SetError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!rect) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DialogUnits units = DialogUnitsOf(w);
    rect->left = Scale(rect->left, units.x, 4);
    rect->right = Scale(rect->right, units.x, 4);
    rect->top = Scale(rect->top, units.y, 8);
    rect->bottom = Scale(rect->bottom, units.y, 8);
    return TRUE;
}
