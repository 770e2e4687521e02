// Desktop stand-ins for the Windows Mobile shell library calls.
#include <aygshell.h>

HBITMAP SHLoadDIBitmap(LPCWSTR fileName) {
    return (HBITMAP)LoadImageW(NULL, fileName, IMAGE_BITMAP, 0, 0,
                               LR_LOADFROMFILE | LR_CREATEDIBSECTION);
}
