// DeviceSim: text output with the built-in font.
//
// Layout and glyph shapes live in Font.cpp as pure functions; this file only
// puts their rectangles on a DC's surface, through its origin and clip.
#include <windows.h>

#include "gdi/Font.h"
#include "gdi/Gdi.h"
#include "kernel/Context.h"

#include <algorithm>
#include <cstdint>
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

    // What may change, in logical coordinates; empty when nothing can.
    const Rect &Visible() const { return visible_; }

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

private:
    Bitmap *surface_ = nullptr;
    int originX_, originY_;
    std::vector<Rect> clips_; // surface coordinates
    Rect visible_;
};

} // namespace

int WINAPI DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    sim::CountCall("DrawTextW");
    Gdi &gdi = CurrentGdi();
    GdiObject *dc = gdi.Get(hdc, GdiObject::Kind::DC);
    if (!dc) {
        SetError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!text || !rect || count < -1) {
        SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string_view view =
        count == -1 ? std::u16string_view(text) : std::u16string_view(text, size_t(count));
    const int scale = TextScale(gdi.Dpi());
    const int64_t advance = TextExtent(u" ", scale).width;
    const int64_t lineHeight = TextExtent(u"", scale).height;
    TextLayout layout = LayoutText(view, int64_t{rect->right} - rect->left,
                                   int64_t{rect->bottom} - rect->top, format, scale);

    if (format & DT_CALCRECT) {
        // Left and top stay: callers grow the rectangle from its corner.
        rect->right = Saturate(rect->left + layout.width);
        rect->bottom = Saturate(rect->top + layout.height);
        return Saturate(layout.height);
    }

    // Without DT_NOCLIP, which this face does not offer, text stays inside
    // the rectangle.
    Painter painter(*dc, rect);
    if (dc->backMode == OPAQUE)
        for (const TextLine &line : layout.lines) {
            int64_t x = rect->left + line.x, y = rect->top + line.y;
            painter.Fill(x, y, x + line.width, y + lineHeight, dc->backColour);
        }
    std::vector<Rect> ink;
    for (const TextLine &line : layout.lines) {
        auto mark = line.underlined.begin();
        for (size_t i = 0; i < line.text.size(); ++i) {
            bool underline = mark != line.underlined.end() && *mark == i;
            if (underline)
                ++mark;
            AppendGlyphRects(line.text[i], underline,
                             rect->left + line.x + static_cast<int64_t>(i) * advance,
                             rect->top + line.y, scale, painter.Visible(), ink);
        }
    }
    for (const Rect &r : ink)
        painter.Fill(r.left, r.top, r.right, r.bottom, dc->textColour);

    // The platform reports where the text ends when it was placed from the
    // bottom or the middle, so callers can stack more below it.
    if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) && !layout.lines.empty())
        return Saturate(layout.lines.front().y + lineHeight);
    return Saturate(layout.height);
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT *rect, LPCWSTR text,
                        UINT count, const INT *dx) {
    sim::CountCall("ExtTextOutW");
    Gdi &gdi = CurrentGdi();
    GdiObject *dc = gdi.Get(hdc, GdiObject::Kind::DC);
    if (!dc) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
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
    const int scale = TextScale(gdi.Dpi());
    const int64_t cell = TextExtent(u" ", scale).width;
    const int64_t lineHeight = TextExtent(u"", scale).height;
    // lpDx gives the distance from each character cell to the next; it may
    // squeeze, stretch or even reverse the text.
    auto advance = [&](size_t i) { return dx ? int64_t{dx[i]} : cell; };

    if (dc->backMode == OPAQUE) {
        int64_t pen = x;
        for (size_t i = 0; i < view.size(); ++i) {
            int64_t step = advance(i);
            painter.Fill(std::min(pen, pen + step), y, std::max(pen, pen + step), y + lineHeight,
                         dc->backColour);
            pen += step;
        }
    }
    std::vector<Rect> ink;
    int64_t pen = x;
    for (size_t i = 0; i < view.size(); ++i) {
        AppendGlyphRects(view[i], false, pen, y, scale, painter.Visible(), ink);
        pen += advance(i);
    }
    for (const Rect &r : ink)
        painter.Fill(r.left, r.top, r.right, r.bottom, dc->textColour);
    return TRUE;
}
