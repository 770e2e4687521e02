#include "gdi/BmpDecoder.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace sim {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12, kInfoHeaderSize = 40, kV4HeaderSize = 108,
                   kV5HeaderSize = 124;
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

uint16_t U16(const uint8_t *p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool Fail(std::string *why, std::string text) {
    if (why)
        *why = std::move(text);
    return false;
}

// Reports the first pixel whose palette index has no entry. Such a pixel has
// no colour the file defines (the platform would show whatever follows the
// table), so the file is refused rather than given an invented colour.
bool IndicesInPalette(const Bitmap &b, std::string *why) {
    const uint32_t entries = uint32_t(b.palette.size());
    if (entries >= (1u << b.bitsPerPixel))
        return true;
    for (int y = 0; y < b.height; ++y) {
        const uint8_t *row = b.Row(y);
        for (int x = 0; x < b.width; ++x) {
            uint32_t index;
            if (b.bitsPerPixel == 8)
                index = row[x];
            else if (b.bitsPerPixel == 4)
                index = row[x >> 1] >> ((x & 1) ? 0 : 4) & 0xF;
            else
                index = row[x >> 3] >> (7 - (x & 7)) & 1;
            if (index >= entries)
                return Fail(why, "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                     ") uses palette index " + std::to_string(index) +
                                     " but the palette has " + std::to_string(entries) +
                                     " entries");
        }
    }
    return true;
}

} // namespace

bool DecodeBmp(const uint8_t *data, size_t size, Bitmap &out, std::string *why) {
    if (!data || size < kFileHeaderSize + 4)
        return Fail(why, "file too short for a BMP header");
    if (data[0] != 'B' || data[1] != 'M')
        return Fail(why, "not a BMP file: signature is not \"BM\"");
    const uint32_t offBits = U32(data + 10);
    const uint32_t headerSize = U32(data + 14);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize &&
        headerSize != kV4HeaderSize && headerSize != kV5HeaderSize)
        return Fail(why, "unsupported bitmap header size " + std::to_string(headerSize));
    if (size < kFileHeaderSize + headerSize)
        return Fail(why, "file truncated inside the bitmap header");

    const uint8_t *h = data + kFileHeaderSize;
    const bool core = headerSize == kCoreHeaderSize;
    int64_t width, height;
    int planes, bpp;
    uint32_t compression = kBiRgb, clrUsed = 0;
    bool topDown = false;
    if (core) {
        width = U16(h + 4);
        height = U16(h + 6);
        planes = U16(h + 8);
        bpp = U16(h + 10);
    } else {
        width = int32_t(U32(h + 4));
        height = int32_t(U32(h + 8));
        planes = U16(h + 12);
        bpp = U16(h + 14);
        compression = U32(h + 16);
        clrUsed = U32(h + 32);
    }
    if (height == INT32_MIN)
        return Fail(why, "height -2147483648 has no positive counterpart");
    if (height < 0) {
        topDown = true;
        height = -height;
    }
    if (width <= 0)
        return Fail(why, "width must be positive, is " + std::to_string(width));
    if (height == 0)
        return Fail(why, "height must not be zero");
    if (planes != 1)
        return Fail(why, "planes must be 1, is " + std::to_string(planes));
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return Fail(why, "unsupported bit count " + std::to_string(bpp));
    if (core && (bpp == 16 || bpp == 32))
        return Fail(why, "a core header allows 1, 4, 8 or 24 bits per pixel");
    if (compression == kBiRle8 || compression == kBiRle4)
        return Fail(why, "RLE compression is not supported");
    if (compression == kBiBitfields && bpp != 16 && bpp != 32)
        return Fail(why, "BI_BITFIELDS needs 16 or 32 bits per pixel");
    if (compression != kBiRgb && compression != kBiBitfields)
        return Fail(why, "unsupported compression " + std::to_string(compression));

    // Everything up to pos is headers, masks and palette; pos stays far below
    // 2^32, so adding table sizes to it in 64 bits cannot wrap.
    uint64_t pos = kFileHeaderSize + headerSize;
    uint32_t masks[3] = {};
    if (compression == kBiBitfields) {
        if (headerSize == kInfoHeaderSize) {
            if (pos + 12 > size)
                return Fail(why, "file truncated inside the colour masks");
            for (int i = 0; i < 3; ++i)
                masks[i] = U32(data + pos + 4 * i);
            pos += 12;
        } else {
            for (int i = 0; i < 3; ++i)
                masks[i] = U32(h + 40 + 4 * i);
        }
    }

    std::vector<PaletteEntry> palette;
    if (bpp <= 8) {
        const uint32_t maxEntries = 1u << bpp;
        // Entries past 2^bpp could never be indexed, so a larger biClrUsed is
        // read only that far.
        const uint32_t count = core || clrUsed == 0 ? maxEntries : std::min(clrUsed, maxEntries);
        const uint32_t entrySize = core ? 3 : 4;
        if (pos + uint64_t(count) * entrySize > size)
            return Fail(why, "file truncated inside the palette");
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t *e = data + pos + uint64_t(i) * entrySize;
            palette.push_back({e[2], e[1], e[0]});
        }
        pos += uint64_t(count) * entrySize;
    }

    uint32_t stride;
    size_t imageBytes;
    std::string layoutWhy;
    if (!DibLayout(width, height, bpp, &stride, &imageBytes, &layoutWhy))
        return Fail(why, layoutWhy);
    if (offBits < pos)
        return Fail(why, "pixel data offset " + std::to_string(offBits) +
                             " lies inside the headers or palette");
    if (offBits > size)
        return Fail(why, "pixel data offset " + std::to_string(offBits) + " is past the end");
    if (uint64_t(offBits) + imageBytes > size)
        return Fail(why, "file truncated inside the pixel data");

    Bitmap image;
    if (!image.Create(int32_t(width), int32_t(height), bpp, topDown, why))
        return false;
    if (compression == kBiBitfields && !image.SetMasks(masks[0], masks[1], masks[2], why))
        return false;
    if (bpp <= 8)
        image.palette = std::move(palette);
    std::memcpy(image.bits.data(), data + offBits, imageBytes);
    if (bpp <= 8 && !IndicesInPalette(image, why))
        return false;
    out = std::move(image);
    return true;
}

} // namespace sim
