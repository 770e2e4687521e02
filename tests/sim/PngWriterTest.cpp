#include "gdi/PngWriter.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace sim {
namespace {

namespace fs = std::filesystem;

fs::path TempPath(const std::string &name) {
    return fs::temp_directory_path() / ("sim-png-" + std::to_string(getpid()) + "-" + name);
}

struct Decoded {
    uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = -1;
    std::vector<uint8_t> rgb; // rows top first
};

// Reads back with libpng's own reader, so the file is checked by the same
// library every viewer uses, not by this writer's assumptions.
bool ReadPng(const fs::path &path, Decoded *out) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    if (file.size() < 26)
        return false;
    out->bitDepth = file[24]; // IHDR follows the 8-byte signature and chunk header
    out->colourType = file[25];
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return false;
    image.format = PNG_FORMAT_RGB;
    out->width = image.width;
    out->height = image.height;
    out->rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out->rgb.data(), 0, nullptr) != 0;
}

Bitmap Painted(int w, int h, int bpp, bool topDown) {
    Bitmap b;
    EXPECT_TRUE(b.Create(w, h, bpp, topDown));
    if (bpp == 16) {
        EXPECT_TRUE(b.SetMasks(0xF800, 0x07E0, 0x001F));
    }
    if (bpp == 8)
        b.palette = {{255, 0, 0}, {0, 200, 0}, {0, 0, 150}, {255, 255, 255}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, MakeColorRef(uint8_t(x * 37), uint8_t(y * 61), uint8_t(x + y * 5)));
    return b;
}

TEST(PngWriter, WritesWhatTheSurfaceShows) {
    struct Case {
        int w, h, bpp;
        bool topDown;
    } cases[] = {{240, 320, 16, false}, {7, 5, 24, true},  {9, 3, 1, false},
                 {5, 4, 8, true},       {3, 6, 32, false}, {1, 1, 4, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.bpp) + " bpp " + std::to_string(c.w) + "x" +
                     std::to_string(c.h) + (c.topDown ? " top-down" : " bottom-up"));
        Bitmap b = Painted(c.w, c.h, c.bpp, c.topDown);
        fs::path path = TempPath("ok.png");
        std::string why;
        ASSERT_TRUE(WritePng(b, path.string(), &why)) << why;
        Decoded d;
        ASSERT_TRUE(ReadPng(path, &d));
        fs::remove(path);
        EXPECT_EQ(d.bitDepth, 8);
        EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_RGB); // truecolour, no alpha
        ASSERT_EQ(d.width, uint32_t(c.w));
        ASSERT_EQ(d.height, uint32_t(c.h));
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const uint8_t *p = &d.rgb[(size_t(y) * c.w + x) * 3];
                ASSERT_EQ(MakeColorRef(p[0], p[1], p[2]), b.GetPixel(x, y)) << x << "," << y;
            }
    }
}

TEST(PngWriter, FailuresAreReported) {
    Bitmap good = Painted(2, 2, 24, false);
    Bitmap empty;
    Bitmap inconsistent = good;
    inconsistent.bits.resize(3);
    // Wider than libpng's one-million-pixel row limit: the encoder itself
    // refuses, and the half-written file must not stay behind.
    Bitmap tooWide;
    ASSERT_TRUE(tooWide.Create(1100000, 1, 1, false));

    struct Case {
        const char *name;
        const Bitmap *image;
        fs::path path;
    } cases[] = {
        {"empty surface", &empty, TempPath("empty.png")},
        {"inconsistent surface", &inconsistent, TempPath("bad.png")},
        {"missing folder", &good, TempPath("no-such-folder") / "x.png"},
        {"path is a folder", &good, fs::temp_directory_path()},
        {"encoder refuses", &tooWide, TempPath("wide.png")},
    };
    for (const Case &c : cases) {
        std::string why;
        EXPECT_FALSE(WritePng(*c.image, c.path.string(), &why)) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
        if (c.path != fs::temp_directory_path()) {
            EXPECT_FALSE(fs::exists(c.path)) << c.name << " left a file";
        }
    }
}

} // namespace
} // namespace sim
