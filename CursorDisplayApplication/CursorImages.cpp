#include "CursorImages.h"

#include <aygshell.h>
#include <strsafe.h>

namespace {

const DWORD RECTS_PER_STEP = 100;

struct BitfieldsInfo {
    BITMAPINFOHEADER header;
    DWORD masks[3];
};

// The region-data block grows in steps of 100 rectangles in a private heap.
struct ShapeBuilder {
    HANDLE heap;
    RGNDATA *data;
    DWORD capacity;

    bool Start() {
        heap = HeapCreate(0, 0, 0);
        if (heap == NULL)
            return false;
        capacity = RECTS_PER_STEP;
        data = (RGNDATA *)HeapAlloc(heap, 0, BlockSize());
        if (data == NULL)
            return false;
        data->rdh.dwSize = sizeof(RGNDATAHEADER);
        data->rdh.iType = RDH_RECTANGLES;
        data->rdh.nCount = 0;
        data->rdh.nRgnSize = 0;
        SetRect(&data->rdh.rcBound, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0);
        return true;
    }

    DWORD BlockSize() const { return sizeof(RGNDATAHEADER) + sizeof(RECT) * capacity; }

    bool Append(LONG left, LONG top, LONG right, LONG bottom) {
        if (data->rdh.nCount == capacity) {
            capacity += RECTS_PER_STEP;
            RGNDATA *grown = (RGNDATA *)HeapReAlloc(heap, 0, data, BlockSize());
            if (grown == NULL)
                return false;
            data = grown;
        }
        RECT *rects = (RECT *)data->Buffer;
        SetRect(&rects[data->rdh.nCount], left, top, right, bottom);
        RECT &bound = data->rdh.rcBound;
        if (left < bound.left)
            bound.left = left;
        if (top < bound.top)
            bound.top = top;
        if (right > bound.right)
            bound.right = right;
        if (bottom > bound.bottom)
            bound.bottom = bottom;
        data->rdh.nCount++;
        return true;
    }

    HRGN Finish() { return ExtCreateRegion(NULL, BlockSize(), data); }

    void Release() {
        if (heap != NULL)
            HeapDestroy(heap);
        heap = NULL;
    }
};

} // namespace

bool BuildCursorImagePath(LPCWSTR imageName, LPWSTR path, size_t capacity) {
    DWORD length = GetModuleFileNameW(NULL, path, (DWORD)capacity);
    // A cut path comes back as the whole buffer or as what was copied; a
    // path that long leaves no room for the image name either way.
    if (length == 0 || length + 1 >= capacity)
        return false;
    size_t cut = 0;
    for (size_t i = 0; i < length; ++i)
        if (path[i] == TEXT('\\'))
            cut = i + 1;
    path[cut] = 0;
    return SUCCEEDED(StringCchCatW(path, capacity, TEXT("cursors\\"))) &&
           SUCCEEDED(StringCchCatW(path, capacity, imageName));
}

WORD ReduceTo565(COLORREF colour) {
    return (WORD)(((GetRValue(colour) >> 3) << 11) | ((GetGValue(colour) >> 2) << 5) |
                  (GetBValue(colour) >> 3));
}

HBITMAP LoadCursorImage(LPCWSTR path) {
    HBITMAP loaded = SHLoadDIBitmap(path);
    if (loaded == NULL)
        return NULL;
    BITMAP size;
    if (GetObjectW(loaded, sizeof(size), &size) == 0) {
        DeleteObject(loaded);
        return NULL;
    }

    BitfieldsInfo info;
    ZeroMemory(&info, sizeof(info));
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = size.bmWidth;
    info.header.biHeight = size.bmHeight;
    info.header.biPlanes = 1;
    info.header.biBitCount = 16;
    info.header.biCompression = BI_BITFIELDS;
    info.header.biXPelsPerMeter = 3780;
    info.header.biYPelsPerMeter = 3780;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    void *bits = NULL;
    HBITMAP image =
        CreateDIBSection(NULL, (const BITMAPINFO *)&info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (image == NULL) {
        DeleteObject(loaded);
        return NULL;
    }

    HDC screen = GetDC(NULL);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    BOOL copied = FALSE;
    if (from != NULL && to != NULL) {
        HGDIOBJ oldFrom = SelectObject(from, loaded);
        HGDIOBJ oldTo = SelectObject(to, image);
        copied = BitBlt(to, 0, 0, size.bmWidth, size.bmHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    if (from != NULL)
        DeleteDC(from);
    if (to != NULL)
        DeleteDC(to);
    ReleaseDC(NULL, screen);
    DeleteObject(loaded);
    if (!copied) {
        DeleteObject(image);
        return NULL;
    }
    return image;
}

HRGN BuildCursorShape(HBITMAP image, COLORREF transparent) {
    BITMAP bitmap;
    if (image == NULL || GetObjectW(image, sizeof(bitmap), &bitmap) == 0 ||
        bitmap.bmBitsPixel != 16 || bitmap.bmBits == NULL)
        return NULL;

    ShapeBuilder shape;
    shape.heap = NULL;
    shape.data = NULL;
    if (!shape.Start()) {
        shape.Release();
        return NULL;
    }
    const WORD key = ReduceTo565(transparent);
    const BYTE *bits = (const BYTE *)bitmap.bmBits;
    for (LONG y = 0; y < bitmap.bmHeight; ++y) {
        // Rows are stored bottom-up: the top row is the last in memory.
        const WORD *row =
            (const WORD *)(bits + (size_t)(bitmap.bmHeight - 1 - y) * (size_t)bitmap.bmWidthBytes);
        LONG x = 0;
        while (x < bitmap.bmWidth) {
            LONG start = x;
            while (x < bitmap.bmWidth && row[x] != key)
                ++x;
            if (x > start && !shape.Append(start, y, x, y + 1)) {
                shape.Release();
                return NULL;
            }
            ++x;
        }
    }
    HRGN region = shape.Finish();
    shape.Release();
    return region;
}
