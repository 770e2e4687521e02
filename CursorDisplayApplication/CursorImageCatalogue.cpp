#include "CursorImageCatalogue.h"

#include <strsafe.h>

namespace {

const WCHAR *const CATALOGUE[CURSOR_IMAGE_COUNT] = {
    TEXT("win_style-small.bmp"), TEXT("cursor_white-16.bmp"), TEXT("cursor_white-24.bmp"),
    TEXT("cursor_white-32.bmp"), TEXT("cursor_white-48.bmp"), TEXT("cursor_black-16.bmp"),
    TEXT("cursor_black-24.bmp"), TEXT("cursor_black-32.bmp"), TEXT("cursor_black-48.bmp"),
};

} // namespace

HRESULT CursorImageName(int index, LPWSTR buffer, size_t capacity, size_t *length) {
    *length = 0;
    if (index < 0 || index >= CURSOR_IMAGE_COUNT)
        return E_FAIL;
    HRESULT copied = StringCchCopyW(buffer, capacity, CATALOGUE[index]);
    if (FAILED(copied))
        return copied;
    return StringCchLengthW(buffer, capacity, length);
}
