// DeviceSim: system metrics, parameters, colours and cursors.
#include <windows.h>

#include "gdi/Gdi.h"
#include "user/WindowManager.h"

#include <algorithm>
#include <cstring>

using namespace sim;

namespace {

int Scaled(int v) {
    return (v * CurrentGdi().Dpi() + 48) / 96;
}

} // namespace

// ------------------------------------------------------------ system

int WINAPI GetSystemMetrics(int index) {
    sim::CountCall("GetSystemMetrics");
    Gdi &gdi = CurrentGdi();
    switch (index) {
    case SM_CXSCREEN: return gdi.Screen().width;
    case SM_CYSCREEN: return gdi.Screen().height;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL: return Scaled(13);
    case SM_CYCAPTION: return Scaled(26);
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return Scaled(2);
    case SM_CXICON:
    case SM_CYICON: return Scaled(32);
    case SM_CXSMICON:
    case SM_CYSMICON: return Scaled(16);
    case SM_CYMENU: return 26;
    default: return 0;
    }
}

BOOL WINAPI SystemParametersInfoW(UINT action, UINT, PVOID param, UINT) {
    sim::CountCall("SystemParametersInfoW");
    WindowManager &wm = Windows();
    if (action == SPI_GETWORKAREA && param) {
        Rect area = wm.WorkArea();
        RECT out{area.left, area.top, area.right, area.bottom};
        std::memcpy(param, &out, sizeof out);
        return TRUE;
    }
    if (action == SPI_SETWORKAREA && param) {
        RECT in;
        std::memcpy(&in, param, sizeof in);
        Rect area{in.left, in.top, in.right, in.bottom};
        Rect screen{0, 0, CurrentGdi().Screen().width, CurrentGdi().Screen().height};
        if (area.Empty() || !(area.Intersect(screen) == area)) {
            SetError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        wm.workArea = area;
        return TRUE;
    }
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

DWORD WINAPI GetSysColor(int index) {
    sim::CountCall("GetSysColor");
    switch (index) {
    case COLOR_WINDOW: return 0xFFFFFF;
    case COLOR_WINDOWTEXT: return 0x000000;
    case COLOR_BTNFACE: return 0xC0C0C0;
    // Windows Mobile's dialogs and static texts: black on white.
    case COLOR_STATIC: return 0xFFFFFF;
    case COLOR_STATICTEXT: return 0x000000;
    case COLOR_BTNTEXT: return 0x000000;
    // Windows Mobile 6's default theme: selections in its title blue.
    case COLOR_HIGHLIGHT: return 0x8C4A10;
    case COLOR_HIGHLIGHTTEXT: return 0xFFFFFF;
    case COLOR_GRAYTEXT: return 0x808080;
    default: return 0x808080;
    }
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    sim::CountCall("GetSysColorBrush");
    return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(index + 1));
}

HCURSOR WINAPI LoadCursorW(HINSTANCE, LPCWSTR name) {
    sim::CountCall("LoadCursorW");
    return reinterpret_cast<HCURSOR>(reinterpret_cast<uintptr_t>(name));
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    sim::CountCall("SetCursor");
    static_cast<void>(cursor);
    return nullptr;
}
