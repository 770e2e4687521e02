// The catalogue of the shipped cursor pictures: image index to file name.
// Both programs use it: the cursor program to load a previewed image, the
// settings program to store the chosen row's file name.
#ifndef POINTREL_CURSORIMAGECATALOGUE_H
#define POINTREL_CURSORIMAGECATALOGUE_H

#include <windows.h>

#define CURSOR_IMAGE_COUNT 9

// The file name of catalogue entry `index` (0 to 8). E_FAIL with length 0
// for any other index, leaving the buffer untouched.
HRESULT CursorImageName(int index, LPWSTR buffer, size_t capacity, size_t *length);

#endif
