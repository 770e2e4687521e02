// DeviceSim: the text calls — fonts, their metrics and extents, and text
// output with the device's font.
//
// Layout lives in TextLayout.cpp and glyphs in Font.cpp; this file puts their
// pixels on a DC's surface, through its origin and clip. Glyphs are
// anti-aliased as the device's standard font smoothing does: each pixel is
// blended between what lies under it and the text colour by the glyph's
// coverage, in the surface's own colours (565 on the screen), with integer
// arithmetic so every run gives the same pixels.
#include <windows.h>

#include "gdi/Font.h"
#include "gdi/Gdi.h"
#include "gdi/TextLayout.h"
#include "kernel/Context.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

using namespace sim;

namespace {

constexpr Rect kEverywhere{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(),
                           std::numeric_limits<int32_t>::max(),
                           std::numeric_limits<int32_t>::max()};

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// `over` laid on `under` with a coverage of `alpha` out of 255.
uint32_t Mix(uint32_t under, uint32_t over, unsigned alpha) {
    auto channel = [&](uint8_t u, uint8_t o) {
        return static_cast<uint8_t>((u * (255 - alpha) + o * alpha + 127) / 255);
    };
    return MakeColorRef(channel(RedOf(under), RedOf(over)), channel(GreenOf(under), GreenOf(over)),
                        channel(BlueOf(under), BlueOf(over)));
}

// How a DC's font draws: its face and size, and the lines it adds.
struct Style {
    const Font *font;
    bool underline, strikeOut;
    bool aliased; // NONANTIALIASED_QUALITY: every pixel ink or paper
};

Style StyleOf(GdiObject &dc) {
    Gdi &gdi = CurrentGdi();
    LOGFONTW lf = gdi.SelectedLogFont(dc);
    return Style{&FontAt(ResolveFont(lf, gdi.Dpi())), lf.lfUnderline != 0, lf.lfStrikeOut != 0,
                 lf.lfQuality == NONANTIALIASED_QUALITY};
}

// DrawText's lines stand the font's height apart, and its external leading
// more with DT_EXTERNALLEADING.
class LineSpacing : public TextMeasure {
public:
    LineSpacing(const Font &font, bool externalLeading)
        : font_(font),
          height_(font.Metrics().height + (externalLeading ? font.Metrics().externalLeading : 0)) {}
    int Advance(char16_t ch) const override { return font_.Advance(ch); }
    int LineHeight() const override { return height_; }

private:
    const Font &font_;
    int height_;
};

// Draws on a DC's surface through its clip and an optional logical limit.
// The clip is worked out once per call: text makes many small fills, and
// intersecting the DC's region for each would dominate the cost.
class Painter {
public:
    Painter(GdiObject &dc, const RECT *limit) : originX_(dc.originX), originY_(dc.originY) {
        Gdi &gdi = CurrentGdi();
        surface_ = gdi.Surface(dc);
        if (!surface_)
            return;
        Rect bounds{0, 0, surface_->width, surface_->height};
        if (limit)
            bounds = ClampRect(int64_t{limit->left} + originX_, int64_t{limit->top} + originY_,
                               int64_t{limit->right} + originX_, int64_t{limit->bottom} + originY_,
                               bounds);
        if (bounds.Empty())
            return;
        bool any = false;
        Rect box;
        for (const Rect &c : gdi.ClipRects(dc, bounds)) {
            if (c.Empty())
                continue;
            clips_.push_back(c);
            box = any ? Rect{std::min(box.left, c.left), std::min(box.top, c.top),
                             std::max(box.right, c.right), std::max(box.bottom, c.bottom)}
                      : c;
            any = true;
        }
        if (any)
            visible_ = ClampRect(int64_t{box.left} - originX_, int64_t{box.top} - originY_,
                                 int64_t{box.right} - originX_, int64_t{box.bottom} - originY_,
                                 kEverywhere);
    }

    void Fill(int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t colour) {
        Rect logical = ClampRect(left, top, right, bottom, visible_);
        if (logical.Empty())
            return;
        // Inside visible_, so the shift stays on the surface and cannot wrap.
        Rect onSurface = logical.Offset(originX_, originY_);
        for (const Rect &c : clips_) {
            Rect r = onSurface.Intersect(c);
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    surface_->SetPixel(x, y, colour);
        }
    }

    // Blends a glyph whose top-left lies at the logical point (x, y).
    void Glyph(const GlyphImage &glyph, int64_t x, int64_t y, uint32_t colour, bool aliased) {
        Rect logical = ClampRect(x, y, x + glyph.width, y + glyph.height, visible_);
        if (logical.Empty())
            return;
        Rect onSurface = logical.Offset(originX_, originY_);
        // The glyph's own pixel under surface pixel (sx, sy); in range, as
        // the glyph box holds the clamped one.
        const int64_t dx = x + originX_, dy = y + originY_;
        for (const Rect &c : clips_) {
            Rect r = onSurface.Intersect(c);
            for (int sy = r.top; sy < r.bottom; ++sy)
                for (int sx = r.left; sx < r.right; ++sx) {
                    unsigned alpha = glyph.At(static_cast<int>(sx - dx), static_cast<int>(sy - dy));
                    if (aliased)
                        alpha = alpha >= 128 ? 255 : 0;
                    if (alpha == 255)
                        surface_->SetPixel(sx, sy, colour);
                    else if (alpha)
                        surface_->SetPixel(sx, sy, Mix(surface_->GetPixel(sx, sy), colour, alpha));
                }
        }
    }

    // Draws `text` from the pen at (x, cell top y); `step(i)` is how far the
    // pen moves after character i.
    template <typename Step>
    void Run(std::u16string_view text, int64_t x, int64_t y, const Style &style, uint32_t colour,
             Step step) {
        // A run that starts this far out cannot reach the visible area's
        // int32 coordinates without a step a glyph does not have.
        constexpr int64_t kFar = int64_t{1} << 40;
        if (visible_.Empty() || y < -kFar || y > kFar)
            return;
        int64_t pen = x;
        for (size_t i = 0; i < text.size(); ++i) {
            if (pen > -kFar && pen < kFar) {
                const GlyphImage &glyph = style.font->Glyph(text[i]);
                if (glyph.width)
                    Glyph(glyph, pen + glyph.left, y + glyph.top, colour, style.aliased);
            }
            pen += step(i);
        }
    }

private:
    Bitmap *surface_ = nullptr;
    int originX_, originY_;
    std::vector<Rect> clips_; // surface coordinates
    Rect visible_;
};

// The underline and strike-out of a stretch of text on a cell at `top`.
void Lines(Painter &painter, const FontMetrics &m, int64_t left, int64_t right, int64_t top,
           bool underline, bool strikeOut, uint32_t colour) {
    if (underline)
        painter.Fill(left, top + m.underlineTop, right, top + m.underlineTop + m.underlineHeight,
                     colour);
    if (strikeOut)
        painter.Fill(left, top + m.strikeOutTop, right, top + m.strikeOutTop + m.strikeOutHeight,
                     colour);
}

GdiObject *DcOrError(HDC hdc) {
    GdiObject *dc = CurrentGdi().Get(hdc, GdiObject::Kind::DC);
    if (!dc)
        SetError(ERROR_INVALID_HANDLE);
    return dc;
}

} // namespace

// ------------------------------------------------------------ fonts

HFONT WINAPI CreateFontIndirectW(const LOGFONTW *lplf) {
    sim::CountCall("CreateFontIndirectW");
    if (!lplf) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GdiObject o;
    o.kind = GdiObject::Kind::Font;
    o.owner = &CurrentProcess();
    o.logFont = *lplf;
    return static_cast<HFONT>(CurrentGdi().Add(std::move(o)));
}

BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm) {
    sim::CountCall("GetTextMetricsW");
    GdiObject *dc = DcOrError(hdc);
    if (!dc)
        return FALSE;
    if (!tm) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Gdi &gdi = CurrentGdi();
    LOGFONTW lf = gdi.SelectedLogFont(*dc);
    const FontMetrics &m = FontAt(ResolveFont(lf, gdi.Dpi())).Metrics();
    TEXTMETRICW out{};
    out.tmHeight = m.height;
    out.tmAscent = m.ascent;
    out.tmDescent = m.descent;
    out.tmInternalLeading = m.internalLeading;
    out.tmExternalLeading = m.externalLeading;
    out.tmAveCharWidth = m.aveCharWidth;
    out.tmMaxCharWidth = m.maxCharWidth;
    out.tmWeight = m.weight;
    out.tmOverhang = 0;
    out.tmDigitizedAspectX = gdi.Dpi();
    out.tmDigitizedAspectY = gdi.Dpi();
    out.tmFirstChar = m.firstChar;
    out.tmLastChar = m.lastChar;
    out.tmDefaultChar = m.defaultChar;
    out.tmBreakChar = m.breakChar;
    out.tmItalic = lf.lfItalic ? 1 : 0;
    out.tmUnderlined = lf.lfUnderline ? 1 : 0;
    out.tmStruckOut = lf.lfStrikeOut ? 1 : 0;
    // TMPF_FIXED_PITCH set means a variable-pitch font, as the platform has it.
    out.tmPitchAndFamily = TMPF_FIXED_PITCH | TMPF_VECTOR | TMPF_TRUETYPE | FF_SWISS;
    out.tmCharSet = ANSI_CHARSET;
    *tm = out;
    return TRUE;
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
    sim::CountCall("GetTextExtentPoint32W");
    GdiObject *dc = DcOrError(hdc);
    if (!dc)
        return FALSE;
    if (count < 0 || (count && !text) || !size) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Font &font = CurrentGdi().SelectedFont(*dc);
    std::u16string_view view = count ? std::u16string_view(text, size_t(count)) : u"";
    size->cx = Saturate(font.Width(view));
    size->cy = font.Metrics().height;
    return TRUE;
}

BOOL WINAPI GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, LPINT fit,
                                  LPINT dx, LPSIZE size) {
    sim::CountCall("GetTextExtentExPointW");
    GdiObject *dc = DcOrError(hdc);
    if (!dc)
        return FALSE;
    if (count < 0 || (count && !text) || !size) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const Font &font = CurrentGdi().SelectedFont(*dc);
    // Every partial extent is filled; the platform promises those of the
    // characters that fit, in an array as long as the string.
    int64_t extent = 0;
    int fits = 0;
    for (int i = 0; i < count; ++i) {
        extent += font.Advance(text[i]);
        if (dx)
            dx[i] = Saturate(extent);
        if (extent <= maxExtent && fits == i)
            ++fits;
    }
    // Without somewhere to say how many fit, the limit is not used.
    if (fit)
        *fit = fits;
    size->cx = Saturate(extent);
    size->cy = font.Metrics().height;
    return TRUE;
}

// ------------------------------------------------------------ drawing

int WINAPI DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    sim::CountCall("DrawTextW");
    GdiObject *dc = DcOrError(hdc);
    if (!dc)
        return 0;
    if (!text || !rect || count < -1) {
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string_view view =
        count == -1 ? std::u16string_view(text) : std::u16string_view(text, size_t(count));
    const Style style = StyleOf(*dc);
    const FontMetrics &m = style.font->Metrics();
    LineSpacing spacing(*style.font, format & DT_EXTERNALLEADING);
    const int64_t lineHeight = spacing.LineHeight();
    TextLayout layout = LayoutText(view, int64_t{rect->right} - rect->left,
                                   int64_t{rect->bottom} - rect->top, format, spacing);

    if (format & DT_CALCRECT) {
        // Left and top stay: callers grow the rectangle from its corner.
        rect->right = Saturate(rect->left + layout.width);
        rect->bottom = Saturate(rect->top + layout.height);
        return Saturate(layout.height);
    }

    Painter painter(*dc, format & DT_NOCLIP ? nullptr : rect);
    if (dc->backMode == OPAQUE)
        for (const TextLine &line : layout.lines) {
            int64_t x = rect->left + line.x, y = rect->top + line.y;
            painter.Fill(x, y, x + line.width, y + lineHeight, dc->backColour);
        }
    for (const TextLine &line : layout.lines) {
        const int64_t x = rect->left + line.x, y = rect->top + line.y;
        std::u16string_view shown = line.text;
        painter.Run(shown, x, y, style, dc->textColour,
                    [&](size_t i) { return int64_t{style.font->Advance(shown[i])}; });
        Lines(painter, m, x, x + line.width, y, style.underline, style.strikeOut, dc->textColour);
        // A mnemonic underlines its own character's advance.
        if (!style.underline && !line.underlined.empty()) {
            int64_t pen = x;
            size_t next = 0;
            for (size_t i = 0; i < shown.size(); ++i) {
                int advance = style.font->Advance(shown[i]);
                if (next < line.underlined.size() && line.underlined[next] == i) {
                    Lines(painter, m, pen, pen + advance, y, true, false, dc->textColour);
                    ++next;
                }
                pen += advance;
            }
        }
    }

    // The platform reports where the text ends when it was placed from the
    // bottom or the middle, so callers can stack more below it.
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) && !layout.lines.empty())
        return Saturate(layout.lines.front().y + lineHeight);
    return Saturate(layout.height);
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT *rect, LPCWSTR text,
                        UINT count, const INT *dx) {
    sim::CountCall("ExtTextOutW");
    GdiObject *dc = DcOrError(hdc);
    if (!dc)
        return FALSE;
    // A count past INT_MAX is a negative int passed through the UINT; no
    // string is that long.
    if ((count && !text) || count > static_cast<UINT>(std::numeric_limits<int>::max())) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Painter painter(*dc, rect && (options & ETO_CLIPPED) ? rect : nullptr);
    if (rect && (options & ETO_OPAQUE))
        painter.Fill(rect->left, rect->top, rect->right, rect->bottom, dc->backColour);

    std::u16string_view view = count ? std::u16string_view(text, count) : std::u16string_view();
    const Style style = StyleOf(*dc);
    const FontMetrics &m = style.font->Metrics();
    // lpDx gives the distance from each character cell to the next; it may
    // squeeze, stretch or even reverse the text.
    auto advance = [&](size_t i) {
        return dx ? int64_t{dx[i]} : int64_t{style.font->Advance(view[i])};
    };

    int64_t pen = x;
    if (dc->backMode == OPAQUE) {
        for (size_t i = 0; i < view.size(); ++i) {
            int64_t step = advance(i);
            painter.Fill(std::min(pen, pen + step), y, std::max(pen, pen + step),
                         int64_t{y} + m.height, dc->backColour);
            pen += step;
        }
    }
    painter.Run(view, x, y, style, dc->textColour, advance);
    if (style.underline || style.strikeOut) {
        int64_t end = x;
        for (size_t i = 0; i < view.size(); ++i)
            end += advance(i);
        Lines(painter, m, std::min<int64_t>(x, end), std::max<int64_t>(x, end), y, style.underline,
              style.strikeOut, dc->textColour);
    }
    return TRUE;
}
