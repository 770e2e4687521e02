// DeviceSim: the built-in font and text layout.
#include "gdi/Font.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace sim {

namespace {

// The font is kept as a picture so that a glyph can be reviewed and changed
// by eye. Each band is a line naming sixteen characters, from 0x20 upwards,
// over the nine rows of their glyphs, five pixels wide and one column apart.
// The last glyph of the last band stands in for 0x7F and for every other
// character outside the printable range.
constexpr std::string_view kSheet = R"(
        !     "     #     $     %     &     '     (     )     *     +     ,     -     .     /
..... ..#.. .#.#. .#.#. ..#.. ##..# .##.. ..#.. ...#. .#... ..... ..... ..... ..... ..... ....#
..... ..#.. .#.#. .#.#. .#### ##..# #..#. ..#.. ..#.. ..#.. ..#.. ..#.. ..... ..... ..... ....#
..... ..#.. ..... ##### #.#.. ...#. #.#.. ..... .#... ...#. #.#.# ..#.. ..... ..... ..... ...#.
..... ..#.. ..... .#.#. .###. ..#.. .#... ..... .#... ...#. .###. ##### ..... ##### ..... ..#..
..... ..#.. ..... ##### ..#.# .#... #.#.# ..... .#... ...#. #.#.# ..#.. ..... ..... ..... .#...
..... ..... ..... .#.#. ####. #..## #..#. ..... ..#.. ..#.. ..#.. ..#.. ..... ..... ..... #....
..... ..#.. ..... .#.#. ..#.. #..## .##.# ..... ...#. .#... ..... ..... ..#.. ..... ..#.. #....
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..#.. ..... ..... .....
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... .#... ..... ..... .....
  0     1     2     3     4     5     6     7     8     9     :     ;     <     =     >     ?
.###. ..#.. .###. .###. #..#. ##### .###. ##### .###. .###. ..... ..... ..... ..... ..... .###.
#...# .##.. #...# #...# #..#. #.... #.... ....# #...# #...# ..... ..... ...#. ..... .#... #...#
#...# ..#.. ....# ....# #..#. ####. #.... ....# #...# #...# ..#.. ..#.. ..#.. ##### ..#.. ....#
#.#.# ..#.. ..##. ..##. ##### ....# ####. ...#. .###. .#### ..... ..... .#... ..... ...#. ...#.
#...# ..#.. .#... ....# ...#. ....# #...# ..#.. #...# ....# ..... ..... ..#.. ##### ..#.. ..#..
#...# ..#.. #.... #...# ...#. #...# #...# ..#.. #...# ....# ..... ..... ...#. ..... .#... .....
.###. .###. ##### .###. ...#. .###. .###. ..#.. .###. .###. ..#.. ..#.. ..... ..... ..... ..#..
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..#.. ..... ..... ..... .....
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... .#... ..... ..... ..... .....
  @     A     B     C     D     E     F     G     H     I     J     K     L     M     N     O
.###. .###. ####. .###. ####. ##### ##### .###. #...# .###. ..### #...# #.... #...# #...# .###.
#...# #...# #...# #...# #...# #.... #.... #...# #...# ..#.. ...#. #..#. #.... ##.## #...# #...#
#.### #...# #...# #.... #...# #.... #.... #.... #...# ..#.. ...#. #.#.. #.... #.#.# ##..# #...#
#.#.# ##### ####. #.... #...# ####. ####. #.### ##### ..#.. ...#. ##... #.... #.#.# #.#.# #...#
#.### #...# #...# #.... #...# #.... #.... #...# #...# ..#.. ...#. #.#.. #.... #...# #..## #...#
#.... #...# #...# #...# #...# #.... #.... #...# #...# ..#.. #..#. #..#. #.... #...# #...# #...#
.###. #...# ####. .###. ####. ##### #.... .#### #...# .###. .##.. #...# ##### #...# #...# .###.
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... .....
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... .....
  P     Q     R     S     T     U     V     W     X     Y     Z     [     \     ]     ^     _
####. .###. ####. .###. ##### #...# #...# #...# #...# #...# ##### .###. #.... .###. ..#.. .....
#...# #...# #...# #...# ..#.. #...# #...# #...# #...# #...# ....# .#... #.... ...#. .#.#. .....
#...# #...# #...# #.... ..#.. #...# #...# #...# .#.#. .#.#. ...#. .#... .#... ...#. #...# .....
####. #...# ####. .###. ..#.. #...# #...# #.#.# ..#.. ..#.. ..#.. .#... ..#.. ...#. ..... .....
#.... #.#.# #.#.. ....# ..#.. #...# .#.#. #.#.# .#.#. ..#.. .#... .#... ...#. ...#. ..... .....
#.... #..#. #..#. #...# ..#.. #...# .#.#. #.#.# #...# ..#.. #.... .#... ....# ...#. ..... .....
#.... .##.# #...# .###. ..#.. .###. ..#.. .#.#. #...# ..#.. ##### .###. ....# .###. ..... .....
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... #####
..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... ..... .....
  `     a     b     c     d     e     f     g     h     i     j     k     l     m     n     o
.#... ..... #.... ..... ....# ..... ..##. ..... #.... ..#.. ...#. #.... .##.. ..... ..... .....
..#.. ..... #.... ..... ....# ..... .#... ..... #.... ..... ..... #.... ..#.. ..... ..... .....
..... .###. ####. .#### .#### .###. .#... .#### ####. .##.. ..##. #..#. ..#.. ##.#. ####. .###.
..... ....# #...# #.... #...# #...# ####. #...# #...# ..#.. ...#. #.#.. ..#.. #.#.# #...# #...#
..... .#### #...# #.... #...# ##### .#... #...# #...# ..#.. ...#. ##... ..#.. #.#.# #...# #...#
..... #...# #...# #.... #...# #.... .#... #...# #...# ..#.. ...#. #.#.. ..#.. #.#.# #...# #...#
..... .#### ####. .#### .#### .###. .#... .#### #...# .###. ...#. #..#. .###. #.#.# #...# .###.
..... ..... ..... ..... ..... ..... ..... ....# ..... ..... #..#. ..... ..... ..... ..... .....
..... ..... ..... ..... ..... ..... ..... .###. ..... ..... .##.. ..... ..... ..... ..... .....
  p     q     r     s     t     u     v     w     x     y     z     {     |     }     ~
..... ..... ..... ..... .#... ..... ..... ..... ..... ..... ..... ...## ..#.. ##... ..... .....
..... ..... ..... ..... .#... ..... ..... ..... ..... ..... ..... ..#.. ..#.. ..#.. ..... .....
####. .#### #.##. .#### ####. #...# #...# #...# #...# #...# ##### ..#.. ..#.. ..#.. .#... ####.
#...# #...# ##..# #.... .#... #...# #...# #...# .#.#. #...# ...#. .#... ..#.. ...#. #.#.# #..#.
#...# #...# #.... .###. .#... #...# #...# #.#.# ..#.. #...# ..#.. ..#.. ..#.. ..#.. ...#. #..#.
#...# #...# #.... ....# .#..# #...# .#.#. #.#.# .#.#. #...# .#... ..#.. ..#.. ..#.. ..... #..#.
####. .#### #.... ####. ..##. .#### ..#.. .#.#. #...# .#### ##### ...## ..#.. ##... ..... ####.
#.... ....# ..... ..... ..... ..... ..... ..... ..... ....# ..... ..... ..#.. ..... ..... .....
#.... ....# ..... ..... ..... ..... ..... ..... ..... .###. ..... ..... ..... ..... ..... .....
)";

constexpr int kGlyphsPerBand = 16;
constexpr int kBands = 6;
constexpr size_t kGlyphCount = kGlyphsPerBand * kBands;
constexpr size_t kBoxIndex = kGlyphCount - 1;

using GlyphTable = std::array<Glyph, kGlyphCount>;

// Evaluated at compile time: a malformed sheet, or a glyph under the wrong
// label, stops the build instead of showing a wrong character.
constexpr GlyphTable ParseSheet(std::string_view sheet) {
    GlyphTable table{};
    size_t pos = 0;
    auto nextLine = [&]() {
        if (pos >= sheet.size())
            throw std::logic_error("font sheet too short");
        size_t end = sheet.find('\n', pos);
        if (end == std::string_view::npos)
            end = sheet.size();
        std::string_view line = sheet.substr(pos, end - pos);
        pos = end + 1;
        return line;
    };
    if (sheet.empty() || sheet[0] != '\n')
        throw std::logic_error("font sheet must start on a new line");
    pos = 1;
    for (int band = 0; band < kBands; ++band) {
        std::string_view label = nextLine();
        for (int k = 0; k < kGlyphsPerBand; ++k) {
            char16_t ch = static_cast<char16_t>(kFirstGlyph + band * kGlyphsPerBand + k);
            char expected = ch > kFirstGlyph && ch <= kLastGlyph ? static_cast<char>(ch) : ' ';
            size_t at = static_cast<size_t>(k) * kCellWidth + 2;
            char found = at < label.size() ? label[at] : ' ';
            if (found != expected)
                throw std::logic_error("font sheet label out of place");
        }
        for (int row = 0; row < kGlyphRows; ++row) {
            std::string_view line = nextLine();
            if (line.size() != kGlyphsPerBand * kCellWidth - 1)
                throw std::logic_error("font sheet row of the wrong length");
            for (int k = 0; k < kGlyphsPerBand; ++k) {
                uint8_t bits = 0;
                size_t first = static_cast<size_t>(k) * kCellWidth;
                for (size_t col = 0; col < kGlyphWidth; ++col) {
                    char c = line[first + col];
                    if (c != '#' && c != '.')
                        throw std::logic_error("font sheet pixel neither '#' nor '.'");
                    bits = static_cast<uint8_t>(bits << 1 | (c == '#'));
                }
                if (k + 1 < kGlyphsPerBand && line[first + kGlyphWidth] != ' ')
                    throw std::logic_error("font sheet glyphs not one column apart");
                table[static_cast<size_t>(band * kGlyphsPerBand + k)][static_cast<size_t>(row)] =
                    bits;
            }
        }
    }
    if (pos < sheet.size())
        throw std::logic_error("font sheet has lines left over");
    return table;
}

constexpr GlyphTable kGlyphs = ParseSheet(kSheet);

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int ClampScale(int scale) {
    return std::clamp(scale, 1, kMaxTextScale);
}

// A character as it will be drawn, after prefix handling.
struct Shown {
    char16_t ch;
    bool underline;
};

std::vector<Shown> ResolvePrefixes(std::u16string_view text, bool prefixes) {
    std::vector<Shown> shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (prefixes && text[i] == u'&') {
            if (++i == text.size())
                break;
            shown.push_back({text[i], text[i] != u'&'});
        } else {
            shown.push_back({text[i], false});
        }
    }
    return shown;
}

bool IsBreak(char16_t ch) {
    return ch == u'\r' || ch == u'\n';
}

// Splits one paragraph [begin, end) into lines of at most `fit` cells where
// it can, as [begin, end) ranges appended to `lines`.
void WrapParagraph(const std::vector<Shown> &shown, size_t begin, size_t end, int64_t fit,
                   std::vector<std::pair<size_t, size_t>> &lines) {
    auto isSpace = [&](size_t i) { return shown[i].ch == u' '; };
    size_t start = begin;
    for (;;) {
        // The first word goes on the line whether it fits or not, with the
        // paragraph's indentation if this is its first line.
        size_t stop = start;
        while (stop < end && isSpace(stop))
            ++stop;
        while (stop < end && !isSpace(stop))
            ++stop;
        size_t next = end;
        while (stop < end) {
            size_t wordStart = stop;
            while (wordStart < end && isSpace(wordStart))
                ++wordStart;
            size_t wordEnd = wordStart;
            while (wordEnd < end && !isSpace(wordEnd))
                ++wordEnd;
            if (static_cast<int64_t>(wordEnd - start) <= fit) {
                stop = wordEnd;
                continue;
            }
            if (wordStart < end)
                next = wordStart;
            break; // trailing spaces that do not fit are simply dropped
        }
        lines.emplace_back(start, stop);
        if (next == end)
            return;
        start = next;
    }
}

} // namespace

const Glyph &GlyphOf(char16_t ch) {
    if (ch < kFirstGlyph || ch > kLastGlyph)
        return kGlyphs[kBoxIndex];
    return kGlyphs[ch - kFirstGlyph];
}

int TextScale(int dpi) {
    return ClampScale(dpi / 96);
}

TextSize TextExtent(std::u16string_view text, int scale) {
    scale = ClampScale(scale);
    return TextSize{static_cast<int64_t>(text.size()) * kCellWidth * scale,
                    int64_t{kCellHeight} * scale};
}

Rect ClampRect(int64_t left, int64_t top, int64_t right, int64_t bottom, const Rect &within) {
    Rect r{Saturate(std::max<int64_t>(left, within.left)),
           Saturate(std::max<int64_t>(top, within.top)),
           Saturate(std::min<int64_t>(right, within.right)),
           Saturate(std::min<int64_t>(bottom, within.bottom))};
    return r.Empty() ? Rect{} : r;
}

void AppendGlyphRects(char16_t ch, bool underline, int64_t x, int64_t y, int scale,
                      const Rect &visible, std::vector<Rect> &out) {
    scale = ClampScale(scale);
    // Every visible rectangle lies in the int32 range, so a cell this far out
    // cannot show; refusing it here also keeps the arithmetic below in range.
    constexpr int64_t kFar = int64_t{1} << 40;
    if (x < -kFar || x > kFar || y < -kFar || y > kFar)
        return;
    // Glyphs wholly outside are common (long lines, scrolled text); skipping
    // them early keeps drawing cost proportional to what is seen.
    if (ClampRect(x, y, x + int64_t{kCellWidth} * scale, y + int64_t{kCellHeight} * scale, visible)
            .Empty())
        return;
    auto add = [&](int64_t col0, int64_t col1, int64_t row) {
        Rect r = ClampRect(x + col0 * scale, y + row * scale, x + col1 * scale,
                           y + (row + 1) * scale, visible);
        if (!r.Empty())
            out.push_back(r);
    };
    const Glyph &glyph = GlyphOf(ch);
    for (int row = 0; row < kGlyphRows; ++row) {
        auto lit = [&](int col) { return glyph[row] >> (kGlyphWidth - 1 - col) & 1; };
        // One rectangle per horizontal run keeps the count of fills low.
        for (int col = 0; col < kGlyphWidth;) {
            if (!lit(col)) {
                ++col;
                continue;
            }
            int runEnd = col + 1;
            while (runEnd < kGlyphWidth && lit(runEnd))
                ++runEnd;
            add(col, runEnd, kGlyphTop + row);
            col = runEnd;
        }
    }
    if (underline)
        add(0, kGlyphWidth, kUnderlineRow);
}

TextLayout LayoutText(std::u16string_view text, int64_t boxWidth, int64_t boxHeight, UINT format,
                      int scale) {
    scale = ClampScale(scale);
    boxWidth = std::max<int64_t>(boxWidth, 0);
    boxHeight = std::max<int64_t>(boxHeight, 0);
    const int64_t advance = int64_t{kCellWidth} * scale;
    const int64_t lineHeight = int64_t{kCellHeight} * scale;
    const bool single = format & DT_SINGLELINE;

    std::vector<Shown> shown = ResolvePrefixes(text, !(format & DT_NOPREFIX));
    std::vector<std::pair<size_t, size_t>> ranges;
    if (single) {
        ranges.emplace_back(0, shown.size());
    } else {
        size_t begin = 0;
        while (begin < shown.size()) {
            size_t end = begin;
            while (end < shown.size() && !IsBreak(shown[end].ch))
                ++end;
            if (format & DT_WORDBREAK)
                WrapParagraph(shown, begin, end, boxWidth / advance, ranges);
            else
                ranges.emplace_back(begin, end);
            if (end < shown.size() && shown[end].ch == u'\r' && end + 1 < shown.size() &&
                shown[end + 1].ch == u'\n')
                ++end;
            begin = end + 1;
        }
    }

    TextLayout layout;
    for (const auto &[begin, end] : ranges) {
        TextLine line;
        for (size_t i = begin; i < end; ++i) {
            if (shown[i].underline)
                line.underlined.push_back(i - begin);
            line.text.push_back(shown[i].ch);
        }
        line.width = TextExtent(line.text, scale).width;
        if (format & DT_CENTER)
            line.x = (boxWidth - line.width) / 2;
        else if (format & DT_RIGHT)
            line.x = boxWidth - line.width;
        line.y = static_cast<int64_t>(layout.lines.size()) * lineHeight;
        layout.width = std::max(layout.width, line.width);
        layout.lines.push_back(std::move(line));
    }
    layout.height = static_cast<int64_t>(layout.lines.size()) * lineHeight;
    if (single && (format & (DT_VCENTER | DT_BOTTOM))) {
        int64_t y = format & DT_VCENTER ? (boxHeight - lineHeight) / 2 : boxHeight - lineHeight;
        layout.lines.front().y = y;
    }
    return layout;
}

} // namespace sim
