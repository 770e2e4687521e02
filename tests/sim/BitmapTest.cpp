#include "gdi/Bitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace sim {
namespace {

// Raw little-endian pixel value of a 16, 24 or 32 bpp surface, read from the
// memory a program would see through a DIB section's bits pointer.
uint32_t RawAt(const Bitmap &b, int x, int y) {
    const uint8_t *p = b.Row(y) + size_t(x) * (b.bitsPerPixel / 8);
    uint32_t value = 0;
    for (int i = b.bitsPerPixel / 8 - 1; i >= 0; --i)
        value = value << 8 | p[i];
    return value;
}

Bitmap Make(int w, int h, int bpp, bool topDown = false) {
    Bitmap b;
    EXPECT_TRUE(b.Create(w, h, bpp, topDown));
    return b;
}

// A pattern in which every pixel of a small surface differs.
uint32_t Pattern(int x, int y) {
    return MakeColorRef(uint8_t(x * 40 + 7), uint8_t(y * 50 + 3), uint8_t(x * y * 9 + 100));
}

void Fill(Bitmap &b) {
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            b.SetPixel(x, y, Pattern(x, y));
}

TEST(BitmapLayout, StrideAndLimits) {
    struct Case {
        int64_t w, h;
        int bpp;
        bool ok;
        uint32_t stride = 0;
    } cases[] = {{33, 2, 1, true, 8},
                 {9, 1, 4, true, 8},
                 {5, 1, 8, true, 8},
                 {5, 3, 16, true, 12},
                 {3, 1, 24, true, 12},
                 {1, 1, 32, true, 4},
                 {4096, 4096, 32, true, 16384},
                 {4096, 4097, 32, false},
                 {0, 1, 16, false},
                 {1, -5, 16, false},
                 {1, 1, 2, false},
                 {1, 1, 15, false},
                 {INT32_MAX, 1, 32, false},
                 {INT32_MAX, INT32_MAX, 32, false},
                 {int64_t(1) << 40, 1, 1, false}};
    for (const Case &c : cases) {
        uint32_t stride = 0;
        size_t bytes = 0;
        std::string why;
        bool ok = DibLayout(c.w, c.h, c.bpp, &stride, &bytes, &why);
        EXPECT_EQ(ok, c.ok) << c.w << "x" << c.h << "x" << c.bpp;
        if (ok) {
            EXPECT_EQ(stride, c.stride) << c.w << "x" << c.bpp;
            EXPECT_EQ(bytes, size_t(c.stride) * size_t(c.h));
        } else {
            EXPECT_FALSE(why.empty());
        }
    }

    Bitmap b = Make(2, 2, 16);
    b.SetPixel(1, 1, 0xFFFFFF);
    std::vector<uint8_t> before = b.bits;
    EXPECT_FALSE(b.Create(65536, 65536, 32, false));
    EXPECT_EQ(b.width, 2);
    EXPECT_EQ(b.bits, before);
}

TEST(BitmapPixels, ChannelReductionAndExpansion) {
    struct Case {
        int bpp;
        uint32_t r, g, b; // 0: the format's default masks
        uint32_t written;
        uint32_t raw;
        uint32_t read;
    } cases[] = {
        // 5-6-5 keeps each channel's top bits, so near colours collapse.
        {16, 0xF800, 0x07E0, 0x001F, MakeColorRef(200, 150, 200), 0xCCB9,
         MakeColorRef(206, 150, 206)},
        {16, 0xF800, 0x07E0, 0x001F, MakeColorRef(204, 151, 206), 0xCCB9,
         MakeColorRef(206, 150, 206)},
        {16, 0xF800, 0x07E0, 0x001F, 0xFFFFFF, 0xFFFF, 0xFFFFFF},
        {16, 0xF800, 0x07E0, 0x001F, MakeColorRef(7, 3, 7), 0x0000, 0x000000},
        {16, 0, 0, 0, MakeColorRef(200, 150, 200), 0x6659, MakeColorRef(206, 148, 206)},
        {16, 0, 0, 0, 0xFFFFFF, 0x7FFF, 0xFFFFFF},
        {16, 0x001F, 0x07E0, 0xF800, MakeColorRef(255, 0, 0), 0x001F, MakeColorRef(255, 0, 0)},
        {24, 0, 0, 0, MakeColorRef(1, 2, 3), 0x010203, MakeColorRef(1, 2, 3)},
        {32, 0, 0, 0, MakeColorRef(1, 2, 3), 0x010203, MakeColorRef(1, 2, 3)},
        {32, 0xFF, 0xFF00, 0xFF0000, MakeColorRef(1, 2, 3), 0x030201, MakeColorRef(1, 2, 3)},
        // Channels wider than 8 bits are filled by repeating, and read by
        // their top 8 bits.
        {32, 0x3FF00000, 0xFFC00, 0x3FF, MakeColorRef(255, 128, 1), 0x3FF80804,
         MakeColorRef(255, 128, 1)}};
    for (const Case &c : cases) {
        Bitmap b = Make(2, 2, c.bpp);
        if (c.r) {
            ASSERT_TRUE(b.SetMasks(c.r, c.g, c.b));
        }
        b.SetPixel(1, 1, c.written);
        EXPECT_EQ(RawAt(b, 1, 1), c.raw) << std::hex << c.written << " into " << c.bpp;
        EXPECT_EQ(b.GetPixel(1, 1), c.read) << std::hex << c.raw;
        EXPECT_EQ(RawAt(b, 0, 1), 0u) << "neighbour touched";
    }
}

TEST(BitmapPixels, PackedIndicesAndNearestEntry) {
    struct Case {
        int bpp;
        int x;
        uint32_t colour;
        size_t byte;
        uint8_t value;
    } cases[] = {{1, 0, 0xFFFFFF, 0, 0x80},
                 {1, 1, 0xFFFFFF, 0, 0x40},
                 {1, 9, 0xFFFFFF, 1, 0x40},
                 {1, 1, MakeColorRef(100, 100, 100), 0, 0x00},
                 {4, 0, MakeColorRef(17, 17, 17), 0, 0x10},
                 {4, 1, 0xFFFFFF, 0, 0x0F},
                 {4, 3, MakeColorRef(30, 30, 40), 1, 0x02},
                 {8, 2, MakeColorRef(5, 5, 5), 2, 5}};
    for (const Case &c : cases) {
        Bitmap b = Make(10, 1, c.bpp);
        b.SetPixel(c.x, 0, c.colour);
        for (size_t i = 0; i < b.stride; ++i)
            EXPECT_EQ(b.bits[i], i == c.byte ? c.value : 0)
                << c.bpp << " bpp x=" << c.x << " byte " << i;
    }

    Bitmap b = Make(1, 1, 8);
    b.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {128, 128, 128}, {128, 128, 128}};
    struct Near {
        uint32_t colour;
        uint8_t index;
    } nears[] = {{MakeColorRef(250, 10, 10), 0},
                 {MakeColorRef(0, 0, 254), 2},
                 {MakeColorRef(120, 130, 125), 3}, // first of two equal entries
                 {MakeColorRef(255, 255, 255), 3}};
    for (const Near &n : nears) {
        b.SetPixel(0, 0, n.colour);
        EXPECT_EQ(b.bits[0], n.index) << std::hex << n.colour;
    }
    b.bits[0] = 200; // no such entry
    EXPECT_EQ(b.GetPixel(0, 0), 0u);
}

TEST(BitmapPixels, RowOrderFollowsMemoryLayout) {
    for (bool topDown : {false, true}) {
        Bitmap b = Make(2, 3, 16, topDown);
        b.SetPixel(0, 0, 0xFFFFFF);
        size_t firstRowOffset = topDown ? 0 : size_t(b.stride) * 2;
        EXPECT_EQ(b.Row(0), b.bits.data() + firstRowOffset);
        EXPECT_EQ(b.bits[firstRowOffset], 0xFF) << topDown;
        EXPECT_EQ(b.bits[firstRowOffset + 1], 0x7F) << topDown;
        EXPECT_EQ(b.GetPixel(0, 0), 0xFFFFFFu);
        EXPECT_EQ(b.GetPixel(0, 2), 0u);
    }
}

TEST(BitmapPixels, OutsideAndInconsistentSurfacesAreHarmless) {
    Bitmap b = Make(4, 3, 24);
    std::vector<uint8_t> before = b.bits;
    int points[][2] = {{-1, 0}, {4, 0}, {0, -1}, {0, 3}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}};
    for (auto &p : points) {
        EXPECT_EQ(b.GetPixel(p[0], p[1]), kInvalidColor) << p[0] << "," << p[1];
        b.SetPixel(p[0], p[1], 0xFFFFFF);
    }
    EXPECT_EQ(b.Row(-1), nullptr);
    EXPECT_EQ(b.Row(3), nullptr);
    EXPECT_EQ(b.bits, before);

    Bitmap truncated = b;
    truncated.bits.resize(b.bits.size() - 1);
    Bitmap narrow = b;
    narrow.stride = 8; // 4 pixels of 24 bpp need 12
    Bitmap odd = b;
    odd.bitsPerPixel = 12;
    Bitmap blank;
    for (Bitmap *bad : {&truncated, &narrow, &odd, &blank}) {
        EXPECT_EQ(bad->GetPixel(0, 0), kInvalidColor);
        bad->SetPixel(0, 0, 0xFFFFFF);
        EXPECT_FALSE(CopyRect(*bad, 0, 0, b, 0, 0, 1, 1));
        EXPECT_FALSE(CopyRect(b, 0, 0, *bad, 0, 0, 1, 1));
    }
    EXPECT_EQ(b.bits, before);
}

// What SRCCOPY must leave at each destination pixel, worked out pixel by
// pixel in 64 bits.
void ExpectCopied(const Bitmap &dst, const Bitmap &original, const Bitmap &src, int dx, int dy,
                  int sx, int sy, int w, int h, const char *what) {
    for (int y = 0; y < dst.height; ++y)
        for (int x = 0; x < dst.width; ++x) {
            int64_t srcX = int64_t(x) - dx + sx, srcY = int64_t(y) - dy + sy;
            bool inside = x >= int64_t(dx) && x < int64_t(dx) + w && y >= int64_t(dy) &&
                          y < int64_t(dy) + h && srcX >= 0 && srcX < src.width && srcY >= 0 &&
                          srcY < src.height;
            uint32_t want = inside ? src.GetPixel(int(srcX), int(srcY)) : original.GetPixel(x, y);
            ASSERT_EQ(dst.GetPixel(x, y), want) << what << " at " << x << "," << y;
        }
}

TEST(BitmapCopy, ClipsToBothSurfaces) {
    struct Case {
        const char *what;
        int dx, dy, sx, sy, w, h;
    } cases[] = {{"inside", 1, 1, 0, 0, 3, 2},
                 {"whole", 0, 0, 0, 0, 6, 5},
                 {"negative destination", -2, -1, 0, 0, 4, 4},
                 {"negative source", 0, 0, -2, -3, 5, 5},
                 {"past both right edges", 3, 2, 3, 1, 100, 100},
                 {"empty", 1, 1, 1, 1, 0, 0},
                 {"huge size", -5, -5, 0, 0, INT_MAX, INT_MAX},
                 {"far offsets", INT_MAX, INT_MAX, 0, 0, INT_MAX, INT_MAX},
                 {"opposite extremes", INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX},
                 {"source far left", 0, 0, INT_MIN, 0, INT_MAX, 3}};
    Bitmap src = Make(5, 4, 24, true);
    Fill(src);
    for (const Case &c : cases) {
        Bitmap dst = Make(6, 5, 24);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                dst.SetPixel(x, y, 0x808080);
        Bitmap original = dst;
        EXPECT_TRUE(CopyRect(dst, c.dx, c.dy, src, c.sx, c.sy, c.w, c.h)) << c.what;
        ExpectCopied(dst, original, src, c.dx, c.dy, c.sx, c.sy, c.w, c.h, c.what);
    }
    Bitmap dst = Make(6, 5, 24);
    EXPECT_FALSE(CopyRect(dst, 0, 0, src, 0, 0, -1, 2));
    EXPECT_FALSE(CopyRect(dst, 0, 0, src, 0, 0, 2, -1));
}

TEST(BitmapCopy, FormatsMeet) {
    Bitmap src565 = Make(3, 1, 16);
    ASSERT_TRUE(src565.SetMasks(0xF800, 0x07E0, 0x001F));
    uint16_t raws[] = {0xCCB9, 0xF800, 0x0821}; // low bits that 8-bit colour would lose
    for (int x = 0; x < 3; ++x) {
        src565.Row(0)[2 * x] = uint8_t(raws[x]);
        src565.Row(0)[2 * x + 1] = uint8_t(raws[x] >> 8);
    }

    Bitmap same = Make(3, 1, 16, true);
    ASSERT_TRUE(same.SetMasks(0xF800, 0x07E0, 0x001F));
    ASSERT_TRUE(CopyRect(same, 0, 0, src565, 0, 0, 3, 1));
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(RawAt(same, x, 0), raws[x]) << "raw copy lost bits at " << x;

    // Bits no colour carries survive only a raw copy: the unused top bit of
    // 5-5-5, the spare byte of 32 bpp, and which of two equal palette entries
    // a pixel names.
    struct Raw {
        int bpp;
        uint8_t byte;
    } raws2[] = {{16, 0xFC}, {32, 0xAB}, {8, 4}};
    for (const Raw &r : raws2) {
        Bitmap from = Make(1, 1, r.bpp), to = Make(1, 1, r.bpp, true);
        if (r.bpp == 8)
            from.palette = to.palette = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {9, 9, 9}, {9, 9, 9}};
        from.bits[r.bpp / 8 - 1] = r.byte;
        ASSERT_TRUE(CopyRect(to, 0, 0, from, 0, 0, 1, 1));
        EXPECT_EQ(to.bits, from.bits) << r.bpp << " bpp";
    }

    Bitmap rgb555 = Make(3, 1, 16);
    ASSERT_TRUE(CopyRect(rgb555, 0, 0, src565, 0, 0, 3, 1));
    EXPECT_EQ(RawAt(rgb555, 1, 0), 0x7C00u);
    EXPECT_EQ(RawAt(rgb555, 0, 0), 0x6659u);

    Bitmap rgb24 = Make(3, 1, 24);
    ASSERT_TRUE(CopyRect(rgb24, 0, 0, src565, 0, 0, 3, 1));
    EXPECT_EQ(rgb24.GetPixel(0, 0), MakeColorRef(206, 150, 206));
    EXPECT_EQ(rgb24.GetPixel(1, 0), MakeColorRef(255, 0, 0));

    Bitmap mono = Make(3, 1, 1);
    ASSERT_TRUE(CopyRect(mono, 0, 0, src565, 0, 0, 3, 1));
    EXPECT_EQ(mono.bits[0], 0x80); // light; pure red and near black are both nearer black

    // Palette surfaces with different palettes copy by colour, not index.
    Bitmap inverted = Make(3, 1, 1);
    inverted.palette = {{255, 255, 255}, {0, 0, 0}};
    ASSERT_TRUE(CopyRect(inverted, 0, 0, mono, 0, 0, 3, 1));
    EXPECT_EQ(inverted.bits[0], 0x60);
}

TEST(BitmapCopy, OverlappingCopyWithinOneSurface) {
    struct Case {
        int dx, dy, sx, sy, w, h;
    } cases[] = {{1, 1, 0, 0, 4, 4}, {0, 0, 1, 1, 4, 4}, {2, 0, 0, 0, 5, 5}, {0, 0, 0, 2, 5, 5}};
    for (const Case &c : cases) {
        for (int bpp : {4, 16}) {
            Bitmap b = Make(5, 5, bpp);
            Fill(b);
            Bitmap original = b;
            ASSERT_TRUE(CopyRect(b, c.dx, c.dy, b, c.sx, c.sy, c.w, c.h));
            ExpectCopied(b, original, original, c.dx, c.dy, c.sx, c.sy, c.w, c.h, "scroll");
        }
    }
}

TEST(BitmapCopy, ClipRectangles) {
    Bitmap src = Make(5, 5, 16);
    Fill(src);
    struct Case {
        std::vector<Rect> clip;
    } cases[] = {{{}},
                 {{{0, 0, 2, 2}, {3, 3, 10, 10}}},
                 {{{-5, -5, 1, 100}}},
                 {{{4, 4, 2, 2}, {1, 1, 1, 3}}}, // inverted and empty rectangles clip everything
                 {{{1, 1, 4, 4}, {2, 2, 3, 3}}}};
    for (const Case &c : cases) {
        Bitmap dst = Make(5, 5, 16);
        ASSERT_TRUE(CopyRect(dst, 0, 0, src, 0, 0, 5, 5, c.clip));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                bool inClip = false;
                for (const Rect &r : c.clip)
                    inClip |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                EXPECT_EQ(dst.GetPixel(x, y), inClip ? src.GetPixel(x, y) : 0u)
                    << x << "," << y << " with " << c.clip.size() << " rects";
            }
    }
}

} // namespace
} // namespace sim
