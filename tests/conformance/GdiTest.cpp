// Conformance of regions and bitmaps: CombineRgn in every mode, region
// boxes, points and offsets, window regions, compatible bitmaps and DIB
// sections, and the colour reduction BitBlt makes into 16-bit surfaces.
#include "conformance/Conformance.h"

#include <windows.h>

#include <string.h>

namespace {

// A top-down DIB section; 16-bit ones with masks are 5-6-5, without 5-5-5.
HBITMAP MakeDib(int width, int height, int bits, bool masks, void **pixels) {
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info;
    ZeroMemory(&info, sizeof info);
    info.header.biSize = sizeof info.header;
    info.header.biWidth = width;
    info.header.biHeight = -height;
    info.header.biPlanes = 1;
    info.header.biBitCount = (WORD)bits;
    info.header.biCompression = masks ? BI_BITFIELDS : BI_RGB;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    *pixels = NULL;
    HBITMAP bitmap =
        CreateDIBSection(NULL, (const BITMAPINFO *)&info, DIB_RGB_COLORS, pixels, NULL, 0);
    EXPECT_NE((HBITMAP)NULL, bitmap);
    EXPECT_NE((void *)NULL, *pixels);
    return bitmap;
}

} // namespace

CONFORMANCE_TEST(GdiConformance, CombineRgnGivesEachModesPixelsAndKind) {
    // Squares: one, one overlapping it, one apart, one beside it; a hole in
    // it, its right half; the boxes of their unions; nothing.
    const RECT sq = {0, 0, 10, 10}, ov = {5, 5, 15, 15}, apart = {20, 0, 30, 10};
    const RECT beside = {10, 0, 20, 10}, hole = {2, 2, 8, 8}, half = {5, 0, 10, 10};
    const RECT box15 = {0, 0, 15, 15}, box20 = {0, 0, 20, 10}, box30 = {0, 0, 30, 10};
    const RECT left = {0, 0, 5, 10}, none = {0, 0, 0, 0}, thin = {3, 3, 3, 8};
    struct Case {
        const char *what;
        RECT a, b;
        int mode, kind;
        RECT box;
        POINT in, out;
    } cases[] = {
        {"AND, overlapping", sq, ov, RGN_AND, SIMPLEREGION, {5, 5, 10, 10}, {5, 5}, {4, 4}},
        {"AND, apart", sq, apart, RGN_AND, NULLREGION, none, {0, 0}, {0, 0}},
        {"OR, overlapping", sq, ov, RGN_OR, COMPLEXREGION, box15, {14, 14}, {14, 0}},
        {"OR, side by side", sq, beside, RGN_OR, SIMPLEREGION, box20, {19, 9}, {20, 0}},
        {"OR, apart", sq, apart, RGN_OR, COMPLEXREGION, box30, {25, 5}, {15, 5}},
        {"OR of empty regions", none, thin, RGN_OR, NULLREGION, none, {0, 0}, {0, 0}},
        {"XOR, overlapping", sq, ov, RGN_XOR, COMPLEXREGION, box15, {0, 0}, {7, 7}},
        {"XOR with itself", sq, sq, RGN_XOR, NULLREGION, none, {0, 0}, {0, 0}},
        {"DIFF cutting a corner", sq, ov, RGN_DIFF, COMPLEXREGION, sq, {9, 4}, {9, 9}},
        {"DIFF cutting a hole", sq, hole, RGN_DIFF, COMPLEXREGION, sq, {1, 1}, {5, 5}},
        {"DIFF cutting a side off", sq, half, RGN_DIFF, SIMPLEREGION, left, {4, 9}, {5, 0}},
        {"DIFF from itself", sq, sq, RGN_DIFF, NULLREGION, none, {0, 0}, {0, 0}},
        {"COPY, without a second region", ov, none, RGN_COPY, SIMPLEREGION, ov, {5, 5}, {15, 15}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        HRGN a = CreateRectRgnIndirect(&c.a);
        HRGN b = c.mode == RGN_COPY ? NULL : CreateRectRgnIndirect(&c.b);
        HRGN result = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(c.kind, CombineRgn(result, a, b, c.mode));
        RECT box;
        memset(&box, 0xbd, sizeof box);
        EXPECT_EQ(c.kind, GetRgnBox(result, &box));
        EXPECT_TRUE(EqualRect(&c.box, &box))
            << box.left << "," << box.top << "," << box.right << "," << box.bottom;
        if (c.kind != NULLREGION) {
            EXPECT_TRUE(PtInRegion(result, c.in.x, c.in.y));
            EXPECT_FALSE(PtInRegion(result, c.out.x, c.out.y));
        }
        // The destination may be a source, as when a shape is cut in place.
        EXPECT_EQ(c.kind, CombineRgn(a, a, b, c.mode));
        EXPECT_TRUE(EqualRgn(a, result));
        DeleteObject(a);
        if (b)
            DeleteObject(b);
        DeleteObject(result);
    }
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    EXPECT_EQ(ERROR, CombineRgn(a, a, a, 0)) << "no such mode";
    EXPECT_EQ(ERROR, CombineRgn(a, a, a, RGN_COPY + 1)) << "no such mode";
    DeleteObject(a);
}

CONFORMANCE_TEST(GdiConformance, RectangleRegionsAreNormalisedHalfOpenAndMoveWhole) {
    HRGN r = CreateRectRgn(10, 10, 0, 0);
    RECT box;
    EXPECT_EQ(SIMPLEREGION, GetRgnBox(r, &box));
    RECT normal = {0, 0, 10, 10};
    EXPECT_TRUE(EqualRect(&normal, &box)) << "corners given in any order";
    struct Case {
        const char *what;
        int x, y;
        BOOL inside;
    } cases[] = {
        {"the top left corner", 0, 0, TRUE},     {"the last pixel", 9, 9, TRUE},
        {"the right edge", 10, 5, FALSE},        {"the bottom edge", 5, 10, FALSE},
        {"left of the left edge", -1, 5, FALSE},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(cases[i].inside, PtInRegion(r, cases[i].x, cases[i].y));
    }
    EXPECT_EQ(SIMPLEREGION, OffsetRgn(r, 5, -5));
    RECT moved = {5, -5, 15, 5};
    GetRgnBox(r, &box);
    EXPECT_TRUE(EqualRect(&moved, &box));

    HRGN empty = CreateRectRgn(0, 0, 0, 10);
    memset(&box, 0xbd, sizeof box);
    EXPECT_EQ(NULLREGION, GetRgnBox(empty, &box));
    RECT none = {0, 0, 0, 0};
    EXPECT_TRUE(EqualRect(&none, &box));
    EXPECT_EQ(NULLREGION, OffsetRgn(empty, 3, 3));

    EXPECT_TRUE(DeleteObject(r));
    EXPECT_EQ(ERROR, GetRgnBox(r, &box)) << "a deleted region";
    DeleteObject(empty);
}

CONFORMANCE_TEST(GdiConformance, AWindowRegionStaysInWindowCoordinatesAndIsGivenBackAsACopy) {
    HWND hwnd = CreateWindowExW(0, conformance::RecordingClass(), TEXT(""), WS_POPUP, 10, 20, 30,
                                40, NULL, NULL, NULL, NULL);
    ShowWindow(hwnd, SW_SHOWNA);
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(hwnd, out)) << "no region yet";

    // An L shape; the system owns the region once it is set.
    HRGN shape = CreateRectRgn(0, 0, 30, 20);
    HRGN foot = CreateRectRgn(0, 20, 10, 40);
    CombineRgn(shape, shape, foot, RGN_OR);
    HRGN expected = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(expected, shape, NULL, RGN_COPY);
    EXPECT_NE(0, SetWindowRgn(hwnd, shape, TRUE));
    EXPECT_EQ(COMPLEXREGION, GetWindowRgn(hwnd, out));
    EXPECT_TRUE(EqualRgn(expected, out));

    SetWindowPos(hwnd, NULL, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HRGN after = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(COMPLEXREGION, GetWindowRgn(hwnd, after));
    EXPECT_TRUE(EqualRgn(expected, after)) << "the region moves with the window";

    EXPECT_NE(0, SetWindowRgn(hwnd, NULL, TRUE));
    EXPECT_EQ(ERROR, GetWindowRgn(hwnd, out)) << "the region was taken away";
    DestroyWindow(hwnd);
    DeleteObject(out);
    DeleteObject(foot);
    DeleteObject(expected);
    DeleteObject(after);
}

CONFORMANCE_TEST(GdiConformance, BitmapsTakeTheDepthOfWhatTheyAreCompatibleWith) {
    HDC screen = GetDC(NULL);
    ASSERT_NE((HDC)NULL, screen);
    int screenBits = GetDeviceCaps(screen, BITSPIXEL);
    HDC memory = CreateCompatibleDC(NULL);
    ASSERT_NE((HDC)NULL, memory);
    void *pixels;
    HBITMAP dib = MakeDib(3, 2, 16, true, &pixels);
    HBITMAP held = (HBITMAP)SelectObject(memory, dib);
    SelectObject(memory, held);
    struct Case {
        const char *what;
        HBITMAP bitmap;
        LONG width, height;
        int bits;
        LONG widthBytes;
        bool hasBits;
    } cases[] = {
        // Device bitmaps have rows of whole words, DIB sections of whole
        // double words.
        {"compatible with the screen", CreateCompatibleBitmap(screen, 3, 2), 3, 2, screenBits,
         (3 * screenBits + 15) / 16 * 2, false},
        {"compatible with a new memory DC: monochrome", CreateCompatibleBitmap(memory, 3, 2), 3, 2,
         1, 2, false},
        {"the bitmap a new memory DC holds", held, 1, 1, 1, 2, false},
        {"a 16-bit DIB section", dib, 3, 2, 16, 8, true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        BITMAP bm;
        memset(&bm, 0xbd, sizeof bm);
        ASSERT_EQ((int)sizeof bm, GetObjectW(c.bitmap, sizeof bm, &bm));
        EXPECT_EQ(c.width, bm.bmWidth);
        EXPECT_EQ(c.height, bm.bmHeight);
        EXPECT_EQ(c.bits, bm.bmBitsPixel);
        EXPECT_EQ(1, bm.bmPlanes);
        EXPECT_EQ(c.widthBytes, bm.bmWidthBytes);
        EXPECT_EQ(c.hasBits, bm.bmBits != NULL);
        if (c.hasBits) {
            EXPECT_EQ(pixels, bm.bmBits);
        }
    }
    DeleteObject(cases[0].bitmap);
    DeleteObject(cases[1].bitmap);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
}

CONFORMANCE_TEST(GdiConformance, BitBltIntoSixteenBitsKeepsTheTopBitsOfEachChannel) {
    struct Case {
        const char *what;
        COLORREF colour;
        WORD as565, as555;
        COLORREF readBack; // from the 5-6-5 surface: the top bits repeated below
    } cases[] = {
        {"a mid colour", RGB(0x12, 0x34, 0x56), 0x11AA, 0x08CA, RGB(0x10, 0x34, 0x52)},
        {"white", RGB(0xFF, 0xFF, 0xFF), 0xFFFF, 0x7FFF, RGB(0xFF, 0xFF, 0xFF)},
        {"just under the first step", RGB(0x07, 0x03, 0x07), 0x0000, 0x0000, RGB(0, 0, 0)},
        {"the first step", RGB(0x08, 0x04, 0x08), 0x0821, 0x0401, RGB(0x08, 0x04, 0x08)},
    };
    const int n = sizeof cases / sizeof cases[0];
    void *sourceBits, *bits565, *bits555;
    HBITMAP source = MakeDib(n, 1, 24, false, &sourceBits);
    HBITMAP target565 = MakeDib(n, 2, 16, true, &bits565);
    HBITMAP target555 = MakeDib(n, 1, 16, false, &bits555);
    for (int i = 0; i < n; ++i) {
        BYTE *p = (BYTE *)sourceBits + 3 * i;
        p[0] = GetBValue(cases[i].colour);
        p[1] = GetGValue(cases[i].colour);
        p[2] = GetRValue(cases[i].colour);
    }
    HDC from = CreateCompatibleDC(NULL), to565 = CreateCompatibleDC(NULL),
        to555 = CreateCompatibleDC(NULL);
    HGDIOBJ old[3] = {SelectObject(from, source), SelectObject(to565, target565),
                      SelectObject(to555, target555)};
    EXPECT_TRUE(BitBlt(to565, 0, 0, n, 1, from, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(to555, 0, 0, n, 1, from, 0, 0, SRCCOPY));
    for (int i = 0; i < n; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.as565, ((WORD *)bits565)[i]);
        EXPECT_EQ(c.as555, ((WORD *)bits555)[i]);
        EXPECT_EQ(c.readBack, GetPixel(to565, i, 0));
        EXPECT_EQ(c.readBack, SetPixel(to565, i, 1, c.colour)) << "SetPixel gives what it set";
    }
    EXPECT_EQ(CLR_INVALID, GetPixel(to565, n, 0)) << "outside the bitmap";

    // A copy that reaches past the right edge stops there, and the row
    // below stays as it was.
    WORD *rows = (WORD *)bits565;
    for (int i = 0; i < 2 * n; ++i)
        rows[i] = 0xAAAA;
    EXPECT_TRUE(BitBlt(to565, n - 2, 0, n, 1, from, 0, 0, SRCCOPY));
    for (int i = 0; i < 2 * n; ++i) {
        SCOPED_TRACE(i);
        WORD expected = i >= n - 2 && i < n ? cases[i - (n - 2)].as565 : 0xAAAA;
        EXPECT_EQ(expected, rows[i]);
    }

    SelectObject(from, old[0]);
    SelectObject(to565, old[1]);
    SelectObject(to555, old[2]);
    DeleteDC(from);
    DeleteDC(to565);
    DeleteDC(to555);
    DeleteObject(source);
    DeleteObject(target565);
    DeleteObject(target555);
}
