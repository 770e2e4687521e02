// DeviceSim's emulator: the device's body, screen and buttons as one picture.
#include "emulator/DeviceFrame.h"

#include "gdi/Font.h"
#include "kernel/Utf8.h"

#include <windows.h>

#include <algorithm>

namespace sim {

namespace {

constexpr uint32_t kBackdrop = MakeColorRef(0xE8, 0xEA, 0xED);
constexpr uint32_t kBody = MakeColorRef(0x2B, 0x2F, 0x36);
constexpr uint32_t kBezel = MakeColorRef(0x0C, 0x0D, 0x0F);
constexpr uint32_t kButton = MakeColorRef(0x44, 0x4A, 0x54);
constexpr uint32_t kButtonPressed = MakeColorRef(0x7C, 0x9C, 0xC8);
constexpr uint32_t kSideButton = MakeColorRef(0x1C, 0x1F, 0x24);
constexpr uint32_t kLabel = MakeColorRef(0xC8, 0xCC, 0xD2);
constexpr uint32_t kStatusBack = MakeColorRef(0x15, 0x18, 0x1C);
constexpr uint32_t kStatusText = MakeColorRef(0xE6, 0xE9, 0xED);

// The picture's measures at scale 1, in picture pixels.
constexpr int kSide = 8;    // room for the side buttons left and right of the body
constexpr int kPad = 16;    // the body around the screen
constexpr int kTop = 36;    // the body above the screen
constexpr int kBottom = 92; // the body below the screen, for the buttons
constexpr int kStatus = 20; // the status line
constexpr int kRadius = 18; // the body's corners

uint32_t Mix(uint32_t under, uint32_t over, int alpha) {
    auto channel = [&](uint8_t a, uint8_t b) {
        return static_cast<uint8_t>((a * (255 - alpha) + b * alpha + 127) / 255);
    };
    return MakeColorRef(channel(RedOf(under), RedOf(over)), channel(GreenOf(under), GreenOf(over)),
                        channel(BlueOf(under), BlueOf(over)));
}

// The picture is always 32-bit top-down (DrawFrame makes it so): pixels are
// read and written in place, not through the general colour codec, since a
// frame is hundreds of thousands of them.
uint8_t *PixelOf(Bitmap &out, int x, int y) {
    if (x < 0 || y < 0 || x >= out.width || y >= out.height)
        return nullptr;
    return &out.bits[size_t(y) * out.stride + size_t(x) * 4];
}

void Put(Bitmap &out, int x, int y, uint32_t colour) {
    if (uint8_t *p = PixelOf(out, x, y))
        p[0] = BlueOf(colour), p[1] = GreenOf(colour), p[2] = RedOf(colour);
}

void Blend(Bitmap &out, int x, int y, uint32_t colour, int alpha) {
    if (alpha <= 0)
        return;
    if (uint8_t *p = PixelOf(out, x, y)) {
        uint32_t under = MakeColorRef(p[2], p[1], p[0]);
        Put(out, x, y, alpha >= 255 ? colour : Mix(under, colour, alpha));
    }
}

void FillRect(Bitmap &out, const Rect &r, uint32_t colour) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            Put(out, x, y, colour);
}

// A rectangle with round corners of `radius`, its edges smoothed by sampling
// each corner pixel four times.
void FillRounded(Bitmap &out, const Rect &r, int radius, uint32_t colour) {
    radius = std::min({radius, r.Width() / 2, r.Height() / 2});
    auto inside = [&](double px, double py) {
        double cx = std::clamp(px, double(r.left + radius), double(r.right - radius));
        double cy = std::clamp(py, double(r.top + radius), double(r.bottom - radius));
        double dx = px - cx, dy = py - cy;
        return dx * dx + dy * dy <= double(radius) * radius;
    };
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            bool cornerColumn = x < r.left + radius || x >= r.right - radius;
            bool cornerRow = y < r.top + radius || y >= r.bottom - radius;
            if (!cornerColumn || !cornerRow) {
                Put(out, x, y, colour);
                continue;
            }
            int hits = 0;
            for (double sy : {0.25, 0.75})
                for (double sx : {0.25, 0.75})
                    hits += inside(x + sx, y + sy);
            Blend(out, x, y, colour, hits * 255 / 4);
        }
}

void FillCircle(Bitmap &out, int cx, int cy, int radius, uint32_t colour) {
    FillRounded(out, Rect{cx - radius, cy - radius, cx + radius, cy + radius}, radius, colour);
}

const Font &FontOfSize(int ppem, bool bold) {
    return FontAt(FontSize{ppem, bold});
}

int TextWidth(const Font &font, const std::u16string &text) {
    int width = 0;
    for (char16_t ch : text)
        width += font.Advance(ch);
    return width;
}

// Draws one line of text with its cell's top at `top`.
void DrawString(Bitmap &out, int left, int top, const std::u16string &text, const Font &font,
                uint32_t colour) {
    int pen = left;
    for (char16_t ch : text) {
        const GlyphImage &g = font.Glyph(ch);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                Blend(out, pen + g.left + x, top + g.top + y, colour, g.At(x, y));
        pen += font.Advance(ch);
    }
}

void DrawCentred(Bitmap &out, const Rect &r, const std::u16string &text, const Font &font,
                 uint32_t colour) {
    int left = r.left + (r.Width() - TextWidth(font, text)) / 2;
    int top = r.top + (r.Height() - font.LineHeight()) / 2;
    DrawString(out, left, top, text, font, colour);
}

// An arrow head pointing the way of a D-pad direction, inside `r`.
void DrawArrow(Bitmap &out, const Rect &r, int vk, uint32_t colour) {
    int size = std::min(r.Width(), r.Height()) / 3;
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    for (int i = 0; i < size; ++i) {
        int half = i; // the arrow widens one pixel a row away from its point
        for (int j = -half; j <= half; ++j) {
            int along = i - size / 2;
            switch (vk) {
            case VK_UP: Put(out, cx + j, cy + along, colour); break;
            case VK_DOWN: Put(out, cx + j, cy - along, colour); break;
            case VK_LEFT: Put(out, cx + along, cy + j, colour); break;
            case VK_RIGHT: Put(out, cx - along, cy + j, colour); break;
            }
        }
    }
}

// A pixel of the device's 5-6-5 frame buffer, as the screen shows it (each
// channel's top bits repeated into its low bits).
uint32_t Expand565(const uint8_t *row, int x) {
    unsigned v = unsigned(row[2 * x]) | unsigned(row[2 * x + 1]) << 8;
    unsigned r = v >> 11, g = (v >> 5) & 0x3F, b = v & 0x1F;
    return MakeColorRef(uint8_t(r << 3 | r >> 2), uint8_t(g << 2 | g >> 4),
                        uint8_t(b << 3 | b >> 2));
}

bool Held(const std::vector<int> &held, int vk) {
    return std::find(held.begin(), held.end(), vk) != held.end();
}

} // namespace

FrameLayout LayoutFrame(int screenWidth, int screenHeight, int scale) {
    const int s = std::max(scale, 1);
    FrameLayout f;
    f.scale = s;
    int bodyLeft = kSide * s, bodyWidth = screenWidth * s + 2 * kPad * s;
    f.width = bodyWidth + 2 * kSide * s;
    int bodyHeight = (kTop + kBottom) * s + screenHeight * s;
    f.height = bodyHeight + kStatus * s;
    f.screen = Rect{bodyLeft + kPad * s, kTop * s, bodyLeft + kPad * s + screenWidth * s,
                    kTop * s + screenHeight * s};
    f.status = Rect{0, bodyHeight, f.width, f.height};

    // The D-pad in the middle below the screen, the action key at its heart.
    int cx = f.width / 2, cy = f.screen.bottom + (kBottom * s) / 2;
    int r = 30 * s, inner = 12 * s;
    f.buttons.push_back(
        {VK_RETURN, "Action", Rect{cx - inner, cy - inner, cx + inner, cy + inner}, true});
    f.buttons.push_back({VK_UP, "Up", Rect{cx - inner, cy - r, cx + inner, cy - inner}, false});
    f.buttons.push_back({VK_DOWN, "Down", Rect{cx - inner, cy + inner, cx + inner, cy + r}, false});
    f.buttons.push_back({VK_LEFT, "Left", Rect{cx - r, cy - inner, cx - inner, cy + inner}, false});
    f.buttons.push_back(
        {VK_RIGHT, "Right", Rect{cx + inner, cy - inner, cx + r, cy + inner}, false});
    // Two application buttons on each side of the D-pad.
    int bw = 34 * s, bh = 20 * s, gap = 6 * s;
    int left = bodyLeft + kPad * s, right = bodyLeft + bodyWidth - kPad * s;
    f.buttons.push_back(
        {VK_APP1, "Button 1", Rect{left, cy - bh / 2, left + bw, cy + bh / 2}, false});
    f.buttons.push_back({VK_APP2, "Button 2",
                         Rect{left + bw + gap, cy - bh / 2, left + 2 * bw + gap, cy + bh / 2},
                         false});
    f.buttons.push_back({VK_APP3, "Button 3",
                         Rect{right - 2 * bw - gap, cy - bh / 2, right - bw - gap, cy + bh / 2},
                         false});
    f.buttons.push_back(
        {VK_APP4, "Button 4", Rect{right - bw, cy - bh / 2, right, cy + bh / 2}, false});
    // The volume keys on the left edge, two more buttons on the right.
    int sideTop = f.screen.top + 24 * s, sideHeight = 34 * s, sideGap = 8 * s;
    Rect edgeLeft{0, sideTop, bodyLeft + 2 * s, sideTop + sideHeight};
    Rect edgeRight{f.width - bodyLeft - 2 * s, sideTop, f.width, sideTop + sideHeight};
    f.buttons.push_back({VK_F6, "Volume up", edgeLeft, false});
    f.buttons.push_back({VK_F7, "Volume down", edgeLeft.Offset(0, sideHeight + sideGap), false});
    f.buttons.push_back({VK_APP5, "Button 5", edgeRight, false});
    f.buttons.push_back({VK_APP6, "Button 6", edgeRight.Offset(0, sideHeight + sideGap), false});
    return f;
}

std::optional<HardButton> ButtonAt(const FrameLayout &layout, int x, int y) {
    for (const HardButton &b : layout.buttons)
        if (x >= b.area.left && x < b.area.right && y >= b.area.top && y < b.area.bottom)
            return b;
    return std::nullopt;
}

std::optional<std::pair<int, int>> ScreenPointAt(const FrameLayout &layout, int x, int y) {
    const Rect &s = layout.screen;
    if (x < s.left || x >= s.right || y < s.top || y >= s.bottom)
        return std::nullopt;
    return std::make_pair((x - s.left) / layout.scale, (y - s.top) / layout.scale);
}

std::u16string StatusText(uint64_t deviceMs, const std::string &what) {
    std::u16string text;
    FromUtf8(std::to_string(deviceMs / 1000) + " s   " + what, &text);
    return text;
}

void DrawFrame(Bitmap &out, const FrameLayout &f, const Bitmap &screen,
               const std::vector<int> &held, const std::u16string &status) {
    const int s = f.scale;
    if (out.width != f.width || out.height != f.height || out.bitsPerPixel != 32)
        out.Create(f.width, f.height, 32, true);
    FillRect(out, Rect{0, 0, f.width, f.height}, kBackdrop);

    // Side buttons first, so the body covers their inner ends.
    for (const HardButton &b : f.buttons)
        if (b.vk == VK_F6 || b.vk == VK_F7 || b.vk == VK_APP5 || b.vk == VK_APP6)
            FillRounded(out, b.area, 3 * s, Held(held, b.vk) ? kButtonPressed : kSideButton);
    Rect body{kSide * s, 0, f.width - kSide * s, f.status.top};
    FillRounded(out, body, kRadius * s, kBody);

    // The maker's line above the screen, and the screen in its bezel.
    const Font &small = FontOfSize(9 * s, false);
    DrawCentred(out, Rect{body.left, 0, body.right, f.screen.top - 4 * s}, u"Pocket PC", small,
                kLabel);
    Rect bezel{f.screen.left - 3 * s, f.screen.top - 3 * s, f.screen.right + 3 * s,
               f.screen.bottom + 3 * s};
    FillRect(out, bezel, kBezel);
    const bool rgb565 = screen.bitsPerPixel == 16 && screen.redMask == 0xF800 &&
                        screen.greenMask == 0x07E0 && screen.blueMask == 0x001F;
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x) {
            uint32_t colour = rgb565 ? Expand565(screen.Row(y), x) : screen.GetPixel(x, y);
            for (int dy = 0; dy < s; ++dy)
                for (int dx = 0; dx < s; ++dx)
                    Put(out, f.screen.left + x * s + dx, f.screen.top + y * s + dy, colour);
        }

    // The D-pad: a ring with four arrows around the action key.
    const HardButton &action = f.buttons[0];
    int cx = (action.area.left + action.area.right) / 2,
        cy = (action.area.top + action.area.bottom) / 2;
    FillCircle(out, cx, cy, 31 * s, kBezel);
    FillCircle(out, cx, cy, 30 * s, kButton);
    for (const HardButton &b : f.buttons) {
        bool pressed = Held(held, b.vk);
        switch (b.vk) {
        case VK_RETURN:
            FillCircle(out, cx, cy, 13 * s, kBezel);
            FillCircle(out, cx, cy, 12 * s, pressed ? kButtonPressed : kButton);
            break;
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT:
            if (pressed)
                FillRounded(out, b.area, 4 * s, kButtonPressed);
            DrawArrow(out, b.area, b.vk, kLabel);
            break;
        case VK_APP1:
        case VK_APP2:
        case VK_APP3:
        case VK_APP4:
            FillRounded(out, b.area, 6 * s, pressed ? kButtonPressed : kButton);
            DrawCentred(out, b.area, std::u16string(1, char16_t(u'1' + (b.vk - VK_APP1))), small,
                        kLabel);
            break;
        }
    }

    FillRect(out, f.status, kStatusBack);
    const Font &font = FontOfSize(10 * s, false);
    DrawString(out, f.status.left + 6 * s,
               f.status.top + (f.status.Height() - font.LineHeight()) / 2, status, font,
               kStatusText);
}

} // namespace sim
