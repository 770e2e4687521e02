// The settings program: one "Cursor Settings" dialog, or the one already
// open brought forward.
#include <windows.h>

#include <commctrl.h>

#include "SettingsProgram.h"

namespace {

const WCHAR INSTANCE_MUTEX[] = TEXT("QuorvanePointrelSettingsAppMutex");
const WCHAR DIALOG_CLASS[] = TEXT("Dialog");
const WCHAR DIALOG_TITLE[] = TEXT("Cursor Settings");

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    SettingsProgram program(instance);

    HANDLE mutex = CreateMutexW(NULL, FALSE, INSTANCE_MUTEX);
    if (mutex != NULL && GetLastError() == ERROR_ALREADY_EXISTS) {
        HWND running = FindWindowW(DIALOG_CLASS, DIALOG_TITLE);
        if (running != NULL)
            SetForegroundWindow(running);
        CloseHandle(mutex);
        return 0;
    }

    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);

    program.dialog.Run(GetActiveWindow());
    // The mutex stays ours until the process ends.
    if (mutex != NULL)
        CloseHandle(mutex);
    return 0;
}
