#include "gdi/BmpDecoder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <vector>

namespace sim {
namespace {

struct BmpShape {
    uint32_t headerSize = 40;
    int32_t width = 0, height = 0; // negative height: rows stored top row first
    uint16_t bpp = 24;
    uint32_t compression = BI_RGB;
    std::vector<uint32_t> masks = {}; // after a 40-byte header, or inside V4/V5
    std::vector<PaletteEntry> palette = {};
    uint32_t clrUsed = 0;
    std::vector<uint32_t> pixels = {}; // raw values, top row first
};

void Put16(std::vector<uint8_t> &f, uint32_t v) {
    f.push_back(uint8_t(v));
    f.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t> &f, uint32_t v) {
    Put16(f, v);
    Put16(f, v >> 16);
}
void Poke32(std::vector<uint8_t> &f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        f[at + i] = uint8_t(v >> (8 * i));
}

// Lays a file out the way bitmap editors write them: file header, bitmap
// header, masks or palette, then rows padded to four bytes.
std::vector<uint8_t> WriteBmp(const BmpShape &s) {
    const bool core = s.headerSize == 12;
    std::vector<uint8_t> f = {'B', 'M'};
    Put32(f, 0); // file size, patched below
    Put32(f, 0);
    Put32(f, 0); // pixel data offset, patched below
    Put32(f, s.headerSize);
    if (core) {
        Put16(f, uint32_t(s.width));
        Put16(f, uint32_t(s.height));
        Put16(f, 1);
        Put16(f, s.bpp);
    } else {
        Put32(f, uint32_t(s.width));
        Put32(f, uint32_t(s.height));
        Put16(f, 1);
        Put16(f, s.bpp);
        Put32(f, s.compression);
        Put32(f, 0);
        Put32(f, 2835);
        Put32(f, 2835);
        Put32(f, s.clrUsed);
        Put32(f, 0);
        if (s.headerSize > 40) {
            for (size_t i = 0; i < 4; ++i)
                Put32(f, i < s.masks.size() ? s.masks[i] : 0);
            f.resize(14 + s.headerSize, 0);
        }
    }
    if (s.headerSize == 40)
        for (uint32_t m : s.masks)
            Put32(f, m);
    for (const PaletteEntry &e : s.palette) {
        f.insert(f.end(), {e.blue, e.green, e.red});
        if (!core)
            f.push_back(0);
    }
    Poke32(f, 10, uint32_t(f.size()));

    const int rows = s.height < 0 ? -s.height : s.height;
    const size_t stride = (size_t(s.width) * s.bpp + 31) / 32 * 4;
    for (int r = 0; r < rows; ++r) {
        int y = s.height < 0 ? r : rows - 1 - r;
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < s.width; ++x) {
            uint32_t v = s.pixels[size_t(y) * s.width + x];
            if (s.bpp < 8)
                row[x * s.bpp / 8] |= uint8_t(v << (8 - s.bpp - (x * s.bpp) % 8));
            else
                for (int i = 0; i < s.bpp / 8; ++i)
                    row[size_t(x) * (s.bpp / 8) + i] = uint8_t(v >> (8 * i));
        }
        f.insert(f.end(), row.begin(), row.end());
    }
    Poke32(f, 2, uint32_t(f.size()));
    return f;
}

std::vector<PaletteEntry> Greys(int count) {
    std::vector<PaletteEntry> p;
    for (int i = 0; i < count; ++i)
        p.push_back({uint8_t(i), uint8_t(i), uint8_t(255 - i)});
    return p;
}

struct Sample {
    uint32_t raw;
    uint32_t colour;
};

struct ValidCase {
    const char *name;
    BmpShape shape; // size and pixels come from the samples
    std::vector<Sample> samples;
    std::array<uint32_t, 3> masks = {}; // red, green, blue masks the result must carry
};

std::vector<ValidCase> ValidCases() {
    const PaletteEntry red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, grey{9, 8, 7};
    const uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;
    return {{"1 bpp",
             {.bpp = 1, .palette = {red, blue}},
             {{1, kBlue},
              {0, kRed},
              {1, kBlue},
              {1, kBlue},
              {0, kRed},
              {0, kRed},
              {0, kRed},
              {1, kBlue},
              {1, kBlue},
              {0, kRed}}},
            {"4 bpp, short palette",
             {.bpp = 4, .palette = {red, green, grey}, .clrUsed = 3},
             {{0, kRed}, {1, kGreen}, {2, 0x070809}, {2, 0x070809}, {1, kGreen}}},
            {"8 bpp, short palette",
             {.bpp = 8, .palette = {red, green, blue, grey}, .clrUsed = 4},
             {{3, 0x070809}, {0, kRed}, {2, kBlue}}},
            {"8 bpp, clrUsed beyond 256 reads 256",
             {.bpp = 8, .palette = Greys(256), .clrUsed = 300},
             {{0, 0xFF0000}, {255, 0x00FFFF}}},
            {"core 1 bpp",
             {.headerSize = 12, .bpp = 1, .palette = {grey, green}},
             {{0, 0x070809}, {1, kGreen}, {1, kGreen}}},
            {"core 8 bpp",
             {.headerSize = 12, .bpp = 8, .palette = Greys(256)},
             {{0, 0xFF0000}, {128, 0x7F8080}, {255, 0x00FFFF}}},
            {"core 24 bpp", {.headerSize = 12, .bpp = 24}, {{0x123456, 0x563412}, {0, 0}}},
            {"16 bpp BI_RGB is 5-5-5",
             {.bpp = 16},
             {{0x7C00, kRed}, {0x03E0, kGreen}, {0x001F, kBlue}, {0x7FFF, 0xFFFFFF}, {0x8000, 0}},
             {0x7C00, 0x03E0, 0x001F}},
            {"16 bpp 5-6-5 after the info header",
             {.bpp = 16, .compression = BI_BITFIELDS, .masks = {0xF800, 0x07E0, 0x001F}},
             {{0xF800, kRed}, {0x07E0, kGreen}, {0x001F, kBlue}, {0xCCB9, 0xCE96CE}},
             {0xF800, 0x07E0, 0x001F}},
            {"16 bpp 5-6-5 in a V4 header",
             {.headerSize = 108,
              .bpp = 16,
              .compression = BI_BITFIELDS,
              .masks = {0xF800, 0x07E0, 0x001F}},
             {{0xF800, kRed}, {0xCCB9, 0xCE96CE}},
             {0xF800, 0x07E0, 0x001F}},
            {"16 bpp 5-5-5 bitfields in a V5 header",
             {.headerSize = 124,
              .bpp = 16,
              .compression = BI_BITFIELDS,
              .masks = {0x7C00, 0x03E0, 0x001F}},
             {{0x7C00, kRed}, {0x001F, kBlue}},
             {0x7C00, 0x03E0, 0x001F}},
            {"V5 header with BI_RGB ignores its masks",
             {.headerSize = 124, .bpp = 16, .masks = {0xF800, 0x07E0, 0x001F}},
             {{0x7C00, kRed}},
             {0x7C00, 0x03E0, 0x001F}},
            {"24 bpp", {.bpp = 24}, {{0xFF0000, kRed}, {0x00FF00, kGreen}, {0x123456, 0x563412}}},
            {"32 bpp BI_RGB ignores the top byte",
             {.bpp = 32},
             {{0xFF123456, 0x563412}, {0x00FF0000, kRed}},
             {0xFF0000, 0xFF00, 0xFF}},
            {"32 bpp bitfields in blue-green-red order",
             {.bpp = 32, .compression = BI_BITFIELDS, .masks = {0xFF, 0xFF00, 0xFF0000}},
             {{0x000000FF, kRed}, {0x00563412, 0x563412}},
             {0xFF, 0xFF00, 0xFF0000}},
            {"32 bpp bitfields in a V5 header",
             {.headerSize = 124,
              .bpp = 32,
              .compression = BI_BITFIELDS,
              .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}},
             {{0x80FF0000, kRed}},
             {0xFF0000, 0xFF00, 0xFF}}};
}

// The samples form the top row; the second row holds them reversed, so a
// decoder that confuses row order fails.
BmpShape Laid(const ValidCase &c, bool topDown) {
    BmpShape s = c.shape;
    s.width = int32_t(c.samples.size());
    s.height = topDown ? -2 : 2;
    for (const Sample &v : c.samples)
        s.pixels.push_back(v.raw);
    for (size_t i = c.samples.size(); i-- > 0;)
        s.pixels.push_back(c.samples[i].raw);
    return s;
}

TEST(BmpDecoder, DecodesEveryFormat) {
    for (const ValidCase &c : ValidCases()) {
        for (bool topDown : {false, true}) {
            if (topDown && c.shape.headerSize == 12)
                continue; // a core header's height is unsigned
            SCOPED_TRACE(std::string(c.name) + (topDown ? ", top-down" : ", bottom-up"));
            std::vector<uint8_t> file = WriteBmp(Laid(c, topDown));
            Bitmap b;
            std::string why;
            ASSERT_TRUE(DecodeBmp(file.data(), file.size(), b, &why)) << why;
            const int n = int(c.samples.size());
            EXPECT_EQ(b.width, n);
            EXPECT_EQ(b.height, 2);
            EXPECT_EQ(b.bitsPerPixel, c.shape.bpp);
            EXPECT_EQ(b.topDown, topDown);
            if (c.shape.bpp <= 8) {
                size_t entries = std::min(c.shape.palette.size(), size_t(1) << c.shape.bpp);
                EXPECT_EQ(b.palette, std::vector<PaletteEntry>(c.shape.palette.begin(),
                                                               c.shape.palette.begin() + entries));
            } else if (c.shape.bpp != 24) {
                EXPECT_EQ((std::array{b.redMask, b.greenMask, b.blueMask}), c.masks);
            }
            for (int x = 0; x < n; ++x) {
                EXPECT_EQ(b.GetPixel(x, 0), c.samples[x].colour) << "top row, x=" << x;
                EXPECT_EQ(b.GetPixel(x, 1), c.samples[n - 1 - x].colour) << "bottom row, x=" << x;
            }
        }
    }
}

TEST(BmpDecoder, EveryTruncationIsRefused) {
    for (const ValidCase &c : ValidCases()) {
        std::vector<uint8_t> file = WriteBmp(Laid(c, false));
        for (size_t size = 0; size < file.size(); ++size) {
            // A copy of exactly this size, so reading past it trips the
            // address sanitizer.
            std::vector<uint8_t> prefix(file.begin(), file.begin() + size);
            Bitmap b;
            std::string why;
            EXPECT_FALSE(DecodeBmp(prefix.data(), prefix.size(), b, &why))
                << c.name << " cut to " << size;
            EXPECT_FALSE(why.empty());
            EXPECT_TRUE(b.Empty());
        }
    }
}

BmpShape Indexed8() {
    return {.width = 3,
            .height = 2,
            .bpp = 8,
            .palette = {{0, 0, 0}, {255, 255, 255}},
            .clrUsed = 2,
            .pixels = {0, 1, 0, 1, 0, 1}};
}

BmpShape Bitfields16() {
    return {.width = 3,
            .height = 2,
            .bpp = 16,
            .compression = BI_BITFIELDS,
            .masks = {0xF800, 0x07E0, 0x001F},
            .pixels = {1, 2, 3, 4, 5, 6}};
}

TEST(BmpDecoder, MalformedFilesAreRefused) {
    // Offsets into an info-header file: 2 size, 10 pixel offset, 14 header
    // size, 18 width, 22 height, 26 planes, 28 bit count, 30 compression,
    // 46 colours used, 54 first mask or palette entry.
    struct Patch {
        size_t at;
        uint32_t value;
        int bytes = 4;
    };
    struct Case {
        const char *name;
        BmpShape shape;
        std::vector<Patch> patches;
        const char *reason; // a word the explanation must contain
        size_t keep = SIZE_MAX;
    };
    const size_t good8 = WriteBmp(Indexed8()).size();
    BmpShape wideIndex = Indexed8();
    wideIndex.pixels[4] = 2;
    BmpShape monoOneEntry = {.width = 9,
                             .height = 1,
                             .bpp = 1,
                             .palette = {{1, 2, 3}},
                             .clrUsed = 1,
                             .pixels = {0, 0, 0, 0, 0, 0, 0, 0, 1}};
    BmpShape core16 = {.headerSize = 12, .width = 1, .height = 1, .bpp = 16, .pixels = {0}};
    BmpShape v4 = Bitfields16();
    v4.headerSize = 108;
    BmpShape noMasks = {.height = 0, .bpp = 16, .compression = BI_BITFIELDS};

    const Case cases[] = {
        {"empty file", Indexed8(), {}, "short", 0},
        {"ten bytes", Indexed8(), {}, "short", 10},
        {"wrong signature", Indexed8(), {{0, 'B' | 'A' << 8, 2}}, "BM"},
        {"header size 41", Indexed8(), {{14, 41}}, "header size"},
        {"header size 64", Indexed8(), {{14, 64}}, "header size"},
        {"header cut", Indexed8(), {}, "header", 40},
        {"V4 header cut", v4, {}, "header", 100},
        {"zero width", Indexed8(), {{18, 0}}, "width"},
        {"negative width", Indexed8(), {{18, uint32_t(-3)}}, "width"},
        {"zero height", Indexed8(), {{22, 0}}, "height"},
        {"height INT_MIN", Indexed8(), {{22, 0x80000000}}, "height"},
        {"core zero width", core16, {{18, 0, 2}, {24, 24, 2}}, "width"},
        {"no planes", Indexed8(), {{26, 0, 2}}, "planes"},
        {"two planes", Indexed8(), {{26, 2, 2}}, "planes"},
        {"bit count 0", Indexed8(), {{28, 0, 2}}, "bit count"},
        {"bit count 2", Indexed8(), {{28, 2, 2}}, "bit count"},
        {"bit count 15", Indexed8(), {{28, 15, 2}}, "bit count"},
        {"bit count 64", Indexed8(), {{28, 64, 2}}, "bit count"},
        {"core header at 16 bpp", core16, {}, "core"},
        {"RLE8", Indexed8(), {{30, BI_RLE8}}, "RLE"},
        {"RLE4", Indexed8(), {{28, 4, 2}, {30, BI_RLE4}}, "RLE"},
        {"JPEG", Indexed8(), {{30, 4}}, "compression"},
        {"bitfields at 8 bpp", Indexed8(), {{30, BI_BITFIELDS}}, "BI_BITFIELDS"},
        {"masks cut", noMasks, {{18, 3}, {22, 2}}, "masks"},
        {"empty mask", Bitfields16(), {{54, 0}}, "mask"},
        {"split mask", Bitfields16(), {{54, 0xF001}}, "mask"},
        {"overlapping masks", Bitfields16(), {{58, 0x0FE0}}, "mask"},
        {"mask beyond 16 bits", Bitfields16(), {{62, 0x10000}}, "mask"},
        {"palette cut", Indexed8(), {{46, 200}}, "palette"},
        {"image above 64 MiB", Bitfields16(), {{18, 70000}, {22, 70000}}, "64 MiB"},
        {"size arithmetic overflow",
         Bitfields16(),
         {{18, INT32_MAX}, {22, uint32_t(-INT32_MAX)}, {28, 32, 2}},
         "64 MiB"},
        {"offset zero", Indexed8(), {{10, 0}}, "inside the headers"},
        {"offset inside the palette", Indexed8(), {{10, 58}}, "inside the headers"},
        {"offset past the end", Indexed8(), {{10, uint32_t(good8 + 1)}}, "past the end"},
        {"offset 0xFFFFFFFF", Indexed8(), {{10, 0xFFFFFFFF}}, "past the end"},
        {"pixels one byte short", Indexed8(), {}, "pixel data", good8 - 1},
        {"pixels pushed past the end", Indexed8(), {{10, 63}}, "pixel data"},
        {"index past the palette", wideIndex, {}, "palette index 2"},
        {"1 bpp index past a one-entry palette", monoOneEntry, {}, "palette index 1"}};
    for (const Case &c : cases) {
        std::vector<uint8_t> file = WriteBmp(c.shape);
        for (const Patch &p : c.patches)
            for (int i = 0; i < p.bytes; ++i)
                file[p.at + i] = uint8_t(p.value >> (8 * i));
        file.resize(std::min(file.size(), c.keep));
        Bitmap b;
        ASSERT_TRUE(b.Create(1, 1, 24, false));
        b.SetPixel(0, 0, 0x123456);
        std::string why;
        EXPECT_FALSE(DecodeBmp(file.data(), file.size(), b, &why)) << c.name;
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": " << why;
        EXPECT_EQ(b.width, 1) << c.name << " changed the output";
        EXPECT_EQ(b.GetPixel(0, 0), 0x123456u) << c.name << " changed the output";
    }
}

TEST(BmpDecoder, PaddingBitsMayHoldAnyIndex) {
    // Bits past the last pixel of a row are padding, not pixels: a one-entry
    // palette is fine when only padding is set.
    BmpShape shape = {.width = 3,
                      .height = 1,
                      .bpp = 1,
                      .palette = {{1, 2, 3}},
                      .clrUsed = 1,
                      .pixels = {0, 0, 0}};
    std::vector<uint8_t> f = WriteBmp(shape);
    f.back() = 0xFF;
    f[f.size() - 4] = 0x1F;
    Bitmap b;
    std::string why;
    ASSERT_TRUE(DecodeBmp(f.data(), f.size(), b, &why)) << why;
    EXPECT_EQ(b.GetPixel(2, 0), 0x030201u);
}

} // namespace
} // namespace sim
