#include "gdi/PngWriter.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace sim {

namespace {

// libpng reports errors by longjmp; only plain data may live across it.
struct ErrorText {
    char text[256];
};

void OnError(png_structp png, png_const_charp message) {
    auto *error = static_cast<ErrorText *>(png_get_error_ptr(png));
    std::snprintf(error->text, sizeof error->text, "%s", message);
    // Returning would let libpng print the message to stderr before jumping.
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void FillRow(const Bitmap &image, int y, png_bytep row) {
    for (int x = 0; x < image.width; ++x) {
        uint32_t c = image.GetPixel(x, y);
        row[3 * x] = RedOf(c);
        row[3 * x + 1] = GreenOf(c);
        row[3 * x + 2] = BlueOf(c);
    }
}

// Kept free of objects with destructors: a longjmp out of libpng must not
// skip any. The caller owns the file and the row buffer.
bool Encode(FILE *file, const Bitmap &image, png_bytep row, ErrorText *error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, OnError, OnWarning);
    if (!png) {
        std::snprintf(error->text, sizeof error->text, "cannot create the PNG encoder");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(error->text, sizeof error->text, "cannot create the PNG encoder");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        FillRow(image, y, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WritePng(const Bitmap &image, const std::string &path, std::string *why) {
    if (!image.Row(0)) {
        if (why)
            *why = "the surface is empty or inconsistent";
        return false;
    }
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        if (why)
            *why = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<png_byte> row(size_t(image.width) * 3);
    ErrorText error{};
    bool ok = Encode(file, image, row.data(), &error);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        std::snprintf(error.text, sizeof error.text, "cannot finish writing: %s",
                      std::strerror(errno));
    }
    if (!ok) {
        // A regular file now holds a broken PNG and goes; a device node or
        // pipe the caller named must stay.
        std::error_code ignored;
        if (std::filesystem::is_regular_file(path, ignored))
            std::filesystem::remove(path, ignored);
        if (why)
            *why = std::string("cannot write ") + path + ": " + error.text;
    }
    return ok;
}

} // namespace sim
