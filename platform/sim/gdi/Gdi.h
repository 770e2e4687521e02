// DeviceSim: GDI objects and device contexts, and the screen they draw on.
//
// The screen is a 16-bit RGB565 frame buffer, as on the devices. Objects are
// reached through handles and belong to the process that made them; what a
// process leaves behind is freed when it ends.
#pragma once

#include <windows.h>

#include "gdi/Bitmap.h"
#include "gdi/Font.h"
#include "gdi/Region.h"

#include <map>
#include <memory>
#include <string>

namespace sim {

class Process;

struct GdiObject {
    enum class Kind { Bitmap, Region, Brush, Pen, Font, DC };
    Kind kind;
    Process *owner = nullptr; // null: a stock object, never deleted
    // Bitmap
    std::shared_ptr<Bitmap> bitmap;
    bool dib = false;
    HDC selectedInto = nullptr;
    // Region
    Region region;
    // Brush and pen
    uint32_t colour = 0;
    bool hollow = false;
    // Font: what CreateFontIndirect was given; a stock font is the system
    // font of the screen's DPI at the time it is used.
    LOGFONTW logFont{};
    bool stockFont = false;
    // Device context
    bool screen = false;
    HWND window = nullptr;
    int originX = 0, originY = 0; // where the DC's (0, 0) lies on its surface
    Region clip;                  // screen DCs: what may be drawn, surface coordinates
    HGDIOBJ bitmapSel = nullptr, brushSel = nullptr, penSel = nullptr, fontSel = nullptr;
    uint32_t textColour = 0, backColour = 0xFFFFFF;
    int backMode = OPAQUE;
};

class Gdi {
public:
    Gdi(int width, int height, int dpi);
    ~Gdi();

    int Dpi() const { return dpi_; }
    Bitmap &Screen() { return screen_; }
    void ResizeScreen(int width, int height, int dpi);
    void FillScreen(const Region &area, uint32_t colour);

    HGDIOBJ Add(GdiObject object);
    GdiObject *Get(HGDIOBJ handle, GdiObject::Kind kind);
    GdiObject *GetAny(HGDIOBJ handle);
    bool Delete(HGDIOBJ handle);
    HGDIOBJ Stock(int index);
    HRGN NewRegion(const Region &region, Process *owner);

    // A DC that draws on the screen at an origin, clipped to `clip`.
    HDC CreateScreenDC(Process *owner, HWND window, int originX, int originY, const Region &clip);
    // The surface a DC draws on, or null.
    Bitmap *Surface(GdiObject &dc);
    // Fills the DC's logical rectangle on its surface, honouring the clip.
    void Fill(GdiObject &dc, const Rect &logical, uint32_t colour);
    std::vector<Rect> ClipRects(GdiObject &dc, const Rect &surfaceRect);
    // The logical font of a font object, and the font a DC draws with: the
    // one selected, or the system font.
    LOGFONTW LogFontOf(const GdiObject &font) const;
    LOGFONTW SelectedLogFont(GdiObject &dc);
    const Font &SelectedFont(GdiObject &dc);

    void ProcessEnded(Process *process);
    size_t CountOf(const Process *process) const;

private:
    int dpi_;
    Bitmap screen_;
    std::map<uintptr_t, GdiObject> objects_;
    std::map<int, HGDIOBJ> stock_;
    uintptr_t next_ = 0x21000;
};

// The GDI of the device the calling thread runs on.
Gdi &CurrentGdi();

// The 16-bit value a colour becomes on the screen and in 16-bit DIB sections.
inline uint16_t Rgb565(uint32_t colour) {
    return static_cast<uint16_t>(((colour & 0xFF) >> 3) << 11 | ((colour >> 8 & 0xFF) >> 2) << 5 |
                                 (colour >> 16 & 0xFF) >> 3);
}

} // namespace sim
