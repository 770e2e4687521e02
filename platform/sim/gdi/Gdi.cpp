#include "gdi/Gdi.h"

#include "kernel/Kernel.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace sim {

namespace {

void MakeScreen(Bitmap &screen, int width, int height) {
    screen = Bitmap();
    screen.Create(width, height, 16, true);
    screen.SetMasks(0xF800, 0x07E0, 0x001F);
}

} // namespace

Gdi &CurrentGdi() {
    auto *gdi = static_cast<Gdi *>(CurrentKernel().GetLayer(Layer::Gdi));
    if (!gdi) {
        std::fprintf(stderr, "DeviceSim: a GDI call before the device has started\n");
        std::abort();
    }
    return *gdi;
}

Gdi::Gdi(int width, int height, int dpi) : dpi_(dpi) {
    // The device cannot draw a word without its font: say so at its start.
    std::string why;
    if (!LoadFonts(&why)) {
        std::fprintf(stderr, "DeviceSim: %s\n", why.c_str());
        std::abort();
    }
    MakeScreen(screen_, width, height);
}

Gdi::~Gdi() = default;

void Gdi::ResizeScreen(int width, int height, int dpi) {
    dpi_ = dpi;
    MakeScreen(screen_, width, height);
}

void Gdi::FillScreen(const Region &area, uint32_t colour) {
    for (const Rect &r : area.Rects())
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                screen_.SetPixel(x, y, colour);
}

HGDIOBJ Gdi::Add(GdiObject object) {
    uintptr_t handle = next_;
    next_ += 4;
    objects_.emplace(handle, std::move(object));
    return reinterpret_cast<HGDIOBJ>(handle);
}

GdiObject *Gdi::GetAny(HGDIOBJ handle) {
    auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
    return it == objects_.end() ? nullptr : &it->second;
}

GdiObject *Gdi::Get(HGDIOBJ handle, GdiObject::Kind kind) {
    GdiObject *o = GetAny(handle);
    return o && o->kind == kind ? o : nullptr;
}

HGDIOBJ Gdi::Stock(int index) {
    auto it = stock_.find(index);
    if (it != stock_.end())
        return it->second;
    GdiObject o;
    switch (index) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH: {
        static const uint32_t greys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000, 0};
        o.kind = GdiObject::Kind::Brush;
        o.colour = greys[index];
        o.hollow = index == NULL_BRUSH;
        break;
    }
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN:
        o.kind = GdiObject::Kind::Pen;
        o.colour = index == WHITE_PEN ? 0xFFFFFF : 0;
        o.hollow = index == NULL_PEN;
        break;
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
        o.kind = GdiObject::Kind::Font;
        o.stockFont = true;
        break;
    case -1: // the 1 x 1 monochrome bitmap a new memory DC holds
        o.kind = GdiObject::Kind::Bitmap;
        o.bitmap = std::make_shared<Bitmap>();
        o.bitmap->Create(1, 1, 1, false);
        break;
    default: return nullptr;
    }
    HGDIOBJ h = Add(std::move(o));
    stock_[index] = h;
    return h;
}

HRGN Gdi::NewRegion(const Region &region, Process *owner) {
    GdiObject o;
    o.kind = GdiObject::Kind::Region;
    o.owner = owner;
    o.region = region;
    return static_cast<HRGN>(Add(std::move(o)));
}

bool Gdi::Delete(HGDIOBJ handle) {
    auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == objects_.end())
        return false;
    GdiObject &o = it->second;
    if (!o.owner)
        return true; // stock objects stay
    if (o.kind == GdiObject::Kind::Bitmap && o.selectedInto)
        return false;
    if (o.kind == GdiObject::Kind::DC)
        if (GdiObject *b = Get(o.bitmapSel, GdiObject::Kind::Bitmap))
            b->selectedInto = nullptr;
    objects_.erase(it);
    return true;
}

HDC Gdi::CreateScreenDC(Process *owner, HWND window, int originX, int originY, const Region &clip) {
    GdiObject o;
    o.kind = GdiObject::Kind::DC;
    o.owner = owner;
    o.screen = true;
    o.window = window;
    o.originX = originX;
    o.originY = originY;
    o.clip = clip;
    o.brushSel = Stock(WHITE_BRUSH);
    o.penSel = Stock(BLACK_PEN);
    o.fontSel = Stock(SYSTEM_FONT);
    return static_cast<HDC>(Add(std::move(o)));
}

Bitmap *Gdi::Surface(GdiObject &dc) {
    if (dc.screen)
        return &screen_;
    GdiObject *b = Get(dc.bitmapSel, GdiObject::Kind::Bitmap);
    return b ? b->bitmap.get() : nullptr;
}

std::vector<Rect> Gdi::ClipRects(GdiObject &dc, const Rect &surfaceRect) {
    if (!dc.screen)
        return {surfaceRect};
    return dc.clip.Intersect(Region(surfaceRect)).Rects();
}

void Gdi::Fill(GdiObject &dc, const Rect &logical, uint32_t colour) {
    Bitmap *surface = Surface(dc);
    if (!surface)
        return;
    Rect r = logical.Offset(dc.originX, dc.originY)
                 .Intersect(Rect{0, 0, surface->width, surface->height});
    for (const Rect &c : ClipRects(dc, r))
        for (int y = c.top; y < c.bottom; ++y)
            for (int x = c.left; x < c.right; ++x)
                surface->SetPixel(x, y, colour);
}

LOGFONTW Gdi::LogFontOf(const GdiObject &font) const {
    return font.stockFont ? SystemLogFont(dpi_) : font.logFont;
}

LOGFONTW Gdi::SelectedLogFont(GdiObject &dc) {
    const GdiObject *font = Get(dc.fontSel, GdiObject::Kind::Font);
    return font ? LogFontOf(*font) : SystemLogFont(dpi_);
}

const Font &Gdi::SelectedFont(GdiObject &dc) {
    return FontAt(ResolveFont(SelectedLogFont(dc), dpi_));
}

void Gdi::ProcessEnded(Process *process) {
    for (auto it = objects_.begin(); it != objects_.end();) {
        if (it->second.owner == process)
            it = objects_.erase(it);
        else
            ++it;
    }
}

size_t Gdi::CountOf(const Process *process) const {
    size_t n = 0;
    for (const auto &entry : objects_)
        n += entry.second.owner == process;
    return n;
}

} // namespace sim
