// DeviceSim: SHCreateMenuBar — a window's menu bar, whose first two items
// the soft-key bar shows as its soft keys.
#include <aygshell.h>

#include "kernel/Context.h"
#include "kernel/Kernel.h"
#include "shell/ShellState.h"
#include "user/WindowManager.h"

using namespace sim;

namespace {

const char16_t kMenuBarClass[] = u"menu_worker";

// The menu bar's own window holds nothing to see: the shell's soft-key bar
// shows it. It goes with its owner, and the bar goes with it.
LRESULT CALLBACK MenuBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ShellState &shell = ShellOf(CurrentKernel());
        for (auto it = shell.menuBars.begin(); it != shell.menuBars.end(); ++it)
            if (it->bar == hwnd) {
                if (it->menu)
                    DestroyMenu(it->menu);
                shell.menuBars.erase(it);
                break;
            }
        TellShell();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterMenuBarClass() {
    WindowManager &wm = Windows();
    if (!wm.FindClass(kMenuBarClass, nullptr))
        wm.AddClass(std::make_shared<WindowClass>(
            WindowClass{kMenuBarClass, MenuBarProc, 0, nullptr, nullptr}));
}

} // namespace

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO *info) {
    sim::CountCall("SHCreateMenuBar");
    if (!info || info->cbSize < sizeof(SHMENUBARINFO) || !IsWindow(info->hwndParent)) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HMENU menu = nullptr;
    if (!(info->dwFlags & SHCMBF_EMPTYBAR)) {
        // Differs from the platform: only menu resources (SHCMBF_HMENU);
        // SHMENUBAR tool-bar resources are not read.
        if (!(info->dwFlags & SHCMBF_HMENU)) {
            SetError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
        menu = LoadMenuW(info->hInstRes, MAKEINTRESOURCEW(info->nToolBarId));
        if (!menu)
            return FALSE; // LoadMenuW has said why
    }
    // Differs from the platform: SHCMBF_HIDDEN and SHCMBF_COLORBK change
    // nothing; the soft-key bar shows the bar as it is.
    RegisterMenuBarClass();
    HWND bar = CreateWindowExW(0, kMenuBarClass, u"", WS_POPUP, 0, 0, 0, 0, info->hwndParent,
                               nullptr, nullptr, nullptr);
    if (!bar) {
        if (menu)
            DestroyMenu(menu);
        return FALSE;
    }
    ShellState &shell = ShellOf(CurrentKernel());
    shell.menuBars.push_back(
        MenuBarRecord{info->hwndParent, bar, menu, (info->dwFlags & SHCMBF_HIDESIPBUTTON) != 0});
    info->hwndMB = bar;
    TellShell();
    return TRUE;
}
