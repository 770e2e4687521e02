#include "gdi/Bitmap.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

namespace sim {

namespace {

bool Fail(std::string *why, const char *text) {
    if (why)
        *why = text;
    return false;
}

bool SupportedDepth(int bpp) {
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

// Narrowing keeps a channel's top bits, which is what display hardware does
// with the low bits it cannot show. Widening repeats the bits below
// themselves, so full intensity stays full (31 of 5 bits reads as 255).
uint32_t Rescale(uint32_t value, int from, int to) {
    if (from <= 0)
        return 0;
    if (from >= to)
        return value >> (from - to);
    uint64_t out = 0;
    int filled = 0;
    while (filled < to) {
        out = out << from | value;
        filled += from;
    }
    return uint32_t(out >> (filled - to));
}

struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int width = 0; // span from lowest to highest set bit
};

Channel ChannelOf(uint32_t mask) {
    if (mask == 0)
        return {};
    int shift = std::countr_zero(mask);
    return {mask, shift, 32 - std::countl_zero(mask >> shift)};
}

struct Channels {
    Channel red, green, blue;
};

// 24 bpp is read as one little-endian value B,G,R, so it shares the mask path
// with fixed masks.
Channels ChannelsOf(const Bitmap &b) {
    if (b.bitsPerPixel == 24)
        return {ChannelOf(0xFF0000), ChannelOf(0xFF00), ChannelOf(0xFF)};
    return {ChannelOf(b.redMask), ChannelOf(b.greenMask), ChannelOf(b.blueMask)};
}

uint32_t ReadRaw(const uint8_t *row, int x, int bpp) {
    const uint8_t *p;
    switch (bpp) {
    case 1: return row[x >> 3] >> (7 - (x & 7)) & 1;
    case 4: return row[x >> 1] >> ((x & 1) ? 0 : 4) & 0xF;
    case 8: return row[x];
    case 16: p = row + size_t(x) * 2; return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    case 24:
        p = row + size_t(x) * 3;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    default:
        p = row + size_t(x) * 4;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
}

void WriteRaw(uint8_t *row, int x, int bpp, uint32_t value) {
    uint8_t *p;
    switch (bpp) {
    case 1: {
        uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = uint8_t((row[x >> 3] & ~bit) | (value & 1 ? bit : 0));
        return;
    }
    case 4:
        if (x & 1)
            row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (value & 0xF));
        else
            row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | (value & 0xF) << 4);
        return;
    case 8: row[x] = uint8_t(value); return;
    default:
        p = row + size_t(x) * size_t(bpp / 8);
        for (int i = 0; i < bpp / 8; ++i)
            p[i] = uint8_t(value >> (8 * i));
        return;
    }
}

// Turns raw pixel values into colours and back for one surface, with the
// channel layout worked out once rather than per pixel.
class Codec {
public:
    explicit Codec(const Bitmap &b) : b_(b), ch_(ChannelsOf(b)) {}

    uint32_t Decode(uint32_t raw) const {
        if (b_.bitsPerPixel <= 8) {
            if (raw >= b_.palette.size())
                return 0;
            const PaletteEntry &e = b_.palette[raw];
            return MakeColorRef(e.red, e.green, e.blue);
        }
        return MakeColorRef(uint8_t(Take(ch_.red, raw)), uint8_t(Take(ch_.green, raw)),
                            uint8_t(Take(ch_.blue, raw)));
    }

    uint32_t Encode(uint32_t colorref) {
        if (b_.bitsPerPixel <= 8) {
            if (!haveLast_ || colorref != lastColor_) {
                lastColor_ = colorref;
                lastIndex_ = Nearest(colorref);
                haveLast_ = true;
            }
            return lastIndex_;
        }
        return Put(ch_.red, RedOf(colorref)) | Put(ch_.green, GreenOf(colorref)) |
               Put(ch_.blue, BlueOf(colorref));
    }

private:
    static uint32_t Take(const Channel &c, uint32_t raw) {
        return Rescale((raw & c.mask) >> c.shift, c.width, 8);
    }
    static uint32_t Put(const Channel &c, uint8_t value) {
        if (c.width == 0)
            return 0;
        return uint32_t(uint64_t(Rescale(value, 8, c.width)) << c.shift) & c.mask;
    }
    // Squared distance in RGB; the first of equally near entries wins, as an
    // exact match would.
    uint32_t Nearest(uint32_t colorref) const {
        size_t count = std::min(b_.palette.size(), size_t(1) << b_.bitsPerPixel);
        uint32_t best = 0;
        int bestDistance = INT_MAX;
        for (size_t i = 0; i < count && bestDistance > 0; ++i) {
            const PaletteEntry &e = b_.palette[i];
            int dr = int(e.red) - RedOf(colorref);
            int dg = int(e.green) - GreenOf(colorref);
            int db = int(e.blue) - BlueOf(colorref);
            int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = uint32_t(i);
            }
        }
        return best;
    }

    const Bitmap &b_;
    Channels ch_;
    bool haveLast_ = false;
    uint32_t lastColor_ = 0, lastIndex_ = 0;
};

// The fields are public, so a caller may have left them inconsistent; pixel
// access must then refuse rather than read past the buffer.
bool Usable(const Bitmap &b) {
    return SupportedDepth(b.bitsPerPixel) && b.width > 0 && b.height > 0 &&
           uint64_t(b.width) * uint64_t(b.bitsPerPixel) <= uint64_t(b.stride) * 8 &&
           uint64_t(b.stride) * uint64_t(b.height) <= b.bits.size();
}

const uint8_t *RowOf(const Bitmap &b, int yFromTop) {
    if (yFromTop < 0 || yFromTop >= b.height || !Usable(b))
        return nullptr;
    int memoryRow = b.topDown ? yFromTop : b.height - 1 - yFromTop;
    return b.bits.data() + size_t(memoryRow) * b.stride;
}

// Copies the destination rectangle [left, right) x [top, bottom), already
// clipped to both surfaces, from the source pixels offset by (offX, offY).
void CopyBlock(Bitmap &dst, const Bitmap &src, int left, int top, int right, int bottom, int offX,
               int offY) {
    const int bpp = dst.bitsPerPixel;
    if (dst.SameFormat(src)) {
        for (int y = top; y < bottom; ++y) {
            uint8_t *d = dst.Row(y);
            const uint8_t *s = src.Row(y + offY);
            if (bpp >= 8) {
                size_t bytes = size_t(bpp / 8);
                std::memcpy(d + size_t(left) * bytes, s + size_t(left + offX) * bytes,
                            size_t(right - left) * bytes);
            } else {
                for (int x = left; x < right; ++x)
                    WriteRaw(d, x, bpp, ReadRaw(s, x + offX, bpp));
            }
        }
        return;
    }
    Codec in(src), out(dst);
    for (int y = top; y < bottom; ++y) {
        uint8_t *d = dst.Row(y);
        const uint8_t *s = src.Row(y + offY);
        for (int x = left; x < right; ++x)
            WriteRaw(d, x, bpp, out.Encode(in.Decode(ReadRaw(s, x + offX, src.bitsPerPixel))));
    }
}

} // namespace

bool DibLayout(int64_t width, int64_t height, int bitsPerPixel, uint32_t *stride, size_t *bytes,
               std::string *why) {
    if (width <= 0 || height <= 0)
        return Fail(why, "width and height must be positive");
    if (!SupportedDepth(bitsPerPixel))
        return Fail(why, "bit count must be 1, 4, 8, 16, 24 or 32");
    if (width > INT32_MAX || height > INT32_MAX)
        return Fail(why, "dimensions too large");
    uint64_t rowBytes = (uint64_t(width) * uint64_t(bitsPerPixel) + 31) / 32 * 4;
    if (rowBytes > Bitmap::kMaxBytes || rowBytes * uint64_t(height) > Bitmap::kMaxBytes)
        return Fail(why, "image larger than 64 MiB");
    *stride = uint32_t(rowBytes);
    *bytes = size_t(rowBytes * uint64_t(height));
    return true;
}

bool Bitmap::Create(int32_t w, int32_t h, int bpp, bool isTopDown, std::string *why) {
    uint32_t newStride;
    size_t bytes;
    if (!DibLayout(w, h, bpp, &newStride, &bytes, why))
        return false;
    width = w;
    height = h;
    bitsPerPixel = bpp;
    topDown = isTopDown;
    stride = newStride;
    bits.assign(bytes, 0);
    redMask = greenMask = blueMask = 0;
    palette.clear();
    if (bpp == 16) {
        redMask = 0x7C00;
        greenMask = 0x03E0;
        blueMask = 0x001F;
    } else if (bpp == 32) {
        redMask = 0xFF0000;
        greenMask = 0xFF00;
        blueMask = 0xFF;
    } else if (bpp <= 8) {
        int count = 1 << bpp;
        for (int i = 0; i < count; ++i) {
            auto v = uint8_t(i * 255 / (count - 1));
            palette.push_back({v, v, v});
        }
    }
    return true;
}

bool Bitmap::SetMasks(uint32_t red, uint32_t green, uint32_t blue, std::string *why) {
    if (bitsPerPixel != 16 && bitsPerPixel != 32)
        return Fail(why, "colour masks apply to 16 and 32 bpp only");
    uint32_t inside = bitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (uint32_t mask : {red, green, blue}) {
        if (mask == 0)
            return Fail(why, "a colour mask is empty");
        uint32_t run = mask >> std::countr_zero(mask);
        if ((run & (run + 1)) != 0)
            return Fail(why, "a colour mask is not one run of bits");
        if ((mask & ~inside) != 0)
            return Fail(why, "a colour mask lies outside the pixel");
    }
    if ((red & green) || (red & blue) || (green & blue))
        return Fail(why, "colour masks overlap");
    redMask = red;
    greenMask = green;
    blueMask = blue;
    return true;
}

bool Bitmap::SameFormat(const Bitmap &other) const {
    if (bitsPerPixel != other.bitsPerPixel)
        return false;
    if (bitsPerPixel <= 8)
        return palette == other.palette;
    if (bitsPerPixel == 24)
        return true;
    return redMask == other.redMask && greenMask == other.greenMask && blueMask == other.blueMask;
}

uint32_t Bitmap::GetPixel(int x, int y) const {
    const uint8_t *row = Row(y);
    if (!row || x < 0 || x >= width)
        return kInvalidColor;
    return Codec(*this).Decode(ReadRaw(row, x, bitsPerPixel));
}

void Bitmap::SetPixel(int x, int y, uint32_t colorref) {
    uint8_t *row = Row(y);
    if (!row || x < 0 || x >= width)
        return;
    WriteRaw(row, x, bitsPerPixel, Codec(*this).Encode(colorref));
}

uint8_t *Bitmap::Row(int yFromTop) {
    return const_cast<uint8_t *>(RowOf(*this, yFromTop));
}

const uint8_t *Bitmap::Row(int yFromTop) const {
    return RowOf(*this, yFromTop);
}

bool CopyRect(Bitmap &dst, int dx, int dy, const Bitmap &src, int sx, int sy, int w, int h) {
    Rect whole{0, 0, dst.width, dst.height};
    return CopyRect(dst, dx, dy, src, sx, sy, w, h, std::span<const Rect>(&whole, 1));
}

bool CopyRect(Bitmap &dst, int dx, int dy, const Bitmap &src, int sx, int sy, int w, int h,
              std::span<const Rect> clip) {
    if (w < 0 || h < 0 || !Usable(dst) || !Usable(src))
        return false;
    // In 64 bits: offsets and sizes near INT_MAX must clip, not wrap.
    const int64_t offX = int64_t(sx) - dx, offY = int64_t(sy) - dy;
    const int64_t left = std::max({int64_t(dx), int64_t(0), -offX});
    const int64_t top = std::max({int64_t(dy), int64_t(0), -offY});
    const int64_t right = std::min({int64_t(dx) + w, int64_t(dst.width), src.width - offX});
    const int64_t bottom = std::min({int64_t(dy) + h, int64_t(dst.height), src.height - offY});
    if (left >= right || top >= bottom)
        return true;

    if (&dst == &src) {
        // Overlapping copies within one surface (scrolling) must read every
        // source pixel before any is overwritten, so take a snapshot first.
        Bitmap snapshot;
        if (!snapshot.Create(int32_t(right - left), int32_t(bottom - top), src.bitsPerPixel, true))
            return false;
        snapshot.redMask = src.redMask;
        snapshot.greenMask = src.greenMask;
        snapshot.blueMask = src.blueMask;
        snapshot.palette = src.palette;
        CopyBlock(snapshot, src, 0, 0, snapshot.width, snapshot.height, int(left + offX),
                  int(top + offY));
        return CopyRect(dst, int(left), int(top), snapshot, 0, 0, snapshot.width, snapshot.height,
                        clip);
    }

    for (const Rect &r : clip) {
        int64_t l = std::max<int64_t>(left, r.left), t = std::max<int64_t>(top, r.top);
        int64_t rr = std::min<int64_t>(right, r.right), b = std::min<int64_t>(bottom, r.bottom);
        if (l < rr && t < b)
            CopyBlock(dst, src, int(l), int(t), int(rr), int(b), int(offX), int(offY));
    }
    return true;
}

} // namespace sim
