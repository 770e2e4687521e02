// DeviceSim: the platform's version as programs ask for it.
#include <windows.h>

#include "kernel/Context.h"
#include "kernel/Kernel.h"

using namespace sim;

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info) {
    sim::CountCall("GetVersionExW");
    if (!info) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The size field names the structure; a caller that leaves it unset gets
    // nothing written.
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const Kernel &kernel = CurrentKernel();
    info->dwMajorVersion = kernel.osMajor;
    info->dwMinorVersion = kernel.osMinor;
    // Differs from the platform: no build number; nothing on the device
    // depends on one.
    info->dwBuildNumber = 0;
    info->dwPlatformId = VER_PLATFORM_WIN32_CE;
    for (WCHAR &c : info->szCSDVersion)
        c = 0;
    return TRUE;
}
