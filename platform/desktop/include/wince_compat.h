// Windows CE names and behaviours that desktop Windows lacks, for the desktop
// build only. Every deliverable source is compiled with this header first, so
// the calls below reach the stand-ins of platform/desktop/ instead of the
// desktop's own functions; the stand-ins themselves are built with
// POINTREL_DESKTOP_STANDINS and call the real ones.
#ifndef POINTREL_WINCE_COMPAT_H
#define POINTREL_WINCE_COMPAT_H

// Hot keys that also report their release.
#define MOD_KEYUP 0x1000

#ifdef __cplusplus
#include <windows.h>

// Windows CE takes no start-up information (NULL); desktop Windows requires
// one, so a NULL is given an empty one here.
inline BOOL CeCreateProcessW(LPCWSTR image, LPWSTR commandLine, LPSECURITY_ATTRIBUTES process,
                             LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags,
                             LPVOID environment, LPCWSTR folder, LPSTARTUPINFOW startup,
                             LPPROCESS_INFORMATION info) {
    STARTUPINFOW empty;
    if (startup == NULL) {
        ZeroMemory(&empty, sizeof empty);
        empty.cb = sizeof empty;
        startup = &empty;
    }
    return CreateProcessW(image, commandLine, process, thread, inherit, flags, environment, folder,
                          startup, info);
}
#undef CreateProcess
#define CreateProcess CeCreateProcessW
#define CreateProcessW CeCreateProcessW

// Stand-ins, each documented beside its definition.
void CeMouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data,
                  ULONG_PTR extraInfo);                               // InjectedInput.cpp
BOOL CeRegisterHotKey(HWND window, int id, UINT modifiers, UINT key); // KeyUpHotKeys.cpp
BOOL CeUnregisterHotKey(HWND window, int id);                         // KeyUpHotKeys.cpp
BOOL CeShowWindow(HWND window, int command);                          // WindowStandins.cpp
HWND CeGetWindow(HWND window, UINT command);                          // WindowStandins.cpp
HWND CeFindWindowW(LPCWSTR className, LPCWSTR title);                 // WindowStandins.cpp

#ifndef POINTREL_DESKTOP_STANDINS
#define mouse_event CeMouseEvent
#define RegisterHotKey CeRegisterHotKey
#define UnregisterHotKey CeUnregisterHotKey
#define ShowWindow CeShowWindow
#define GetWindow CeGetWindow
#undef FindWindow
#define FindWindow CeFindWindowW
#define FindWindowW CeFindWindowW
#endif
#endif

#endif
