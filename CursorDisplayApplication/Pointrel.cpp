// The cursor program: shows the cursor, or closes the copy already running.
#include <windows.h>

#include "CursorDisplayWindow.h"
#include "CursorSettings.h"
#include "ShellWindows.h"
#include "resource.h"

namespace {

const WCHAR INSTANCE_MUTEX[] = TEXT("PointrelDisplayAppMutex");

// Everything the program keeps for its whole life, in one object owned by
// the entry function.
struct CursorProgram {
    ShellWindows shell;
    CursorSettings settings;
    CursorDisplayWindow display;

    explicit CursorProgram(HINSTANCE instance) : display(instance, settings, shell) {
        SetDefaultSettings(settings);
        settings.loaded = false;
    }
};

// Another copy runs: bring its error box forward, or ask it to close.
void SignalRunningCopy(HINSTANCE instance) {
    WCHAR errorTitle[STRING_CAPACITY] = {0};
    HWND errorBox = NULL;
    if (LoadStringW(instance, IDS_ERROR_TITLE, errorTitle, STRING_CAPACITY) > 0)
        errorBox = FindWindowW(TEXT("Dialog"), errorTitle);
    if (errorBox != NULL) {
        SetForegroundWindow(errorBox);
        return;
    }
    HWND cursor = FindWindowW(CURSOR_WINDOW_CLASS, NULL);
    if (cursor != NULL)
        PostMessageW(cursor, WM_CLOSE, 0, 0);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    CursorProgram program(instance);

    HANDLE mutex = CreateMutexW(NULL, FALSE, INSTANCE_MUTEX);
    if (mutex != NULL && GetLastError() == ERROR_ALREADY_EXISTS) {
        SignalRunningCopy(instance);
        CloseHandle(mutex);
        return 0;
    }

    program.display.Startup();
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (program.display.CloseRequested() == 1) {
            program.display.Shutdown();
            return (int)message.wParam;
        }
    }
    return (int)message.wParam;
}
