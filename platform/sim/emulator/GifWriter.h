// DeviceSim's emulator: an animated GIF of a run, for the tour's picture.
//
// Each frame after the first is stored as the rectangle that changed, with a
// colour table of its own (median cut to 256 colours), so a tour of a few
// hundred frames of a mostly still screen stays small.
#pragma once

#include "gdi/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class GifWriter {
public:
    // Adds a frame shown for `delayMs` (GIF counts hundredths of a second).
    // Every frame must have the first frame's size.
    bool Add(const Bitmap &frame, uint32_t delayMs, std::string *why);
    // Lengthens the last frame's time on screen.
    void Extend(uint32_t delayMs);
    // Writes the animation, looping forever. False, with a reason, when there
    // is nothing to write or the file cannot be written.
    bool Write(const std::string &path, std::string *why) const;
    size_t Frames() const { return frames_.size(); }

private:
    struct Frame {
        int left, top, width, height;
        uint32_t delayMs;
        std::vector<uint8_t> indices;
        std::vector<uint8_t> palette; // r, g, b triples
    };
    std::vector<Frame> frames_;
    Bitmap last_;
};

} // namespace sim
