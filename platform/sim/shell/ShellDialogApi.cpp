// DeviceSim: full-screen dialogs of the shell library — SHInitDialog and the
// activation and setting-change handling that keeps them in shape.
#include <aygshell.h>

#include "kernel/Context.h"
#include "kernel/Kernel.h"
#include "shell/ShellState.h"
#include "user/WindowManager.h"

using namespace sim;

namespace {

// Where a dialog set up with these flags goes: below the task bar, above
// the menu bar unless it asked for the whole height.
bool Placement(DWORD flags, RECT *r) {
    if (!(flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)))
        return false;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, r, 0);
    // Differs from the platform: there is no input panel to size around, so
    // SHIDIF_SIZEDLG sizes as SHIDIF_SIZEDLGFULLSCREEN does.
    if (flags & SHIDIF_FULLSCREENNOMENUBAR)
        r->bottom = GetSystemMetrics(SM_CYSCREEN);
    return true;
}

void Place(HWND dialog, DWORD flags) {
    RECT r;
    if (Placement(flags, &r))
        SetWindowPos(dialog, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

BOOL WINAPI SHInitDialog(PSHINITDLGINFO info) {
    sim::CountCall("SHInitDialog");
    if (!info || !(info->dwMask & SHIDIM_FLAGS) || !IsWindow(info->hDlg)) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ShellState &shell = ShellOf(CurrentKernel());
    std::erase_if(shell.dialogs, [&](const DialogRecord &d) { return d.dialog == info->hDlg; });
    shell.dialogs.push_back(DialogRecord{info->hDlg, info->dwFlags});
    // An empty menu bar leaves both soft keys blank until a real one comes.
    if (info->dwFlags & SHIDIF_EMPTYMENU)
        shell.menuBars.push_back(MenuBarRecord{info->hDlg, nullptr, nullptr, false});
    // A full-screen dialog's title is the task bar's; the dialog shows none.
    RECT area;
    if (Placement(info->dwFlags, &area)) {
        LONG style = GetWindowLongW(info->hDlg, GWL_STYLE);
        if ((style & WS_CAPTION) == WS_CAPTION)
            SetWindowLongW(info->hDlg, GWL_STYLE, style & ~WS_CAPTION);
        InvalidateRect(info->hDlg, nullptr, TRUE);
    }
    Place(info->hDlg, info->dwFlags);
    // SHIDIF_SIPDOWN: the device has no input panel to put down.
    TellShell();
    return TRUE;
}

BOOL WINAPI SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM, SHACTIVATEINFO *info, DWORD) {
    sim::CountCall("SHHandleWMActivate");
    if (!info || info->cbSize != sizeof(SHACTIVATEINFO)) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool active = LOWORD(wParam) != WA_INACTIVE;
    info->fActive = active ? 1 : 0;
    if (active)
        info->hwndLastFocus = GetFocus() ? GetFocus() : hwnd;
    // The task bar and the soft keys follow the window that is active now.
    TellShell();
    return TRUE;
}

BOOL WINAPI SHHandleWMSettingChange(HWND hwnd, WPARAM, LPARAM, SHACTIVATEINFO *info) {
    sim::CountCall("SHHandleWMSettingChange");
    if (!info || info->cbSize != sizeof(SHACTIVATEINFO)) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A new screen (a rotation): a full-screen dialog takes the new work area.
    ShellState &shell = ShellOf(CurrentKernel());
    if (const DialogRecord *d = shell.DialogOf(hwnd, Windows()))
        Place(hwnd, d->flags);
    TellShell();
    return TRUE;
}
