#include "gdi/Font.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace sim {
namespace {

constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr Rect kEverywhere{kMin32, kMin32, kMax32, kMax32};

std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t c : s)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// A small monochrome canvas: '#' where a rectangle landed, '.' elsewhere.
struct Canvas {
    int width, height;
    std::vector<std::string> rows;
    Canvas(int w, int h) : width(w), height(h), rows(size_t(h), std::string(size_t(w), '.')) {}
    // False if a rectangle strays outside, which a caller must never get.
    bool Paint(const std::vector<Rect> &rects) {
        for (const Rect &r : rects) {
            if (r.Empty() || r.left < 0 || r.top < 0 || r.right > width || r.bottom > height)
                return false;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    rows[size_t(y)][size_t(x)] = '#';
        }
        return true;
    }
};

Canvas Draw(char16_t ch, bool underline, int scale, const Rect &visible = kEverywhere) {
    Canvas c(kCellWidth * scale, kCellHeight * scale);
    std::vector<Rect> rects;
    AppendGlyphRects(ch, underline, 0, 0, scale, visible, rects);
    EXPECT_TRUE(c.Paint(rects)) << "glyph " << int(ch) << " strays out of its cell";
    return c;
}

bool Blank(const Glyph &g) {
    for (uint8_t row : g)
        if (row)
            return false;
    return true;
}

// ------------------------------------------------------------ the glyphs

TEST(Font, PrintableGlyphsAreDistinctAndUseFiveColumns) {
    const Glyph &box = GlyphOf(0x7F);
    EXPECT_TRUE(Blank(GlyphOf(u' ')));
    EXPECT_FALSE(Blank(box));
    std::set<Glyph> seen{box};
    for (char16_t c = kFirstGlyph + 1; c <= kLastGlyph; ++c) {
        SCOPED_TRACE(Narrow(std::u16string(1, c)));
        const Glyph &g = GlyphOf(c);
        EXPECT_FALSE(Blank(g));
        for (uint8_t row : g)
            EXPECT_LT(row, 1 << kGlyphWidth);
        EXPECT_TRUE(seen.insert(g).second) << "looks like another character";
    }
}

// Readers find the baseline by eye; a glyph shifted by a row reads wrong even
// when its shape is right.
TEST(Font, GlyphsSitOnTheBaseline) {
    const std::u16string descenders = u",;_gjpqy|";
    const std::u16string capHeight = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZbdfhklt";
    const std::u16string xHeight = u"acemnorsuvwxz";
    for (char16_t c = kFirstGlyph + 1; c <= kLastGlyph; ++c) {
        SCOPED_TRACE(Narrow(std::u16string(1, c)));
        const Glyph &g = GlyphOf(c);
        bool below = g[7] || g[8];
        EXPECT_EQ(below, descenders.find(c) != std::u16string::npos);
        if (capHeight.find(c) != std::u16string::npos) {
            EXPECT_NE(g[0], 0) << "should reach cap height";
            EXPECT_NE(g[6], 0) << "should stand on the baseline";
        }
        if (xHeight.find(c) != std::u16string::npos) {
            EXPECT_EQ(g[0] | g[1], 0) << "should stay at x-height";
            EXPECT_NE(g[2], 0);
            EXPECT_NE(g[6], 0);
        }
    }
}

TEST(Font, CharactersOutsideAsciiShowTheBox) {
    const Glyph *box = &GlyphOf(0x7F);
    const char16_t cases[] = {0x00, 0x09, u'\n', u'\r', 0x1F, 0x7F, 0x80, 0xE9, 0x2022, 0xFFFF};
    for (char16_t c : cases) {
        SCOPED_TRACE(int(c));
        EXPECT_EQ(&GlyphOf(c), box);
    }
    EXPECT_NE(&GlyphOf(kFirstGlyph), box);
    EXPECT_NE(&GlyphOf(kLastGlyph), box);
}

TEST(Font, GlyphPixels) {
    struct Case {
        char16_t ch;
        bool underline;
        std::vector<std::string> cell;
    } cases[] = {
        {u'T',
         false,
         {"......", "#####.", "..#...", "..#...", "..#...", "..#...", "..#...", "..#...", "......",
          "......"}},
        {u'g',
         true,
         {"......", "......", "......", ".####.", "#...#.", "#...#.", "#...#.", ".####.", "#####.",
          ".###.."}},
        {u' ',
         true,
         {"......", "......", "......", "......", "......", "......", "......", "......", "#####.",
          "......"}},
        {u'\t',
         false,
         {"......", "......", "......", "####..", "#..#..", "#..#..", "#..#..", "####..", "......",
          "......"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.ch));
        EXPECT_EQ(Draw(c.ch, c.underline, 1).rows, c.cell);
    }
}

TEST(Font, ScaleEnlargesEveryPixel) {
    for (int scale : {2, 3}) {
        for (char16_t c = kFirstGlyph; c <= 0x7F; ++c) {
            SCOPED_TRACE(int(c));
            Canvas small = Draw(c, c == u'j', 1);
            Canvas big = Draw(c, c == u'j', scale);
            for (int y = 0; y < big.height; ++y)
                for (int x = 0; x < big.width; ++x)
                    ASSERT_EQ(big.rows[size_t(y)][size_t(x)],
                              small.rows[size_t(y / scale)][size_t(x / scale)])
                        << "scale " << scale << " at " << x << "," << y;
        }
    }
}

TEST(Font, GlyphsAreCutToWhatIsVisible) {
    struct Case {
        Rect visible;
    } cases[] = {
        {{1, 2, 4, 6}}, {{0, 0, 6, 10}}, {{-5, -5, 3, 3}}, {{5, 9, 60, 60}}, {{2, 2, 2, 8}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.visible.left << "," << c.visible.top << ","
                                        << c.visible.right << "," << c.visible.bottom);
        for (char16_t ch : std::u16string(u"W@g%")) {
            Canvas whole = Draw(ch, true, 1);
            Canvas cut = Draw(ch, true, 1, c.visible);
            for (int y = 0; y < whole.height; ++y)
                for (int x = 0; x < whole.width; ++x) {
                    char expected =
                        c.visible.Contains(x, y) ? whole.rows[size_t(y)][size_t(x)] : '.';
                    EXPECT_EQ(cut.rows[size_t(y)][size_t(x)], expected) << x << "," << y;
                }
        }
    }
}

TEST(Font, GlyphsFarAwayGiveNothing) {
    struct Case {
        int64_t x, y;
        int scale;
    } cases[] = {
        {kMax64, 0, 1},
        {kMin64, 0, 1},
        {0, kMax64, 16},
        {0, kMin64, 16},
        {kMax64, kMin64, 99},
        {int64_t{kMax32} + 1, 0, 1},
        {int64_t{kMin32} - 6, 0, 1},
        {500, 500, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        std::vector<Rect> rects;
        AppendGlyphRects(u'M', true, c.x, c.y, c.scale, Rect{0, 0, 240, 320}, rects);
        EXPECT_TRUE(rects.empty());
    }
    // Right at the edge of the int32 range a glyph is still drawn, and its
    // rectangles stay well formed.
    std::vector<Rect> rects;
    AppendGlyphRects(u'M', false, kMax32 - 3, kMax32 - 9, 1, kEverywhere, rects);
    ASSERT_FALSE(rects.empty());
    for (const Rect &r : rects)
        EXPECT_TRUE(!r.Empty() && r.right <= kMax32 && r.left >= kMax32 - 3);
}

// ------------------------------------------------------------ measuring

TEST(Font, TextScale) {
    struct Case {
        int dpi, scale;
    } cases[] = {
        {96, 1},
        {192, 2},
        {131, 1},
        {191, 1},
        {288, 3},
        {95, 1},
        {0, 1},
        {-192, 1},
        {96 * 100, kMaxTextScale},
        {std::numeric_limits<int>::max(), kMaxTextScale},
        {std::numeric_limits<int>::min(), 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TextScale(c.dpi), c.scale) << c.dpi;
}

TEST(Font, TextExtent) {
    struct Case {
        std::u16string text;
        int scale;
        TextSize size;
    } cases[] = {
        {u"", 1, {0, 10}},
        {u"a", 1, {6, 10}},
        {u"Hello", 1, {30, 10}},
        {u"Hello", 2, {60, 20}},
        {u"a\nb&c", 1, {30, 10}}, // no line or prefix handling
        {u"ab", 0, {12, 10}},     // nonsense scales are held in range
        {u"ab", -4, {12, 10}},
        {u"ab", 1000, {12 * kMaxTextScale, 10 * kMaxTextScale}},
        {std::u16string(100000, u'x'), 2, {1200000, 20}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Narrow(c.text.substr(0, 10)));
        TextSize got = TextExtent(c.text, c.scale);
        EXPECT_EQ(got.width, c.size.width);
        EXPECT_EQ(got.height, c.size.height);
    }
}

TEST(Font, ClampRect) {
    const Rect screen{0, 0, 240, 320};
    struct Case {
        int64_t l, t, r, b;
        Rect within, expected;
    } cases[] = {
        {10, 20, 30, 40, screen, {10, 20, 30, 40}},
        {-10, -20, 30, 40, screen, {0, 0, 30, 40}},
        {200, 300, 400, 400, screen, {200, 300, 240, 320}},
        {240, 0, 250, 10, screen, {}},
        {30, 40, 10, 20, screen, {}},
        {kMin64, kMin64, kMax64, kMax64, screen, screen},
        {kMin64, kMin64, kMax64, kMax64, kEverywhere, kEverywhere},
        {kMax64 - 1, 0, kMax64, 10, kEverywhere, {}},
        {10, 20, 30, 40, Rect{}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        EXPECT_EQ(ClampRect(c.l, c.t, c.r, c.b, c.within), c.expected);
    }
}

// ------------------------------------------------------------ layout

struct Line {
    std::u16string text;
    int64_t x, y;
    std::vector<size_t> underlined = {};
};

using Lines = std::vector<Line>;

struct LayoutCase {
    const char *name;
    std::u16string text;
    int64_t boxWidth, boxHeight;
    UINT format;
    int scale;
    Lines lines;
    int64_t width, height;
};

void Check(const LayoutCase &c) {
    SCOPED_TRACE(c.name);
    TextLayout got = LayoutText(c.text, c.boxWidth, c.boxHeight, c.format, c.scale);
    ASSERT_EQ(got.lines.size(), c.lines.size());
    for (size_t i = 0; i < c.lines.size(); ++i) {
        SCOPED_TRACE(i);
        const TextLine &g = got.lines[i];
        EXPECT_EQ(Narrow(g.text), Narrow(c.lines[i].text));
        EXPECT_EQ(g.x, c.lines[i].x);
        EXPECT_EQ(g.y, c.lines[i].y);
        EXPECT_EQ(g.underlined, c.lines[i].underlined);
        EXPECT_EQ(g.width, TextExtent(g.text, c.scale).width);
    }
    EXPECT_EQ(got.width, c.width);
    EXPECT_EQ(got.height, c.height);
}

TEST(Layout, Alignment) {
    const LayoutCase cases[] = {
        {"empty", u"", 100, 50, DT_LEFT, 1, Lines{}, 0, 0},
        {"empty single line", u"", 100, 50, DT_SINGLELINE, 1, Lines{{u"", 0, 0}}, 0, 10},
        {"left", u"abc", 100, 50, DT_LEFT, 1, Lines{{u"abc", 0, 0}}, 18, 10},
        {"centre", u"abc", 100, 50, DT_CENTER, 1, Lines{{u"abc", 41, 0}}, 18, 10},
        {"right", u"abc", 100, 50, DT_RIGHT, 1, Lines{{u"abc", 82, 0}}, 18, 10},
        {"centre wins over right", u"abc", 100, 50, DT_CENTER | DT_RIGHT, 1, Lines{{u"abc", 41, 0}},
         18, 10},
        {"centred and too wide", u"abcdefghij", 20, 50, DT_CENTER, 1,
         Lines{{u"abcdefghij", -20, 0}}, 60, 10},
        {"right and too wide", u"abcdefghij", 20, 50, DT_RIGHT, 1, Lines{{u"abcdefghij", -40, 0}},
         60, 10},
        {"each line aligned", u"a\nbcd", 30, 50, DT_RIGHT, 1,
         Lines{{u"a", 24, 0}, {u"bcd", 12, 10}}, 18, 20},
        {"vcentre", u"ab", 100, 30, DT_SINGLELINE | DT_VCENTER, 1, Lines{{u"ab", 0, 10}}, 12, 10},
        {"bottom", u"ab", 100, 30, DT_SINGLELINE | DT_BOTTOM, 1, Lines{{u"ab", 0, 20}}, 12, 10},
        {"vcentre wins over bottom", u"ab", 100, 30, DT_SINGLELINE | DT_VCENTER | DT_BOTTOM, 1,
         Lines{{u"ab", 0, 10}}, 12, 10},
        {"vcentre needs single line", u"ab", 100, 30, DT_VCENTER, 1, Lines{{u"ab", 0, 0}}, 12, 10},
        {"bottom needs single line", u"ab", 100, 30, DT_BOTTOM, 1, Lines{{u"ab", 0, 0}}, 12, 10},
        {"vcentre in a short box", u"ab", 100, 4, DT_SINGLELINE | DT_VCENTER, 1,
         Lines{{u"ab", 0, -3}}, 12, 10},
        {"both centres", u"OK", 56, 22, DT_SINGLELINE | DT_CENTER | DT_VCENTER, 1,
         Lines{{u"OK", 22, 6}}, 12, 10},
    };
    for (const auto &c : cases)
        Check(c);
}

TEST(Layout, LineBreaks) {
    const LayoutCase cases[] = {
        {"LF", u"ab\ncd", 100, 50, DT_LEFT, 1, Lines{{u"ab", 0, 0}, {u"cd", 0, 10}}, 12, 20},
        {"CR LF is one break", u"ab\r\ncd", 100, 50, DT_LEFT, 1,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10}}, 12, 20},
        {"CR alone", u"ab\rcd", 100, 50, DT_LEFT, 1, Lines{{u"ab", 0, 0}, {u"cd", 0, 10}}, 12, 20},
        {"LF CR is two breaks", u"ab\n\rcd", 100, 50, DT_LEFT, 1,
         Lines{{u"ab", 0, 0}, {u"", 0, 10}, {u"cd", 0, 20}}, 12, 30},
        {"blank line kept", u"ab\n\ncd", 100, 50, DT_LEFT, 1,
         Lines{{u"ab", 0, 0}, {u"", 0, 10}, {u"cd", 0, 20}}, 12, 30},
        {"final break starts no line", u"ab\n", 100, 50, DT_LEFT, 1, Lines{{u"ab", 0, 0}}, 12, 10},
        {"final CR LF starts no line", u"ab\r\n", 100, 50, DT_LEFT, 1, Lines{{u"ab", 0, 0}}, 12,
         10},
        {"a lone break is one empty line", u"\n", 100, 50, DT_LEFT, 1, Lines{{u"", 0, 0}}, 0, 10},
        {"leading break", u"\nab", 100, 50, DT_CENTER, 1, Lines{{u"", 50, 0}, {u"ab", 44, 10}}, 12,
         20},
        {"single line draws breaks as characters", u"ab\ncd", 100, 50, DT_SINGLELINE, 1,
         Lines{{u"ab\ncd", 0, 0}}, 30, 10},
        {"no word break, no wrapping", u"ab cd ef", 18, 50, DT_LEFT, 1, Lines{{u"ab cd ef", 0, 0}},
         48, 10},
    };
    for (const auto &c : cases)
        Check(c);
}

TEST(Layout, WordBreak) {
    const UINT wb = DT_WORDBREAK;
    const LayoutCase cases[] = {
        {"wraps before the word that would cross", u"one two three", 60, 50, wb, 1,
         Lines{{u"one two", 0, 0}, {u"three", 0, 10}}, 42, 20},
        {"exact fit stays", u"one two", 42, 50, wb, 1, Lines{{u"one two", 0, 0}}, 42, 10},
        {"one pixel short wraps", u"one two", 41, 50, wb, 1, Lines{{u"one", 0, 0}, {u"two", 0, 10}},
         18, 20},
        {"long word on its own line", u"a verylongword b", 30, 50, wb, 1,
         Lines{{u"a", 0, 0}, {u"verylongword", 0, 10}, {u"b", 0, 20}}, 72, 30},
        {"spaces at a break are dropped", u"ab   cd", 24, 50, wb, 1,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10}}, 12, 20},
        {"spaces inside a line stay", u"ab  cd", 36, 50, wb, 1, Lines{{u"ab  cd", 0, 0}}, 36, 10},
        {"indentation stays", u"  ab cd", 30, 50, wb, 1, Lines{{u"  ab", 0, 0}, {u"cd", 0, 10}}, 24,
         20},
        {"trailing spaces that fit", u"ab  ", 60, 50, wb, 1, Lines{{u"ab  ", 0, 0}}, 24, 10},
        {"trailing spaces that do not fit", u"ab  ", 18, 50, wb, 1, Lines{{u"ab", 0, 0}}, 12, 10},
        {"only spaces", u"    ", 12, 50, wb, 1, Lines{{u"    ", 0, 0}}, 24, 10},
        {"breaks and wrapping together", u"ab cd\nef", 18, 50, wb, 1,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10}, {u"ef", 0, 20}}, 12, 30},
        {"wrap then a blank line", u"ab cd\n\nef", 18, 50, wb, 1,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10}, {u"", 0, 20}, {u"ef", 0, 30}}, 12, 40},
        {"single line wins", u"ab cd", 18, 50, wb | DT_SINGLELINE, 1, Lines{{u"ab cd", 0, 0}}, 30,
         10},
        {"wrapped lines aligned right", u"a bcd", 24, 50, wb | DT_RIGHT, 1,
         Lines{{u"a", 18, 0}, {u"bcd", 6, 10}}, 18, 20},
        {"wrapped lines centred", u"a bcd", 24, 50, wb | DT_CENTER, 1,
         Lines{{u"a", 9, 0}, {u"bcd", 3, 10}}, 18, 20},
        {"box narrower than a cell", u"ab cd", 5, 50, wb, 1, Lines{{u"ab", 0, 0}, {u"cd", 0, 10}},
         12, 20},
        {"negative box counts as empty", u"ab cd", -50, 50, wb | DT_RIGHT, 1,
         Lines{{u"ab", -12, 0}, {u"cd", -12, 10}}, 12, 20},
        {"tab is not a space", u"ab\tcd", 18, 50, wb, 1, Lines{{u"ab\tcd", 0, 0}}, 30, 10},
    };
    for (const auto &c : cases)
        Check(c);
}

TEST(Layout, Prefixes) {
    const LayoutCase cases[] = {
        {"mnemonic", u"&File", 100, 50, DT_LEFT, 1, Lines{{u"File", 0, 0, {0}}}, 24, 10},
        {"mnemonic inside", u"Save &As", 100, 50, DT_LEFT, 1, Lines{{u"Save As", 0, 0, {5}}}, 42,
         10},
        {"two mnemonics", u"&a&b", 100, 50, DT_LEFT, 1, Lines{{u"ab", 0, 0, {0, 1}}}, 12, 10},
        {"double ampersand", u"a&&b", 100, 50, DT_LEFT, 1, Lines{{u"a&b", 0, 0}}, 18, 10},
        {"double then mnemonic", u"&&&x", 100, 50, DT_LEFT, 1, Lines{{u"&x", 0, 0, {1}}}, 12, 10},
        {"final lone ampersand", u"a&", 100, 50, DT_LEFT, 1, Lines{{u"a", 0, 0}}, 6, 10},
        {"only an ampersand is empty text", u"&", 100, 50, DT_LEFT, 1, Lines{}, 0, 0},
        {"no prefix", u"&File", 100, 50, DT_NOPREFIX, 1, Lines{{u"&File", 0, 0}}, 30, 10},
        {"no prefix, double", u"a&&b", 100, 50, DT_NOPREFIX, 1, Lines{{u"a&&b", 0, 0}}, 24, 10},
        {"hidden ampersand takes no room", u"&OK", 30, 50, DT_CENTER, 1, Lines{{u"OK", 9, 0, {0}}},
         12, 10},
        {"mnemonic on a wrapped line", u"ab &cd", 18, 50, DT_WORDBREAK, 1,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10, {0}}}, 12, 20},
        {"ampersand before a break", u"a&\nb", 100, 50, DT_LEFT, 1,
         Lines{{u"a", 0, 0}, {u"b", 0, 10}}, 6, 20},
    };
    for (const auto &c : cases)
        Check(c);
}

TEST(Layout, Scale) {
    const LayoutCase cases[] = {
        {"double size", u"ab\ncd", 100, 50, DT_CENTER, 2, Lines{{u"ab", 38, 0}, {u"cd", 38, 20}},
         24, 40},
        {"wrapping uses the large cells", u"ab cd", 48, 50, DT_WORDBREAK, 2,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 20}}, 24, 40},
        {"same text fits at scale 1", u"ab cd", 48, 50, DT_WORDBREAK, 1, Lines{{u"ab cd", 0, 0}},
         30, 10},
        {"vcentre at double size", u"ab", 100, 30, DT_SINGLELINE | DT_VCENTER, 2,
         Lines{{u"ab", 0, 5}}, 24, 20},
        {"scale 0 counts as 1", u"ab", 100, 50, DT_RIGHT, 0, Lines{{u"ab", 88, 0}}, 12, 10},
        {"negative scale counts as 1", u"ab", 100, 50, DT_RIGHT, -3, Lines{{u"ab", 88, 0}}, 12, 10},
        {"huge scale is capped", u"ab", 100, 50, DT_RIGHT, 1000,
         Lines{{u"ab", 100 - 12 * kMaxTextScale, 0}}, 12 * kMaxTextScale, 10 * kMaxTextScale},
    };
    for (const auto &c : cases)
        Check(c);
}

TEST(Layout, ExtremeBoxes) {
    const LayoutCase cases[] = {
        {"widest box, centred", u"ab", kMax64, kMax64, DT_CENTER, 1,
         Lines{{u"ab", (kMax64 - 12) / 2, 0}}, 12, 10},
        {"tallest box, vcentred", u"ab", 0, kMax64, DT_SINGLELINE | DT_VCENTER, 1,
         Lines{{u"ab", 0, (kMax64 - 10) / 2}}, 12, 10},
        {"most negative box, right", u"ab cd", kMin64, kMin64, DT_RIGHT | DT_WORDBREAK, 1,
         Lines{{u"ab", -12, 0}, {u"cd", -12, 10}}, 12, 20},
        {"most negative box, bottom", u"ab", kMin64, kMin64, DT_SINGLELINE | DT_BOTTOM, 1,
         Lines{{u"ab", 0, -10}}, 12, 10},
        {"widest box, word break", u"ab cd", kMax64, 10, DT_WORDBREAK, 1, Lines{{u"ab cd", 0, 0}},
         30, 10},
    };
    for (const auto &c : cases)
        Check(c);
}

// Whatever the text and width, word breaking keeps every word, in order, and
// only lets a line stick out when it holds a single word.
TEST(Layout, WordBreakKeepsWordsAndWidth) {
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        size_t length = next(60);
        for (size_t i = 0; i < length; ++i)
            text += next(4) == 0 ? u' ' : static_cast<char16_t>(u'a' + next(26));
        int64_t box = next(80);
        SCOPED_TRACE(testing::Message() << "\"" << Narrow(text) << "\" in " << box);
        TextLayout got = LayoutText(text, box, 100, DT_WORDBREAK, 1);

        auto words = [](std::u16string_view s) {
            std::vector<std::u16string> out;
            size_t i = 0;
            while (i < s.size()) {
                while (i < s.size() && s[i] == u' ')
                    ++i;
                size_t j = i;
                while (j < s.size() && s[j] != u' ')
                    ++j;
                if (j > i)
                    out.emplace_back(s.substr(i, j - i));
                i = j;
            }
            return out;
        };
        std::vector<std::u16string> laid;
        for (const TextLine &line : got.lines) {
            std::vector<std::u16string> w = words(line.text);
            if (line.width > box) {
                EXPECT_LE(w.size(), 1u) << "line \"" << Narrow(line.text) << "\" is too wide";
            }
            if (&line != &got.lines.front()) {
                EXPECT_TRUE(line.text.empty() || line.text[0] != u' ')
                    << "a wrapped line starts with a space";
            }
            laid.insert(laid.end(), w.begin(), w.end());
        }
        EXPECT_EQ(laid, words(text));
    }
}

TEST(Layout, LongTextIsLinear) {
    std::u16string text = u"abcd";
    for (int i = 1; i < 20000; ++i)
        text += u" abcd";
    TextLayout got = LayoutText(text, 60, 100, DT_WORDBREAK, 1);
    ASSERT_EQ(got.lines.size(), 10000u);
    for (const TextLine &line : got.lines)
        ASSERT_EQ(Narrow(line.text), "abcd abcd");
    EXPECT_EQ(got.height, 100000);
    EXPECT_EQ(got.width, 54);
}

} // namespace
} // namespace sim

// ------------------------------------------------------------ on a device
// These need the whole simulator. A bare build of this file against Font.cpp
// alone, without the tests/ include path, leaves them out.
#if __has_include("support/Devices.h")
#include "support/Devices.h"
#include "support/Win32.h"

#include <climits>
#include <functional>
#include <optional>

namespace {

constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr COLORREF kBack = RGB(255, 0, 0);
constexpr int kSheetWidth = 16, kSheetHeight = 12;

using Art = std::vector<std::string>;

// '.' paper, '#' ink, 'o' background colour, '?' anything else.
char Classify(COLORREF c) {
    return c == kPaper ? '.' : c == kInk ? '#' : c == kBack ? 'o' : '?';
}

Art ReadBack(HDC dc, int x0, int y0, int width, int height) {
    Art rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x)
            row += Classify(GetPixel(dc, x0 + x, y0 + y));
        rows.push_back(row);
    }
    return rows;
}

void Prepare(HDC dc, int width, int height, int bkMode) {
    RECT all{0, 0, width, height};
    HBRUSH paper = CreateSolidBrush(kPaper);
    FillRect(dc, &all, paper);
    DeleteObject(paper);
    SetTextColor(dc, kInk);
    SetBkColor(dc, kBack);
    SetBkMode(dc, bkMode);
}

// A 32-bit memory DC, so colours read back exactly. Runs inside a device.
Art OnSheet(int bkMode, const std::function<void(HDC)> &draw) {
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = kSheetWidth;
    bi.bmiHeader.biHeight = -kSheetHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    Prepare(dc, kSheetWidth, kSheetHeight, bkMode);
    draw(dc);
    Art rows = ReadBack(dc, 0, 0, kSheetWidth, kSheetHeight);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return rows;
}

// The letter T in a cell at (1, 1), as most cases below draw it.
const Art kT = {
    "................", "................", ".#####..........", "...#............",
    "...#............", "...#............", "...#............", "...#............",
    "...#............", "................", "................", "................",
};

TEST(DrawTextOnDevice, Pixels) {
    struct Case {
        const char *name;
        std::u16string text;
        int count;
        RECT rect;
        UINT format;
        int bkMode;
        Art expected;
    } cases[] = {
        {"plain", u"T", -1, RECT{1, 1, 16, 12}, DT_LEFT, TRANSPARENT, kT},
        {"count stops early", u"TT", 1, RECT{1, 1, 16, 12}, DT_LEFT, TRANSPARENT, kT},
        {"opaque fills the cells", u"T", -1, RECT{1, 1, 16, 12}, DT_LEFT, OPAQUE,
         Art{"................", ".oooooo.........", ".#####o.........", ".oo#ooo.........",
             ".oo#ooo.........", ".oo#ooo.........", ".oo#ooo.........", ".oo#ooo.........",
             ".oo#ooo.........", ".oooooo.........", ".oooooo.........", "................"}},
        {"mnemonic underlined", u"&T", -1, RECT{1, 1, 16, 12}, DT_LEFT, TRANSPARENT,
         Art{"................", "................", ".#####..........", "...#............",
             "...#............", "...#............", "...#............", "...#............",
             "...#............", ".#####..........", "................", "................"}},
        {"clipped to the rectangle", u"TT", -1, RECT{1, 1, 5, 12}, DT_LEFT, OPAQUE,
         Art{"................", ".oooo...........", ".####...........", ".oo#o...........",
             ".oo#o...........", ".oo#o...........", ".oo#o...........", ".oo#o...........",
             ".oo#o...........", ".oooo...........", ".oooo...........", "................"}},
        {"right and bottom", u"T", -1, RECT{0, 0, 16, 12}, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE,
         TRANSPARENT,
         Art{"................", "................", "................", "..........#####.",
             "............#...", "............#...", "............#...", "............#...",
             "............#...", "............#...", "................", "................"}},
        {"calcrect draws nothing", u"T", -1, RECT{1, 1, 16, 12}, DT_CALCRECT, OPAQUE,
         Art(kSheetHeight, std::string(kSheetWidth, '.'))},
        {"empty rectangle draws nothing", u"T", -1, RECT{1, 1, 1, 12}, DT_LEFT, OPAQUE,
         Art(kSheetHeight, std::string(kSheetWidth, '.'))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Device d;
        Art got;
        test::RunInside(d, [&] {
            got = OnSheet(c.bkMode, [&](HDC dc) {
                RECT r = c.rect;
                DrawTextW(dc, c.text.c_str(), c.count, &r, c.format);
            });
        });
        EXPECT_EQ(got, c.expected);
    }
}

TEST(DrawTextOnDevice, ResultAndRectangle) {
    struct Case {
        const char *name;
        int dpi;
        const char16_t *text;
        int count;
        RECT rect;
        UINT format;
        int result;
        RECT after;
    } cases[] = {
        {"calcrect one line", 96, u"abc", -1, RECT{10, 20, 100, 100}, DT_CALCRECT, 10,
         RECT{10, 20, 28, 30}},
        {"calcrect wraps at the width", 96, u"abc def", -1, RECT{10, 20, 40, 100},
         DT_CALCRECT | DT_WORDBREAK, 20, RECT{10, 20, 28, 40}},
        {"calcrect widens for a long word", 96, u"abcdefgh", -1, RECT{10, 20, 20, 100},
         DT_CALCRECT | DT_WORDBREAK, 10, RECT{10, 20, 58, 30}},
        {"calcrect counts characters", 96, u"abcdef", 3, RECT{10, 20, 100, 100}, DT_CALCRECT, 10,
         RECT{10, 20, 28, 30}},
        {"calcrect of nothing", 96, u"", -1, RECT{10, 20, 100, 100}, DT_CALCRECT, 0,
         RECT{10, 20, 10, 20}},
        {"calcrect at double DPI", 192, u"abc", -1, RECT{10, 20, 100, 100}, DT_CALCRECT, 20,
         RECT{10, 20, 46, 40}},
        {"calcrect over the whole range", 96, u"ab", -1, RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
         DT_CALCRECT, 10, RECT{INT_MIN, INT_MIN, INT_MIN + 12, INT_MIN + 10}},
        {"calcrect at the far edge", 96, u"abc", -1,
         RECT{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX}, DT_CALCRECT, 10,
         RECT{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX}},
        {"height of two lines", 96, u"ab\ncd", -1, RECT{0, 0, 100, 100}, DT_LEFT, 20,
         RECT{0, 0, 100, 100}},
        {"vcentre gives the bottom of the text", 96, u"ab", -1, RECT{0, 0, 100, 30},
         DT_SINGLELINE | DT_VCENTER, 20, RECT{0, 0, 100, 30}},
        {"bottom gives the bottom of the text", 96, u"ab", -1, RECT{0, 0, 100, 30},
         DT_SINGLELINE | DT_BOTTOM, 30, RECT{0, 0, 100, 30}},
        {"drawing far off screen", 96, u"ab", -1, RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
         DT_CENTER | DT_SINGLELINE | DT_VCENTER, INT_MAX, RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
        {"nothing to draw", 96, u"", -1, RECT{0, 0, 100, 30}, DT_LEFT, 0, RECT{0, 0, 100, 30}},
        {"null text", 96, nullptr, -1, RECT{0, 0, 100, 30}, DT_CALCRECT, 0, RECT{0, 0, 100, 30}},
        {"count below -1", 96, u"abc", -2, RECT{0, 0, 100, 30}, DT_CALCRECT, 0,
         RECT{0, 0, 100, 30}},
        {"most negative count", 96, u"abc", INT_MIN, RECT{0, 0, 100, 30}, DT_CALCRECT, 0,
         RECT{0, 0, 100, 30}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Device d(sim::DeviceConfig{.width = 240, .height = 320, .dpi = c.dpi});
        int result = -1;
        RECT r = c.rect;
        test::RunInside(d, [&] {
            OnSheet(TRANSPARENT,
                    [&](HDC dc) { result = DrawTextW(dc, c.text, c.count, &r, c.format); });
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(r.left, c.after.left);
        EXPECT_EQ(r.top, c.after.top);
        EXPECT_EQ(r.right, c.after.right);
        EXPECT_EQ(r.bottom, c.after.bottom);
    }
}

TEST(DrawTextOnDevice, RefusesBadHandlesAndPointers) {
    sim::Device d;
    test::RunInside(d, [&] {
        RECT r{0, 0, 100, 30};
        SetLastError(0);
        EXPECT_EQ(DrawTextW(nullptr, u"ab", -1, &r, DT_LEFT), 0);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        HBRUSH notADc = CreateSolidBrush(0);
        EXPECT_EQ(DrawTextW(reinterpret_cast<HDC>(notADc), u"ab", -1, &r, DT_LEFT), 0);
        DeleteObject(notADc);
        OnSheet(TRANSPARENT, [&](HDC dc) {
            SetLastError(0);
            EXPECT_EQ(DrawTextW(dc, u"ab", -1, nullptr, DT_LEFT), 0);
            EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        });
    });
}

using Dx = std::vector<INT>;

TEST(ExtTextOutOnDevice, Pixels) {
    const Art kShiftedT = {
        "................", "................", "..#####.........", "....#...........",
        "....#...........", "....#...........", "....#...........", "....#...........",
        "....#...........", "................", "................", "................",
    };
    struct Case {
        const char *name;
        int x, y;
        UINT options;
        std::optional<RECT> rect;
        std::u16string text;
        Dx dx;
        int bkMode;
        Art expected;
    } cases[] = {
        {"plain", 2, 1, 0, std::nullopt, u"T", Dx{}, TRANSPARENT, kShiftedT},
        {"rectangle unused without options", 2, 1, 0, RECT{0, 0, 3, 3}, u"T", Dx{}, TRANSPARENT,
         kShiftedT},
        {"opaque rectangle under the text", 2, 1, ETO_OPAQUE, RECT{0, 0, 3, 3}, u"T", Dx{},
         TRANSPARENT,
         Art{"ooo.............", "ooo.............", "oo#####.........", "....#...........",
             "....#...........", "....#...........", "....#...........", "....#...........",
             "....#...........", "................", "................", "................"}},
        {"clipped", 2, 1, ETO_CLIPPED, RECT{0, 0, 5, 6}, u"T", Dx{}, TRANSPARENT,
         Art{"................", "................", "..###...........", "....#...........",
             "....#...........", "....#...........", "................", "................",
             "................", "................", "................", "................"}},
        {"spacing from dx", 0, 0, 0, std::nullopt, u"TT", Dx{9, 6}, TRANSPARENT,
         Art{"................", "#####....#####..", "..#........#....", "..#........#....",
             "..#........#....", "..#........#....", "..#........#....", "..#........#....",
             "................", "................", "................", "................"}},
        {"opaque background mode", 2, 1, 0, std::nullopt, u"T", Dx{}, OPAQUE,
         Art{"................", "..oooooo........", "..#####o........", "..oo#ooo........",
             "..oo#ooo........", "..oo#ooo........", "..oo#ooo........", "..oo#ooo........",
             "..oo#ooo........", "..oooooo........", "..oooooo........", "................"}},
        {"nothing but the rectangle", 2, 1, ETO_OPAQUE, RECT{14, 10, 99, 99}, u"", Dx{}, OPAQUE,
         Art{"................", "................", "................", "................",
             "................", "................", "................", "................",
             "................", "................", "..............oo", "..............oo"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Device d;
        Art got;
        BOOL ok = FALSE;
        test::RunInside(d, [&] {
            got = OnSheet(c.bkMode, [&](HDC dc) {
                ok = ExtTextOutW(dc, c.x, c.y, c.options, c.rect ? &*c.rect : nullptr,
                                 c.text.c_str(), UINT(c.text.size()),
                                 c.dx.empty() ? nullptr : c.dx.data());
            });
        });
        EXPECT_TRUE(ok);
        EXPECT_EQ(got, c.expected);
    }
}

TEST(ExtTextOutOnDevice, RefusesBadInput) {
    sim::Device d;
    test::RunInside(d, [&] {
        SetLastError(0);
        EXPECT_FALSE(ExtTextOutW(nullptr, 0, 0, 0, nullptr, u"a", 1, nullptr));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        Art untouched = OnSheet(OPAQUE, [&](HDC dc) {
            SetLastError(0);
            EXPECT_FALSE(ExtTextOutW(dc, 0, 0, 0, nullptr, nullptr, 3, nullptr));
            EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
            // A negative int passed through the UINT count.
            EXPECT_FALSE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"abc", UINT(-1), nullptr));
            EXPECT_FALSE(ExtTextOutW(dc, 0, 0, 0, nullptr, u"abc", 0x80000000u, nullptr));
            EXPECT_TRUE(ExtTextOutW(dc, 0, 0, 0, nullptr, nullptr, 0, nullptr));
            EXPECT_TRUE(ExtTextOutW(dc, INT_MAX, INT_MIN, 0, nullptr, u"abc", 3, nullptr));
            const INT wild[] = {INT_MAX, INT_MIN, INT_MAX};
            EXPECT_TRUE(ExtTextOutW(dc, 20, 0, 0, nullptr, u"abc", 3, wild));
        });
        EXPECT_EQ(untouched, Art(kSheetHeight, std::string(kSheetWidth, '.')));
    });
}

// On a window's DC, text lands at the window's position and stays inside its
// clip region.
TEST(DrawTextOnDevice, WindowOriginAndClip) {
    sim::Device d;
    Art got;
    test::RunInside(d, [&] {
        test::RegisterWindowClass(u"TextProbe");
        HWND hwnd = CreateWindowExW(0, u"TextProbe", u"", WS_POPUP | WS_VISIBLE, 50, 60,
                                    kSheetWidth, kSheetHeight, nullptr, nullptr, nullptr, nullptr);
        HDC dc = GetDC(hwnd);
        Prepare(dc, kSheetWidth, kSheetHeight, OPAQUE);
        HRGN clip = CreateRectRgn(0, 0, 4, kSheetHeight);
        SelectObject(dc, clip);
        DeleteObject(clip);
        RECT r{1, 1, kSheetWidth, kSheetHeight};
        DrawTextW(dc, u"TT", -1, &r, DT_LEFT);
        ReleaseDC(hwnd, dc);
        HDC screen = GetDC(nullptr);
        got = ReadBack(screen, 50, 60, kSheetWidth, kSheetHeight);
        ReleaseDC(nullptr, screen);
        DestroyWindow(hwnd);
    });
    EXPECT_EQ(
        got, (Art{"................", ".ooo............", ".###............", ".oo#............",
                  ".oo#............", ".oo#............", ".oo#............", ".oo#............",
                  ".oo#............", ".ooo............", ".ooo............", "................"}));
}

} // namespace
#endif
