// Stand-in for the Windows Mobile shell library on desktop Windows.
#ifndef POINTREL_DESKTOP_AYGSHELL_H
#define POINTREL_DESKTOP_AYGSHELL_H

#include <windows.h>

HBITMAP SHLoadDIBitmap(LPCWSTR fileName);

#endif
