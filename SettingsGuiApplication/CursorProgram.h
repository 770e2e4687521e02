// The settings program's hold on the cursor program: previews posted to its
// window, and starting or restarting it from the settings program's folder.
#ifndef PLSETTINGS_CURSORPROGRAM_H
#define PLSETTINGS_CURSORPROGRAM_H

#include <windows.h>

// Statuses of starting and restarting.
#define CURSOR_PROGRAM_STARTED 0
#define CURSOR_PROGRAM_NOT_STARTED 11
#define CURSOR_PROGRAM_DID_NOT_CLOSE 13

#define CURSOR_PROGRAM_PATH_CAPACITY 260

// The preview code for a page control, or 0 for a control that previews
// nothing.
UINT PreviewCodeFor(int controlId);

// Posts the preview of control `controlId`'s new value to the running
// cursor program; nothing when it does not run or the control has no code.
void PostSettingPreview(int controlId, LPARAM value);

// The cursor program's path beside `modulePath`: everything after its last
// backslash replaced by the cursor program's file name. False, with an
// empty path, when the result does not fit in `capacity` characters.
bool BuildCursorProgramPath(LPCWSTR modulePath, LPWSTR path, size_t capacity);

// Whether the cursor program's window exists.
bool CursorProgramRunning();

// Starts the cursor program from the settings program's folder; a running
// one then closes itself, so this shows or hides the cursor.
LONG StartCursorProgram();

// Closes a running cursor program (WM_CLOSE once a second, at most 11
// times) and starts it again, so that it runs with the stored settings.
// Blocks the calling thread for up to 12 seconds.
LONG RestartCursorProgram();

#endif
