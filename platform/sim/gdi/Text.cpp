// DeviceSim: text output.
#include <windows.h>

#include "gdi/Gdi.h"
#include "kernel/Context.h"

using namespace sim;

int WINAPI DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT) {
    if (!CurrentGdi().Get(hdc, GdiObject::Kind::DC) || !text || !rect)
        return 0;
    static_cast<void>(count);
    return 13;
}

BOOL WINAPI ExtTextOutW(HDC hdc, int, int, UINT, const RECT *, LPCWSTR, UINT, const INT *) {
    return CurrentGdi().Get(hdc, GdiObject::Kind::DC) ? TRUE : FALSE;
}
