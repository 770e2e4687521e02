#include "CursorProgram.h"

#include <strsafe.h>

#include "CursorSettings.h"
#include "resource.h"

namespace {

const WCHAR CURSOR_WINDOW_CLASS[] = TEXT("QuorvaneCursorDisplayClass");
const WCHAR CURSOR_PROGRAM_FILE[] = TEXT("Pointrel.exe");
const DWORD CLOSE_WAIT_MS = 1000;
const DWORD LAST_CLOSE_AT_MS = 10000;

struct PreviewCode {
    int controlId;
    UINT code;
};

const PreviewCode PREVIEW_CODES[] = {
    {IDC_SPEED, SP_CURSOR_SPEED},        {IDC_ACCELERATION_SPEED, SP_ACCELERATION_SPEED},
    {IDC_ACCELERATION, SP_ACCELERATION}, {IDC_MENU_KEYS, SP_MENU_KEYS_ON},
    {IDC_MENU_CURSOR, SP_MENU_KEYS_OFF}, {IDC_IMAGE_LIST, SP_CURSOR_IMAGE},
};

// The cursor program's path beside this program's own executable.
bool CursorProgramPath(LPWSTR path) {
    WCHAR module[CURSOR_PROGRAM_PATH_CAPACITY];
    DWORD length = GetModuleFileNameW(NULL, module, CURSOR_PROGRAM_PATH_CAPACITY);
    // A path cut to the buffer is no path at all.
    if (length == 0 || length >= CURSOR_PROGRAM_PATH_CAPACITY)
        return false;
    module[length] = 0;
    return BuildCursorProgramPath(module, path, CURSOR_PROGRAM_PATH_CAPACITY);
}

LONG CreateCursorProcess(LPCWSTR path) {
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof(process));
    if (!CreateProcessW(path, NULL, NULL, NULL, FALSE, 0, NULL, NULL, NULL, &process))
        return CURSOR_PROGRAM_NOT_STARTED;
    // The new process is not followed: its handles are let go at once.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return CURSOR_PROGRAM_STARTED;
}

} // namespace

UINT PreviewCodeFor(int controlId) {
    for (size_t i = 0; i < sizeof(PREVIEW_CODES) / sizeof(PREVIEW_CODES[0]); ++i)
        if (PREVIEW_CODES[i].controlId == controlId)
            return PREVIEW_CODES[i].code;
    return 0;
}

void PostSettingPreview(int controlId, LPARAM value) {
    UINT code = PreviewCodeFor(controlId);
    if (code == 0)
        return;
    HWND cursor = FindWindowW(CURSOR_WINDOW_CLASS, NULL);
    if (cursor != NULL)
        PostMessageW(cursor, WM_SETTING_PREVIEW, code, value);
}

bool BuildCursorProgramPath(LPCWSTR modulePath, LPWSTR path, size_t capacity) {
    if (capacity == 0)
        return false;
    path[0] = 0;
    size_t length = 0;
    if (FAILED(StringCchLengthW(modulePath, capacity, &length))) {
        return false;
    }
    size_t folder = 0;
    for (size_t i = 0; i < length; ++i)
        if (modulePath[i] == TEXT('\\'))
            folder = i + 1;
    if (FAILED(StringCchCopyNW(path, capacity, modulePath, folder)) ||
        FAILED(StringCchCatW(path, capacity, CURSOR_PROGRAM_FILE))) {
        path[0] = 0;
        return false;
    }
    return true;
}

bool CursorProgramRunning() {
    return FindWindowW(CURSOR_WINDOW_CLASS, NULL) != NULL;
}

LONG StartCursorProgram() {
    WCHAR path[CURSOR_PROGRAM_PATH_CAPACITY];
    if (!CursorProgramPath(path))
        return CURSOR_PROGRAM_NOT_STARTED;
    return CreateCursorProcess(path);
}

LONG RestartCursorProgram() {
    DWORD waited = 0;
    for (;;) {
        HWND cursor = FindWindowW(CURSOR_WINDOW_CLASS, NULL);
        if (cursor == NULL)
            break;
        PostMessageW(cursor, WM_CLOSE, 0, 0);
        Sleep(CLOSE_WAIT_MS);
        waited += CLOSE_WAIT_MS;
        if (waited > LAST_CLOSE_AT_MS)
            return CURSOR_PROGRAM_DID_NOT_CLOSE;
    }
    WCHAR path[CURSOR_PROGRAM_PATH_CAPACITY];
    if (!CursorProgramPath(path))
        return CURSOR_PROGRAM_NOT_STARTED;
    Sleep(CLOSE_WAIT_MS);
    return CreateCursorProcess(path);
}
