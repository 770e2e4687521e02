// Windows CE names that desktop Windows lacks, for the desktop build only.
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
#endif

#endif
