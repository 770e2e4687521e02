// The cursor images: where their files lie, and how a picture becomes a
// 16-bit image and a window shape.
#ifndef POINTREL_CURSORIMAGES_H
#define POINTREL_CURSORIMAGES_H

#include <windows.h>

#include "CursorImageCatalogue.h"

#define CURSOR_PATH_CAPACITY 260
// RGB(200, 150, 200): wherever a cursor picture has this colour, the cursor
// is transparent.
#define CURSOR_TRANSPARENT_COLOUR RGB(200, 150, 200)

// The full path of an image in "cursors\" beside the running program. False
// when the path does not fit in `capacity` code units.
bool BuildCursorImagePath(LPCWSTR imageName, LPWSTR path, size_t capacity);

// The colour in the 5-6-5 form of the converted images.
WORD ReduceTo565(COLORREF colour);

// Loads a .bmp file and converts it to a bottom-up 16-bit 5-6-5 DIB section.
HBITMAP LoadCursorImage(LPCWSTR path);

// The region of every pixel that differs from the transparent colour, one
// rectangle per horizontal run; NULL for a bitmap that is not a 16-bit DIB
// section or when memory runs out.
HRGN BuildCursorShape(HBITMAP image, COLORREF transparent);

#endif
