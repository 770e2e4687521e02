// DeviceSim: the one built-in font and the text layout DrawText uses.
//
// The simulated device has a single fixed-pitch bitmap font, so what a user
// would read on a screen capture depends on nothing outside DeviceSim. Each
// character has a 6 x 10 cell; its glyph fills the 5 x 9 pixels left after a
// blank top row and a blank right column, which keep lines and characters
// apart. Capitals stand on cell row 7 and descenders reach row 9. On a
// high-DPI screen every pixel becomes a scale x scale square.
//
// Everything here is pure: no device, no DC, so it can be checked on its own.
#pragma once

#include <windows.h>

#include "gdi/Rect.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphRows = 9;
inline constexpr int kCellWidth = 6;
inline constexpr int kCellHeight = 10;
// Cell row of the first glyph row, and of the mnemonic underline.
inline constexpr int kGlyphTop = 1;
inline constexpr int kUnderlineRow = 8;

inline constexpr char16_t kFirstGlyph = u' ';
inline constexpr char16_t kLastGlyph = u'~';

// No real Pocket PC goes past 2; the cap only keeps absurd DPI settings from
// turning one character into millions of pixels.
inline constexpr int kMaxTextScale = 16;

// One glyph, row by row from the top; bit 4 is the leftmost pixel.
using Glyph = std::array<uint8_t, kGlyphRows>;

// The glyph of a printable ASCII character; every other character gets a
// small box, so a stray control or non-ASCII character shows on screen.
const Glyph &GlyphOf(char16_t ch);

// Pixel scale of text on a screen of this DPI: max(1, dpi / 96), capped.
int TextScale(int dpi);

struct TextSize {
    int64_t width = 0;
    int64_t height = 0;
    bool operator==(const TextSize &) const = default;
};

// Size of `text` drawn as one line, every character one cell (no prefix or
// line-break handling). Wide enough that no text length can wrap it.
TextSize TextExtent(std::u16string_view text, int scale);

// `rect` (64-bit edges, right and bottom exclusive) cut down to `within`;
// empty when they do not meet. Lets callers do arithmetic on coordinates near
// the ends of the int32 range without wrapping.
Rect ClampRect(int64_t left, int64_t top, int64_t right, int64_t bottom, const Rect &within);

// Appends the pixel rectangles of `ch` drawn in the cell whose top-left is
// (x, y), plus its underline when asked, cut to `visible`.
void AppendGlyphRects(char16_t ch, bool underline, int64_t x, int64_t y, int scale,
                      const Rect &visible, std::vector<Rect> &out);

struct TextLine {
    std::u16string text;            // as drawn: mnemonic prefixes resolved
    std::vector<size_t> underlined; // positions in `text` drawn underlined
    int64_t x = 0, y = 0;           // top-left of the line's cells in the box
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
// A negative box size counts as 0, and scale is held to 1..kMaxTextScale.
TextLayout LayoutText(std::u16string_view text, int64_t boxWidth, int64_t boxHeight, UINT format,
                      int scale);

} // namespace sim
