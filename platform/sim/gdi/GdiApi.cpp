// DeviceSim: the GDI calls — device contexts, bitmaps, brushes and regions.
#include <aygshell.h>
#include <windows.h>

#include "gdi/BmpDecoder.h"
#include "gdi/Gdi.h"
#include "kernel/Context.h"
#include "kernel/FileSystem.h"

#include <algorithm>
#include <cstring>

using namespace sim;
using Kind = GdiObject::Kind;

namespace {

GdiObject *DcOf(HDC hdc) {
    return CurrentGdi().Get(hdc, Kind::DC);
}
GdiObject *RegionObject(HRGN h) {
    return CurrentGdi().Get(h, Kind::Region);
}

HBITMAP AddBitmap(std::shared_ptr<Bitmap> bitmap, bool dib) {
    GdiObject o;
    o.kind = Kind::Bitmap;
    o.owner = &CurrentProcess();
    o.bitmap = std::move(bitmap);
    o.dib = dib;
    return static_cast<HBITMAP>(CurrentGdi().Add(std::move(o)));
}

// A system colour index + 1 may stand in for a brush, as in class brushes.
bool BrushColour(HBRUSH brush, uint32_t *colour) {
    uintptr_t value = reinterpret_cast<uintptr_t>(brush);
    if (value > 0 && value <= 31) {
        *colour = GetSysColor(static_cast<int>(value - 1));
        return true;
    }
    GdiObject *b = CurrentGdi().Get(brush, Kind::Brush);
    if (!b || b->hollow)
        return false;
    *colour = b->colour;
    return true;
}

int RegionKind(const Region &r) {
    return r.Kind();
}

} // namespace

// ------------------------------------------------------------ DCs

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    sim::CountCall("GetDeviceCaps");
    if (!DcOf(hdc))
        return 0;
    Gdi &gdi = CurrentGdi();
    switch (index) {
    case HORZRES: return gdi.Screen().width;
    case VERTRES: return gdi.Screen().height;
    case BITSPIXEL: return 16;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return gdi.Dpi();
    default: return 0;
    }
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    sim::CountCall("CreateCompatibleDC");
    if (hdc && !DcOf(hdc))
        return nullptr;
    Gdi &gdi = CurrentGdi();
    GdiObject o;
    o.kind = Kind::DC;
    o.owner = &CurrentProcess();
    o.bitmapSel = gdi.Stock(-1);
    o.brushSel = gdi.Stock(WHITE_BRUSH);
    o.penSel = gdi.Stock(BLACK_PEN);
    o.fontSel = gdi.Stock(SYSTEM_FONT);
    return static_cast<HDC>(gdi.Add(std::move(o)));
}

BOOL WINAPI DeleteDC(HDC hdc) {
    sim::CountCall("DeleteDC");
    GdiObject *dc = DcOf(hdc);
    if (!dc || dc->screen)
        return FALSE;
    return CurrentGdi().Delete(hdc);
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    sim::CountCall("SelectObject");
    GdiObject *dc = DcOf(hdc);
    GdiObject *o = CurrentGdi().GetAny(h);
    if (!dc || !o)
        return nullptr;
    switch (o->kind) {
    case Kind::Bitmap: {
        if (dc->screen || (o->selectedInto && o->selectedInto != hdc))
            return nullptr; // a bitmap lives in one memory DC at a time
        HGDIOBJ old = dc->bitmapSel;
        if (GdiObject *prev = CurrentGdi().Get(old, Kind::Bitmap))
            prev->selectedInto = nullptr;
        if (o->owner)
            o->selectedInto = hdc;
        dc->bitmapSel = h;
        return old;
    }
    case Kind::Brush: std::swap(dc->brushSel, h); return h;
    case Kind::Pen: std::swap(dc->penSel, h); return h;
    case Kind::Font: std::swap(dc->fontSel, h); return h;
    case Kind::Region: {
        if (!dc->screen)
            return reinterpret_cast<HGDIOBJ>(SIMPLEREGION);
        dc->clip = dc->clip.Intersect(o->region.Offset(dc->originX, dc->originY));
        return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(dc->clip.Kind()));
    }
    default: return nullptr;
    }
}

BOOL WINAPI DeleteObject(HGDIOBJ h) {
    sim::CountCall("DeleteObject");
    GdiObject *o = CurrentGdi().GetAny(h);
    if (!o || o->kind == Kind::DC)
        return FALSE;
    return CurrentGdi().Delete(h) ? TRUE : FALSE;
}

int WINAPI GetObjectW(HGDIOBJ h, int c, LPVOID pv) {
    sim::CountCall("GetObjectW");
    GdiObject *o = CurrentGdi().GetAny(h);
    if (!o)
        return 0;
    if (o->kind == Kind::Bitmap) {
        if (!pv)
            return sizeof(BITMAP);
        if (c < static_cast<int>(sizeof(BITMAP)))
            return 0;
        const Bitmap &b = *o->bitmap;
        BITMAP bm{};
        bm.bmWidth = b.width;
        bm.bmHeight = b.height;
        // A DIB section's rows are whole double words; a device bitmap's
        // are reported in whole words, as the platform reports them.
        bm.bmWidthBytes =
            o->dib ? static_cast<LONG>(b.stride)
                   : static_cast<LONG>((int64_t(b.width) * b.bitsPerPixel + 15) / 16 * 2);
        bm.bmPlanes = 1;
        bm.bmBitsPixel = static_cast<WORD>(b.bitsPerPixel);
        bm.bmBits = o->dib ? const_cast<uint8_t *>(b.bits.data()) : nullptr;
        std::memcpy(pv, &bm, sizeof bm);
        return sizeof(BITMAP);
    }
    if (o->kind == Kind::Brush) {
        if (!pv)
            return sizeof(LOGBRUSH);
        if (c < static_cast<int>(sizeof(LOGBRUSH)))
            return 0;
        LOGBRUSH lb{static_cast<UINT>(o->hollow ? 1 : 0), o->colour, 0};
        std::memcpy(pv, &lb, sizeof lb);
        return sizeof(LOGBRUSH);
    }
    if (o->kind == Kind::Font) {
        if (!pv)
            return sizeof(LOGFONTW);
        if (c <= 0)
            return 0;
        // A shorter buffer gets the start of the structure.
        LOGFONTW lf = CurrentGdi().LogFontOf(*o);
        size_t n = std::min(static_cast<size_t>(c), sizeof lf);
        std::memcpy(pv, &lf, n);
        return static_cast<int>(n);
    }
    return 0;
}

HGDIOBJ WINAPI GetStockObject(int i) {
    sim::CountCall("GetStockObject");
    return CurrentGdi().Stock(i);
}

// ------------------------------------------------------------ bitmaps

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO *pbmi, UINT usage, VOID **ppvBits,
                                HANDLE section, DWORD) {
    sim::CountCall("CreateDIBSection");
    if (ppvBits)
        *ppvBits = nullptr;
    if (!pbmi || section || (hdc && !DcOf(hdc))) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER &h = pbmi->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biHeight == INT32_MIN ||
        (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) ||
        (h.biCompression == BI_BITFIELDS && h.biBitCount != 16 && h.biBitCount != 32)) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto bitmap = std::make_shared<Bitmap>();
    if (!bitmap->Create(h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight, h.biBitCount,
                        h.biHeight < 0)) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const uint8_t *after = reinterpret_cast<const uint8_t *>(pbmi) + h.biSize;
    if (h.biCompression == BI_BITFIELDS) {
        DWORD masks[3];
        std::memcpy(masks,
                    h.biSize == sizeof(BITMAPINFOHEADER)
                        ? after
                        : reinterpret_cast<const uint8_t *>(pbmi) + 40,
                    sizeof masks);
        if (!bitmap->SetMasks(masks[0], masks[1], masks[2])) {
            SetError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    } else if (h.biBitCount <= 8 && usage == DIB_RGB_COLORS) {
        size_t count = h.biClrUsed ? std::min<size_t>(h.biClrUsed, size_t(1) << h.biBitCount)
                                   : size_t(1) << h.biBitCount;
        bitmap->palette.clear();
        for (size_t i = 0; i < count; ++i) {
            RGBQUAD q;
            std::memcpy(&q, after + i * sizeof q, sizeof q);
            bitmap->palette.push_back(PaletteEntry{q.rgbRed, q.rgbGreen, q.rgbBlue});
        }
    }
    HBITMAP result = AddBitmap(bitmap, true);
    if (ppvBits)
        *ppvBits = bitmap->bits.data();
    return result;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    sim::CountCall("CreateCompatibleBitmap");
    GdiObject *dc = DcOf(hdc);
    if (!dc)
        return nullptr;
    // A memory DC that still holds its first bitmap is monochrome, and so is
    // what it is compatible with, as on the platform.
    int bits = 16;
    if (!dc->screen)
        if (Bitmap *s = CurrentGdi().Surface(*dc))
            bits = s->bitsPerPixel;
    auto bitmap = std::make_shared<Bitmap>();
    if (!bitmap->Create(std::max(cx, 1), std::max(cy, 1), bits, true))
        return nullptr;
    if (bits == 16)
        bitmap->SetMasks(0xF800, 0x07E0, 0x001F);
    return AddBitmap(bitmap, false);
}

HBITMAP WINAPI CreateBitmap(int w, int h, UINT planes, UINT bitCount, const VOID *bits) {
    sim::CountCall("CreateBitmap");
    auto bitmap = std::make_shared<Bitmap>();
    if (planes != 1 || !bitmap->Create(w, h, static_cast<int>(bitCount), true))
        return nullptr;
    if (bitCount == 16)
        bitmap->SetMasks(0xF800, 0x07E0, 0x001F);
    if (bits) {
        // Device-dependent rows are WORD aligned.
        size_t rowBytes = ((size_t(w) * bitCount + 15) / 16) * 2;
        for (int y = 0; y < h; ++y)
            std::memcpy(bitmap->Row(y), static_cast<const uint8_t *>(bits) + y * rowBytes,
                        std::min<size_t>(rowBytes, bitmap->stride));
    }
    return AddBitmap(bitmap, false);
}

HBITMAP SHLoadDIBitmap(LPCWSTR path) {
    sim::CountCall("SHLoadDIBitmap");
    if (!path)
        return nullptr;
    std::vector<uint8_t> bytes;
    if (CurrentFiles().ReadAll(path, &bytes) != FsStatus::Ok) {
        SetError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    auto bitmap = std::make_shared<Bitmap>();
    if (!DecodeBmp(bytes.data(), bytes.size(), *bitmap, nullptr)) {
        SetError(ERROR_BAD_FORMAT);
        return nullptr;
    }
    return AddBitmap(bitmap, true);
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    sim::CountCall("BitBlt");
    Gdi &gdi = CurrentGdi();
    GdiObject *dst = DcOf(hdc);
    if (!dst || cx < 0 || cy < 0)
        return FALSE;
    Bitmap *dstSurface = gdi.Surface(*dst);
    if (!dstSurface)
        return FALSE;
    Rect target = Rect{x, y, x + cx, y + cy}.Offset(dst->originX, dst->originY);
    std::vector<Rect> clip = gdi.ClipRects(*dst, target);
    if (rop == BLACKNESS || rop == WHITENESS) {
        gdi.Fill(*dst, Rect{x, y, x + cx, y + cy}, rop == BLACKNESS ? 0 : 0xFFFFFF);
        return TRUE;
    }
    if (rop == PATCOPY) {
        uint32_t colour;
        if (BrushColour(static_cast<HBRUSH>(dst->brushSel), &colour))
            gdi.Fill(*dst, Rect{x, y, x + cx, y + cy}, colour);
        return TRUE;
    }
    if (rop != SRCCOPY)
        return FALSE;
    GdiObject *src = DcOf(hdcSrc);
    if (!src)
        return FALSE;
    Bitmap *srcSurface = gdi.Surface(*src);
    if (!srcSurface)
        return FALSE;
    return CopyRect(*dstSurface, target.left, target.top, *srcSurface, x1 + src->originX,
                    y1 + src->originY, cx, cy, clip)
               ? TRUE
               : FALSE;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    sim::CountCall("GetPixel");
    GdiObject *dc = DcOf(hdc);
    Bitmap *s = dc ? CurrentGdi().Surface(*dc) : nullptr;
    return s ? s->GetPixel(x + dc->originX, y + dc->originY) : kInvalidColor;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF colour) {
    sim::CountCall("SetPixel");
    GdiObject *dc = DcOf(hdc);
    if (!dc)
        return kInvalidColor;
    CurrentGdi().Fill(*dc, Rect{x, y, x + 1, y + 1}, colour);
    return GetPixel(hdc, x, y);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF colour) {
    sim::CountCall("CreateSolidBrush");
    GdiObject o;
    o.kind = Kind::Brush;
    o.owner = &CurrentProcess();
    o.colour = colour & 0xFFFFFF;
    return static_cast<HBRUSH>(CurrentGdi().Add(std::move(o)));
}

HPEN WINAPI CreatePen(int style, int, COLORREF colour) {
    sim::CountCall("CreatePen");
    GdiObject o;
    o.kind = Kind::Pen;
    o.owner = &CurrentProcess();
    o.colour = colour & 0xFFFFFF;
    o.hollow = style == 5; // PS_NULL
    return static_cast<HPEN>(CurrentGdi().Add(std::move(o)));
}

int WINAPI FillRect(HDC hdc, const RECT *r, HBRUSH brush) {
    sim::CountCall("FillRect");
    GdiObject *dc = DcOf(hdc);
    uint32_t colour;
    if (!dc || !r || !BrushColour(brush, &colour))
        return 0;
    CurrentGdi().Fill(*dc, Rect{r->left, r->top, r->right, r->bottom}, colour);
    return 1;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    sim::CountCall("Rectangle");
    GdiObject *dc = DcOf(hdc);
    if (!dc)
        return FALSE;
    Gdi &gdi = CurrentGdi();
    uint32_t fill;
    if (BrushColour(static_cast<HBRUSH>(dc->brushSel), &fill))
        gdi.Fill(*dc, Rect{left, top, right, bottom}, fill);
    GdiObject *pen = gdi.Get(dc->penSel, Kind::Pen);
    if (pen && !pen->hollow) {
        gdi.Fill(*dc, Rect{left, top, right, top + 1}, pen->colour);
        gdi.Fill(*dc, Rect{left, bottom - 1, right, bottom}, pen->colour);
        gdi.Fill(*dc, Rect{left, top, left + 1, bottom}, pen->colour);
        gdi.Fill(*dc, Rect{right - 1, top, right, bottom}, pen->colour);
    }
    return TRUE;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF colour) {
    sim::CountCall("SetTextColor");
    GdiObject *dc = DcOf(hdc);
    if (!dc)
        return kInvalidColor;
    std::swap(dc->textColour, colour);
    return colour;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF colour) {
    sim::CountCall("SetBkColor");
    GdiObject *dc = DcOf(hdc);
    if (!dc)
        return kInvalidColor;
    std::swap(dc->backColour, colour);
    return colour;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    sim::CountCall("SetBkMode");
    GdiObject *dc = DcOf(hdc);
    if (!dc)
        return 0;
    std::swap(dc->backMode, mode);
    return mode;
}

// ------------------------------------------------------------ regions

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2) {
    sim::CountCall("CreateRectRgn");
    // The platform normalises the corners.
    Rect r{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    return CurrentGdi().NewRegion(Region(r), &CurrentProcess());
}

HRGN WINAPI CreateRectRgnIndirect(const RECT *r) {
    sim::CountCall("CreateRectRgnIndirect");
    return r ? CreateRectRgn(r->left, r->top, r->right, r->bottom) : nullptr;
}

HRGN WINAPI ExtCreateRegion(const XFORM *xform, DWORD nCount, const RGNDATA *data) {
    sim::CountCall("ExtCreateRegion");
    if (xform || !data || nCount < sizeof(RGNDATAHEADER)) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const RGNDATAHEADER &h = data->rdh;
    uint64_t needed = uint64_t(h.dwSize) + uint64_t(h.nCount) * sizeof(RECT);
    if (h.dwSize != sizeof(RGNDATAHEADER) || h.iType != RDH_RECTANGLES || needed > nCount) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<Rect> rects;
    const RECT *list = reinterpret_cast<const RECT *>(data->Buffer);
    for (DWORD i = 0; i < h.nCount; ++i) {
        RECT r;
        std::memcpy(&r, list + i, sizeof r);
        rects.push_back(Rect{r.left, r.top, r.right, r.bottom});
    }
    return CurrentGdi().NewRegion(Region::FromRects(rects), &CurrentProcess());
}

int WINAPI CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
    sim::CountCall("CombineRgn");
    GdiObject *d = RegionObject(dst);
    GdiObject *a = RegionObject(src1);
    GdiObject *b = mode == RGN_COPY ? a : RegionObject(src2);
    if (!d || !a || !b)
        return ERROR;
    switch (mode) {
    case RGN_AND: d->region = a->region.Intersect(b->region); break;
    case RGN_OR: d->region = a->region.Union(b->region); break;
    case RGN_XOR: d->region = a->region.Xor(b->region); break;
    case RGN_DIFF: d->region = a->region.Subtract(b->region); break;
    case RGN_COPY: d->region = a->region; break;
    default: return ERROR;
    }
    return RegionKind(d->region);
}

int WINAPI OffsetRgn(HRGN h, int x, int y) {
    sim::CountCall("OffsetRgn");
    GdiObject *r = RegionObject(h);
    if (!r)
        return ERROR;
    r->region = r->region.Offset(x, y);
    return RegionKind(r->region);
}

BOOL WINAPI PtInRegion(HRGN h, int x, int y) {
    sim::CountCall("PtInRegion");
    GdiObject *r = RegionObject(h);
    return r && r->region.Contains(x, y) ? TRUE : FALSE;
}

int WINAPI GetRgnBox(HRGN h, LPRECT out) {
    sim::CountCall("GetRgnBox");
    GdiObject *r = RegionObject(h);
    if (!r || !out)
        return ERROR;
    Rect b = r->region.Bounds();
    *out = RECT{b.left, b.top, b.right, b.bottom};
    return RegionKind(r->region);
}

DWORD WINAPI GetRegionData(HRGN h, DWORD nCount, LPRGNDATA data) {
    sim::CountCall("GetRegionData");
    GdiObject *r = RegionObject(h);
    if (!r)
        return 0;
    std::vector<Rect> rects = r->region.Rects();
    DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    if (!data)
        return needed;
    if (nCount < needed)
        return 0;
    Rect b = r->region.Bounds();
    data->rdh = RGNDATAHEADER{
        sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(rects.size()),
        static_cast<DWORD>(rects.size() * sizeof(RECT)), RECT{b.left, b.top, b.right, b.bottom}};
    RECT *list = reinterpret_cast<RECT *>(data->Buffer);
    for (size_t i = 0; i < rects.size(); ++i) {
        RECT out{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
        std::memcpy(list + i, &out, sizeof out);
    }
    return needed;
}

BOOL WINAPI EqualRgn(HRGN h1, HRGN h2) {
    sim::CountCall("EqualRgn");
    GdiObject *a = RegionObject(h1);
    GdiObject *b = RegionObject(h2);
    return a && b && a->region == b->region ? TRUE : FALSE;
}
