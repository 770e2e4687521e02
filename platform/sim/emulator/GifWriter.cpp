// DeviceSim's emulator: an animated GIF through giflib.
#include "emulator/GifWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

// The rectangle in which two frames of one size differ; empty when equal.
Rect Changed(const Bitmap &a, const Bitmap &b) {
    Rect r{a.width, a.height, 0, 0};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) {
                r.left = std::min(r.left, x), r.right = std::max(r.right, x + 1);
                r.top = std::min(r.top, y), r.bottom = std::max(r.bottom, y + 1);
            }
    return r.left < r.right ? r : Rect{};
}

} // namespace

bool GifWriter::Add(const Bitmap &frame, uint32_t delayMs, std::string *why) {
    if (frame.Empty()) {
        *why = "empty frame";
        return false;
    }
    Rect area{0, 0, frame.width, frame.height};
    if (!frames_.empty()) {
        if (frame.width != last_.width || frame.height != last_.height) {
            *why = "frames of different sizes";
            return false;
        }
        area = Changed(last_, frame);
        if (area.Empty()) {
            Extend(delayMs);
            return true;
        }
    }
    Frame f{area.left, area.top, area.Width(), area.Height(), delayMs, {}, {}};
    size_t count = size_t(f.width) * size_t(f.height);
    std::vector<GifByteType> red(count), green(count), blue(count);
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            uint32_t c = frame.GetPixel(area.left + x, area.top + y);
            size_t i = size_t(y) * size_t(f.width) + size_t(x);
            red[i] = RedOf(c), green[i] = GreenOf(c), blue[i] = BlueOf(c);
        }
    int colours = 256;
    std::vector<GifColorType> map(256);
    f.indices.resize(count);
    if (GifQuantizeBuffer(unsigned(f.width), unsigned(f.height), &colours, red.data(), green.data(),
                          blue.data(), f.indices.data(), map.data()) != GIF_OK) {
        *why = "colour quantization failed";
        return false;
    }
    for (const GifColorType &c : map)
        f.palette.insert(f.palette.end(), {c.Red, c.Green, c.Blue});
    frames_.push_back(std::move(f));
    last_ = frame;
    return true;
}

void GifWriter::Extend(uint32_t delayMs) {
    if (!frames_.empty())
        frames_.back().delayMs += delayMs;
}

bool GifWriter::Write(const std::string &path, std::string *why) const {
    if (frames_.empty()) {
        *why = "no frames";
        return false;
    }
    int error = 0;
    GifFileType *gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif) {
        *why = std::string("cannot write ") + path + ": " + GifErrorString(error);
        return false;
    }
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, frames_[0].width, frames_[0].height, 8, 0, nullptr) == GIF_OK;
    // The NETSCAPE2.0 block makes the animation loop forever.
    static const GifByteType app[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType loop[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, sizeof app, app) == GIF_OK &&
         EGifPutExtensionBlock(gif, sizeof loop, loop) == GIF_OK &&
         EGifPutExtensionTrailer(gif) == GIF_OK;
    for (const Frame &f : frames_) {
        if (!ok)
            break;
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSE_DO_NOT;
        gcb.DelayTime = int(std::min<uint32_t>((f.delayMs + 5) / 10, 65535));
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType block[4];
        size_t length = EGifGCBToExtension(&gcb, block);
        ColorMapObject *map = GifMakeMapObject(256, nullptr);
        if (!map) {
            ok = false;
            break;
        }
        for (int i = 0; i < 256; ++i)
            map->Colors[i] =
                GifColorType{f.palette[3 * i], f.palette[3 * i + 1], f.palette[3 * i + 2]};
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), block) == GIF_OK &&
             EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, false, map) == GIF_OK;
        GifFreeMapObject(map);
        for (int y = 0; ok && y < f.height; ++y)
            ok = EGifPutLine(gif,
                             const_cast<GifPixelType *>(&f.indices[size_t(y) * size_t(f.width)]),
                             f.width) == GIF_OK;
    }
    int closeError = 0;
    if (EGifCloseFile(gif, &closeError) != GIF_OK)
        ok = false;
    if (!ok) {
        *why = "cannot write " + path;
        std::remove(path.c_str());
    }
    return ok;
}

} // namespace sim
