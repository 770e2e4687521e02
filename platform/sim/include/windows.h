// DeviceSim: the Windows CE face of the simulated device.
//
// Deliverable code includes this header exactly as it would include the
// platform's own <windows.h>. Types keep the platform's sizes where the
// deliverables rely on them (WCHAR 16 bits, DWORD and LONG 32 bits); handles
// and pointer-sized integers follow the host, which is 64-bit.
#ifndef DEVICESIM_WINDOWS_H
#define DEVICESIM_WINDOWS_H
// The platform's headers, split along the same seams as the SDK's.
#include <winbase.h>
#include <windef.h>
#include <winerror.h>
#include <wingdi.h>
#include <winreg.h>
#include <winuser.h>

#endif
