// DeviceSim: the Windows Mobile shell library.
#ifndef DEVICESIM_AYGSHELL_H
#define DEVICESIM_AYGSHELL_H

#include <windows.h>

// Loads a .bmp file from the device's file system as a DIB section.
HBITMAP SHLoadDIBitmap(LPCWSTR szFileName);

#endif
