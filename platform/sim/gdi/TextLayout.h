// DeviceSim: the text layout DrawText uses — lines, word breaks, alignment
// and mnemonic prefixes — for any font that can say how wide a character is.
//
// Everything here is pure: no device, no DC, no font file, so the rules can
// be checked on their own with a made-up font.
#pragma once

#include <windows.h>

#include "gdi/Rect.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// What layout needs of a font: the advance of each character and the
// distance from one line to the next, in pixels.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int Advance(char16_t ch) const = 0;
    virtual int LineHeight() const = 0;
    // The advances of `text` added up, in 64 bits so no text can wrap them.
    int64_t Width(std::u16string_view text) const;
};

// `rect` (64-bit edges, right and bottom exclusive) cut down to `within`;
// empty when they do not meet. Lets callers do arithmetic on coordinates near
// the ends of the int32 range without wrapping.
Rect ClampRect(int64_t left, int64_t top, int64_t right, int64_t bottom, const Rect &within);

struct TextLine {
    std::u16string text;            // as drawn: mnemonic prefixes resolved
    std::vector<size_t> underlined; // positions in `text` drawn underlined
    int64_t x = 0, y = 0;           // top-left of the line in the box
    int64_t width = 0;
    bool operator==(const TextLine &) const = default;
};

struct TextLayout {
    std::vector<TextLine> lines;
    int64_t width = 0;  // of the widest line
    int64_t height = 0; // of all lines together
};

// Lays `text` out in a box of the given size the way DrawText does for the
// DT_ alignment, line-breaking and prefix flags of `format`:
//  - lines end at "\r\n", "\r" or "\n" unless DT_SINGLELINE; a break at the
//    very end starts no further line, so "" has no lines (one empty line with
//    DT_SINGLELINE);
//  - DT_WORDBREAK also ends a line before a word that would cross the box's
//    right edge; the spaces at such a break are dropped, a word wider than
//    the box gets a line of its own and sticks out;
//  - DT_CENTER wins over DT_RIGHT, and text wider than the box sticks out on
//    both sides (negative x);
//  - DT_VCENTER and DT_BOTTOM (VCENTER wins) only act with DT_SINGLELINE;
//  - without DT_NOPREFIX, "&x" draws x underlined, "&&" draws "&", and a
//    final lone "&" draws nothing.
// Lines stand `measure.LineHeight()` apart. A negative box size counts as 0.
TextLayout LayoutText(std::u16string_view text, int64_t boxWidth, int64_t boxHeight, UINT format,
                      const TextMeasure &measure);

} // namespace sim
