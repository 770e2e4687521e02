// DeviceSim: pixel surfaces behind DIB sections, compatible bitmaps and the
// screen.
//
// Memory is laid out exactly as a DIB's: rows padded to four bytes, 16 and
// 32 bpp pixels little-endian under colour masks, 24 bpp as blue, green, red,
// 1/4/8 bpp as palette indices packed from the most significant bit. Program
// code that writes through a DIB section's bits pointer therefore sees the
// same bytes as on a device. Colours cross this layer as COLORREF values
// (0x00BBGGRR), and a y coordinate always counts from the top row, whichever
// order the rows have in memory.
#pragma once

#include "gdi/Rect.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sim {

constexpr uint32_t MakeColorRef(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16;
}
constexpr uint8_t RedOf(uint32_t colorref) {
    return uint8_t(colorref);
}
constexpr uint8_t GreenOf(uint32_t colorref) {
    return uint8_t(colorref >> 8);
}
constexpr uint8_t BlueOf(uint32_t colorref) {
    return uint8_t(colorref >> 16);
}

// What GetPixel answers for a point outside the surface, like CLR_INVALID.
constexpr uint32_t kInvalidColor = 0xFFFFFFFF;

struct PaletteEntry {
    uint8_t red, green, blue;
    bool operator==(const PaletteEntry &) const = default;
};

// Computes the row stride and total byte count of a DIB of this shape.
// False, with a reason, for a non-positive size, an unsupported bit count or
// a byte count beyond Bitmap::kMaxBytes; all arithmetic is done in 64 bits so
// no input can wrap it.
bool DibLayout(int64_t width, int64_t height, int bitsPerPixel, uint32_t *stride, size_t *bytes,
               std::string *why);

struct Bitmap {
    // A Pocket PC has tens of megabytes in all; a surface larger than this is
    // a corrupt size, not a picture, and must not be allocated.
    static constexpr size_t kMaxBytes = size_t(64) << 20;

    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 0;
    bool topDown = false;
    uint32_t stride = 0;
    std::vector<uint8_t> bits;
    // Used by 16 and 32 bpp only.
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    // Used by 1, 4 and 8 bpp only.
    std::vector<PaletteEntry> palette;

    // Allocates a zeroed surface. 16 bpp starts as 5-5-5 and 32 bpp as
    // 8-8-8, the formats BI_RGB implies; palette formats start with an even
    // grey ramp (black and white for 1 bpp). On failure nothing changes.
    bool Create(int32_t width, int32_t height, int bitsPerPixel, bool topDown,
                std::string *why = nullptr);
    // Sets BI_BITFIELDS masks for 16 or 32 bpp. Each must be one non-empty
    // run of bits inside the pixel, and no two may overlap.
    bool SetMasks(uint32_t red, uint32_t green, uint32_t blue, std::string *why = nullptr);

    bool Empty() const { return bits.empty(); }
    bool SameFormat(const Bitmap &other) const;

    // kInvalidColor outside the surface. An index past the palette reads as
    // black.
    uint32_t GetPixel(int x, int y) const;
    // Ignored outside the surface. Mask formats keep each channel's top
    // bits; palette formats take the nearest entry.
    void SetPixel(int x, int y, uint32_t colorref);
    // nullptr outside the surface.
    uint8_t *Row(int yFromTop);
    const uint8_t *Row(int yFromTop) const;
};

// SRCCOPY from src to dst, clipped to both surfaces. Identical formats copy
// raw pixel values so nothing is lost; others go through COLORREF. Source and
// destination may be the same surface and may overlap. False only for a
// negative size or an empty or inconsistent surface; a copy clipped away
// entirely succeeds.
bool CopyRect(Bitmap &dst, int dx, int dy, const Bitmap &src, int sx, int sy, int w, int h);
// As above, but only destination pixels inside one of the clip rectangles
// change; an empty list changes nothing.
bool CopyRect(Bitmap &dst, int dx, int dy, const Bitmap &src, int sx, int sy, int w, int h,
              std::span<const Rect> clip);

} // namespace sim
