// A plain desktop program that stands where the user's foreground program
// would: one window over the screen that writes every key, click and change
// of focus it receives to a log, one line each, for the end-to-end test.
//   WineTarget.exe LOGFILE
#include <windows.h>

#include <stdio.h>

namespace {

const WCHAR TARGET_CLASS[] = L"PointrelWineTarget";

struct Target {
    HANDLE log;
};

Target *TargetOf(HWND window) {
    return (Target *)GetPropW(window, L"PointrelWineTarget");
}

void Log(HWND window, const char *text) {
    Target *target = TargetOf(window);
    if (target == NULL || target->log == INVALID_HANDLE_VALUE)
        return;
    char line[160];
    int length = _snprintf(line, sizeof line - 1, "%lu %s\n", GetTickCount(), text);
    if (length < 0)
        length = sizeof line - 1;
    DWORD written = 0;
    WriteFile(target->log, line, (DWORD)length, &written, NULL);
}

void LogKey(HWND window, const char *what, WPARAM key) {
    char text[64];
    _snprintf(text, sizeof text - 1, "%s %lu", what, (unsigned long)key);
    text[sizeof text - 1] = 0;
    Log(window, text);
}

// Clicks are logged at their screen point, where the injected input aimed.
void LogClick(HWND window, const char *what, LPARAM lParam) {
    POINT p;
    p.x = (short)LOWORD(lParam);
    p.y = (short)HIWORD(lParam);
    ClientToScreen(window, &p);
    char text[64];
    _snprintf(text, sizeof text - 1, "%s %ld %ld", what, p.x, p.y);
    text[sizeof text - 1] = 0;
    Log(window, text);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: LogKey(window, "keydown", wParam); return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP: LogKey(window, "keyup", wParam); return 0;
    case WM_LBUTTONDOWN: LogClick(window, "lbuttondown", lParam); return 0;
    case WM_LBUTTONUP: LogClick(window, "lbuttonup", lParam); return 0;
    case WM_SETFOCUS: Log(window, "setfocus"); return 0;
    case WM_KILLFOCUS: Log(window, "killfocus"); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int count = 0;
    LPWSTR *arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == NULL || count < 2)
        return 2;
    Target target;
    target.log = CreateFileW(arguments[1], GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, NULL);
    LocalFree(arguments);
    if (target.log == INVALID_HANDLE_VALUE)
        return 3;

    WNDCLASSW windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = TargetProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = TARGET_CLASS;
    if (!RegisterClassW(&windowClass))
        return 4;
    HWND window = CreateWindowExW(0, TARGET_CLASS, L"Pointrel target", WS_POPUP, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  NULL, NULL, instance, NULL);
    if (window == NULL)
        return 5;
    SetPropW(window, L"PointrelWineTarget", &target);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    Log(window, "ready");

    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    RemovePropW(window, L"PointrelWineTarget");
    CloseHandle(target.log);
    return 0;
}
