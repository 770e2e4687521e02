#include "gdi/Font.h"
#include "gdi/TextLayout.h"

#include <gtest/gtest.h>

#include <climits>
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

// A made-up font for the layout rules: every character one cell, except
// that 'i' is narrow and 'm' wide when asked for.
class Cells : public TextMeasure {
public:
    Cells(int width, int height, bool proportional = false)
        : width_(width), height_(height), proportional_(proportional) {}
    int Advance(char16_t ch) const override {
        if (proportional_ && ch == u'i')
            return width_ / 3;
        if (proportional_ && ch == u'm')
            return width_ * 2;
        return width_;
    }
    int LineHeight() const override { return height_; }

private:
    int width_, height_;
    bool proportional_;
};

const Cells kCells(6, 10);
const Cells kBigCells(12, 20);
const Cells kProportional(6, 10, true);

LOGFONTW Logical(LONG height, LONG weight = FW_NORMAL) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    return lf;
}

const Font &SystemFontAt(int dpi) {
    return FontAt(ResolveFont(SystemLogFont(dpi), dpi));
}

// ------------------------------------------------------------ the font

TEST(Font, FilesAreFoundWhereThePackagePutsThem) {
    std::string why;
    EXPECT_TRUE(LoadFonts(&why)) << why;
    EXPECT_EQ(FontFilePath(false), "/usr/share/wine/fonts/tahoma.ttf");
    EXPECT_EQ(FontFilePath(true), "/usr/share/wine/fonts/tahomabd.ttf");
}

// Tahoma 8 pt is what a Pocket PC's dialogs and shell are drawn with; the
// platform documents its cell at 96 DPI as 13 pixels, 11 above the
// baseline, and its dialog base units as 6 x 13.
TEST(Font, SystemFontHasThePlatformsCell) {
    struct Case {
        int dpi;
        LONG lfHeight;
    } cases[] = {{96, -11}, {192, -21}, {131, -15}, {0, -11}, {-96, -11}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dpi);
        LOGFONTW lf = SystemLogFont(c.dpi);
        EXPECT_EQ(lf.lfHeight, c.lfHeight);
        EXPECT_EQ(lf.lfWeight, FW_NORMAL);
        EXPECT_EQ(std::u16string(lf.lfFaceName), u"Tahoma");
    }
    const FontMetrics &m = SystemFontAt(96).Metrics();
    EXPECT_EQ(m.ppem, 11);
    EXPECT_EQ(m.height, 13);
    EXPECT_EQ(m.ascent, 11);
    EXPECT_EQ(m.descent, 2);
    EXPECT_EQ(m.internalLeading, 2);
    EXPECT_EQ(m.externalLeading, 0);
    EXPECT_EQ(DialogBaseUnits(SystemFontAt(96)), (DialogUnits{6, 13}));
}

TEST(Font, MetricsHoldTogetherAtEverySize) {
    for (bool bold : {false, true})
        for (int ppem = 1; ppem <= 64; ++ppem) {
            SCOPED_TRACE(testing::Message() << ppem << (bold ? " bold" : ""));
            const FontMetrics &m = FontAt(FontSize{ppem, bold}).Metrics();
            EXPECT_EQ(m.ppem, ppem);
            EXPECT_EQ(m.height, m.ascent + m.descent);
            EXPECT_EQ(m.internalLeading, m.height - ppem);
            EXPECT_GE(m.internalLeading, 0);
            EXPECT_EQ(m.weight, bold ? FW_BOLD : FW_NORMAL);
            EXPECT_GE(m.underlineTop, m.ascent - 1) << "the underline sits at the baseline";
            EXPECT_LE(m.underlineTop + m.underlineHeight, m.height);
            EXPECT_LT(m.strikeOutTop, m.ascent) << "the strike-out crosses the letters";
            if (ppem >= 4) {
                EXPECT_GT(m.strikeOutTop, 0);
            }
        }
}

// Logical heights come to em sizes the way the platform's mapper has it.
TEST(Font, ResolveFont) {
    struct Case {
        const char *what;
        LONG height, weight;
        int dpi;
        FontSize size;
    } cases[] = {
        {"an em size", -11, FW_NORMAL, 96, {11, false}},
        {"an em size, whatever the DPI", -11, FW_NORMAL, 192, {11, false}},
        {"zero is the system font's size", 0, FW_NORMAL, 96, {11, false}},
        {"at double DPI too", 0, FW_NORMAL, 192, {21, false}},
        {"a cell height", 13, FW_NORMAL, 96, {11, false}},
        {"the smallest", -1, FW_NORMAL, 96, {1, false}},
        {"a cell of one pixel", 1, FW_NORMAL, 96, {1, false}},
        {"don't care is normal", -11, FW_DONTCARE, 96, {11, false}},
        {"medium is normal", -11, FW_MEDIUM, 96, {11, false}},
        {"just past the middle is bold", -11, 551, 96, {11, true}},
        {"semibold is bold", -11, FW_SEMIBOLD, 96, {11, true}},
        {"bold", -11, FW_BOLD, 96, {11, true}},
        {"heavy is bold", -11, FW_HEAVY, 96, {11, true}},
        {"absurd em sizes are capped", INT_MIN, FW_NORMAL, 96, {kMaxFontPixels, false}},
        {"absurd cells are capped", INT_MAX, FW_NORMAL, 96, {kMaxFontPixels, false}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ResolveFont(Logical(c.height, c.weight), c.dpi), c.size);
    }
}

// A positive height asks for the largest font whose cell fits in it.
TEST(Font, CellHeightsGiveTheLargestFontThatFits) {
    for (bool bold : {false, true})
        for (LONG height = 2; height <= 60; ++height) {
            SCOPED_TRACE(testing::Message() << height << (bold ? " bold" : ""));
            FontSize size = ResolveFont(Logical(height, bold ? FW_BOLD : FW_NORMAL), 96);
            EXPECT_EQ(size.bold, bold);
            if (size.ppem > 1) {
                EXPECT_LE(FontAt(size).Metrics().height, height);
            }
            EXPECT_GT(FontAt(FontSize{size.ppem + 1, bold}).Metrics().height, height);
        }
}

// ------------------------------------------------------------ the glyphs

bool Blank(const GlyphImage &g) {
    for (uint8_t c : g.coverage)
        if (c)
            return false;
    return true;
}

// Ink rows of a glyph, in cell rows: [first, last].
std::pair<int, int> InkRows(const GlyphImage &g) {
    int first = INT_MAX, last = INT_MIN;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            if (g.At(x, y) >= 96) {
                first = std::min(first, g.top + y);
                last = std::max(last, g.top + y);
            }
    return {first, last};
}

TEST(Font, PrintableGlyphsAreDistinctAndStayInTheirCell) {
    for (int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        const Font &font = SystemFontAt(dpi);
        const FontMetrics &m = font.Metrics();
        EXPECT_TRUE(Blank(font.Glyph(u' ')));
        std::set<std::string> seen;
        for (char16_t c = u'!'; c <= u'~'; ++c) {
            SCOPED_TRACE(Narrow(std::u16string(1, c)));
            const GlyphImage &g = font.Glyph(c);
            EXPECT_TRUE(font.HasGlyph(c));
            EXPECT_FALSE(Blank(g));
            EXPECT_GT(font.Advance(c), 0);
            EXPECT_GE(g.top, 0) << "reaches above the cell";
            EXPECT_LE(g.top + g.height, m.height) << "reaches below the cell";
            std::string shape(g.coverage.begin(), g.coverage.end());
            shape += std::to_string(g.width) + "," + std::to_string(g.top);
            EXPECT_TRUE(seen.insert(shape).second) << "looks like another character";
        }
    }
}

// Readers find the baseline by eye; a glyph shifted by a row reads wrong even
// when its shape is right.
TEST(Font, GlyphsSitOnTheBaseline) {
    for (int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        const Font &font = SystemFontAt(dpi);
        const int baseline = font.Metrics().ascent - 1; // the last row above it
        const int capTop = InkRows(font.Glyph(u'H')).first;
        const int xTop = InkRows(font.Glyph(u'x')).first;
        EXPECT_LT(capTop, xTop) << "capitals stand taller than small letters";
        for (char16_t c : std::u16string(u"0123456789ABCDEFGHIKLMNOPRSTUVWXYZbdfhiklt")) {
            SCOPED_TRACE(Narrow(std::u16string(1, c)));
            auto [first, last] = InkRows(font.Glyph(c));
            EXPECT_EQ(last, baseline) << "should stand on the baseline";
            EXPECT_LE(first, xTop - 1) << "should reach above the small letters";
        }
        for (char16_t c : std::u16string(u"acemnorsuvwxz")) {
            SCOPED_TRACE(Narrow(std::u16string(1, c)));
            auto [first, last] = InkRows(font.Glyph(c));
            EXPECT_EQ(last, baseline);
            EXPECT_GE(first, xTop - 1) << "should stay at x-height";
        }
        // Tahoma's J and Q reach below the baseline too.
        for (char16_t c : std::u16string(u"gjpqyJQ")) {
            SCOPED_TRACE(Narrow(std::u16string(1, c)));
            EXPECT_GT(InkRows(font.Glyph(c)).second, baseline) << "should reach below";
        }
    }
}

// A character the face lacks shows its missing-glyph box, so a stray
// character shows on screen; what the face has, Latin-1 included, it draws.
TEST(Font, CharactersTheFaceLacksShowTheBox) {
    const Font &font = SystemFontAt(96);
    const GlyphImage &box = font.Glyph(0xFFFF);
    EXPECT_FALSE(Blank(box));
    const char16_t missing[] = {0x01, 0x1F, 0xD800, 0xE000, 0xFFFF};
    for (char16_t c : missing) {
        SCOPED_TRACE(int(c));
        EXPECT_FALSE(font.HasGlyph(c));
        EXPECT_EQ(font.Glyph(c).coverage, box.coverage);
        EXPECT_EQ(font.Advance(c), font.Advance(0xFFFF));
    }
    for (char16_t c : {char16_t(0xE9), char16_t(0xFC), char16_t(0x2022), char16_t(0x20AC)}) {
        SCOPED_TRACE(int(c));
        EXPECT_TRUE(font.HasGlyph(c));
        EXPECT_NE(font.Glyph(c).coverage, box.coverage);
    }
}

TEST(Font, DoubleDpiDoublesTheGlyphs) {
    const Font &small = SystemFontAt(96);
    const Font &big = SystemFontAt(192);
    for (char16_t c : std::u16string(u"HMgx")) {
        SCOPED_TRACE(Narrow(std::u16string(1, c)));
        auto [smallTop, smallBottom] = InkRows(small.Glyph(c));
        auto [bigTop, bigBottom] = InkRows(big.Glyph(c));
        EXPECT_NEAR(bigBottom - bigTop + 1, 2 * (smallBottom - smallTop + 1), 2);
        EXPECT_NEAR(big.Advance(c), 2 * small.Advance(c), 2);
    }
}

TEST(Font, BoldIsWiderAndDarker) {
    const Font &regular = FontAt(FontSize{11, false});
    const Font &bold = FontAt(FontSize{11, true});
    EXPECT_GT(bold.Width(u"Calendar"), regular.Width(u"Calendar"));
    auto ink = [](const GlyphImage &g) {
        int sum = 0;
        for (uint8_t c : g.coverage)
            sum += c;
        return sum;
    };
    for (char16_t c : std::u16string(u"Hlo")) {
        SCOPED_TRACE(Narrow(std::u16string(1, c)));
        EXPECT_GT(ink(bold.Glyph(c)), ink(regular.Glyph(c)) * 5 / 4);
    }
}

// Glyph pixels depend on the rasteriser and the font file; with the ones
// this was written against, they are exactly these, so a change of
// settings (hinting, anti-aliasing, bitmaps) cannot pass unseen.
TEST(Font, GlyphPixelsForThePinnedPackages) {
    const char *kEngine = "FreeType 2.12.1";
    const uint64_t kRegular = 0xf31f6774e9a00a42, kBold = 0xe22d1b064e9a7819;
    if (FontEngineVersion() != kEngine || FontFileDigest(false) != kRegular ||
        FontFileDigest(true) != kBold)
        GTEST_SKIP() << "pixels pinned for " << kEngine << " and fonts-wine 8.0; here "
                     << FontEngineVersion() << ", font digests " << std::hex
                     << FontFileDigest(false) << " " << FontFileDigest(true);
    struct Case {
        FontSize size;
        char16_t ch;
        uint64_t digest;
    } cases[] = {
        {{11, false}, u'T', 0x4cdf78ff1108ee16},
        {{11, false}, u'g', 0xaed509f50ba87b8b},
        {{11, true}, u'S', 0x9c22b1987e6fd309},
        {{21, false}, u'a', 0x38f2a5c54f13e826},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Narrow(std::u16string(1, c.ch)));
        const GlyphImage &g = FontAt(c.size).Glyph(c.ch);
        uint64_t hash = 14695981039346656037ull;
        for (int v : {g.left, g.top, g.width, g.height})
            hash = (hash ^ static_cast<uint8_t>(v)) * 1099511628211ull;
        for (uint8_t b : g.coverage)
            hash = (hash ^ b) * 1099511628211ull;
        EXPECT_EQ(hash, c.digest) << std::hex << hash;
    }
}

// ------------------------------------------------------------ measuring

TEST(Font, WidthAddsTheAdvances) {
    const Font &font = SystemFontAt(96);
    struct Case {
        std::u16string text;
        int64_t width;
    } cases[] = {
        {u"", 0},
        {u"a", font.Advance(u'a')},
        {u"Hello",
         font.Advance(u'H') + font.Advance(u'e') + 2 * font.Advance(u'l') + font.Advance(u'o')},
        // No line or prefix handling: each character has its advance.
        {u"a\nb&c", font.Advance(u'a') + font.Advance(u'\n') + font.Advance(u'b') +
                        font.Advance(u'&') + font.Advance(u'c')},
        {std::u16string(100000, u'x'), 100000 * int64_t{font.Advance(u'x')}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Narrow(c.text.substr(0, 10)));
        EXPECT_EQ(font.Width(c.text), c.width);
        EXPECT_EQ(kCells.Width(c.text), 6 * static_cast<int64_t>(c.text.size()));
    }
    EXPECT_LT(font.Advance(u'i'), font.Advance(u'm')) << "a proportional face";
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
    const TextMeasure *font;
    Lines lines;
    int64_t width, height;
};

void Check(const LayoutCase &c) {
    SCOPED_TRACE(c.name);
    TextLayout got = LayoutText(c.text, c.boxWidth, c.boxHeight, c.format, *c.font);
    ASSERT_EQ(got.lines.size(), c.lines.size());
    for (size_t i = 0; i < c.lines.size(); ++i) {
        SCOPED_TRACE(i);
        const TextLine &g = got.lines[i];
        EXPECT_EQ(Narrow(g.text), Narrow(c.lines[i].text));
        EXPECT_EQ(g.x, c.lines[i].x);
        EXPECT_EQ(g.y, c.lines[i].y);
        EXPECT_EQ(g.underlined, c.lines[i].underlined);
        EXPECT_EQ(g.width, c.font->Width(g.text));
    }
    EXPECT_EQ(got.width, c.width);
    EXPECT_EQ(got.height, c.height);
}

TEST(Layout, Alignment) {
    const LayoutCase cases[] = {
        {"empty", u"", 100, 50, DT_LEFT, &kCells, Lines{}, 0, 0},
        {"empty single line", u"", 100, 50, DT_SINGLELINE, &kCells, Lines{{u"", 0, 0}}, 0, 10},
        {"left", u"abc", 100, 50, DT_LEFT, &kCells, Lines{{u"abc", 0, 0}}, 18, 10},
        {"centre", u"abc", 100, 50, DT_CENTER, &kCells, Lines{{u"abc", 41, 0}}, 18, 10},
        {"right", u"abc", 100, 50, DT_RIGHT, &kCells, Lines{{u"abc", 82, 0}}, 18, 10},
        {"centre wins over right", u"abc", 100, 50, DT_CENTER | DT_RIGHT, &kCells,
         Lines{{u"abc", 41, 0}}, 18, 10},
        {"centred and too wide", u"abcdefghij", 20, 50, DT_CENTER, &kCells,
         Lines{{u"abcdefghij", -20, 0}}, 60, 10},
        {"right and too wide", u"abcdefghij", 20, 50, DT_RIGHT, &kCells,
         Lines{{u"abcdefghij", -40, 0}}, 60, 10},
        {"each line aligned", u"a\nbcd", 30, 50, DT_RIGHT, &kCells,
         Lines{{u"a", 24, 0}, {u"bcd", 12, 10}}, 18, 20},
        {"vcentre", u"ab", 100, 30, DT_SINGLELINE | DT_VCENTER, &kCells, Lines{{u"ab", 0, 10}}, 12,
         10},
        {"bottom", u"ab", 100, 30, DT_SINGLELINE | DT_BOTTOM, &kCells, Lines{{u"ab", 0, 20}}, 12,
         10},
        {"vcentre wins over bottom", u"ab", 100, 30, DT_SINGLELINE | DT_VCENTER | DT_BOTTOM,
         &kCells, Lines{{u"ab", 0, 10}}, 12, 10},
        {"vcentre needs single line", u"ab", 100, 30, DT_VCENTER, &kCells, Lines{{u"ab", 0, 0}}, 12,
         10},
        {"bottom needs single line", u"ab", 100, 30, DT_BOTTOM, &kCells, Lines{{u"ab", 0, 0}}, 12,
         10},
        {"vcentre in a short box", u"ab", 100, 4, DT_SINGLELINE | DT_VCENTER, &kCells,
         Lines{{u"ab", 0, -3}}, 12, 10},
        {"both centres", u"OK", 56, 22, DT_SINGLELINE | DT_CENTER | DT_VCENTER, &kCells,
         Lines{{u"OK", 22, 6}}, 12, 10},
    };
    for (const auto &c : cases)
        Check(c);
}

TEST(Layout, LineBreaks) {
    const LayoutCase cases[] = {
        {"LF", u"ab\ncd", 100, 50, DT_LEFT, &kCells, Lines{{u"ab", 0, 0}, {u"cd", 0, 10}}, 12, 20},
        {"CR LF is one break", u"ab\r\ncd", 100, 50, DT_LEFT, &kCells,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10}}, 12, 20},
        {"CR alone", u"ab\rcd", 100, 50, DT_LEFT, &kCells, Lines{{u"ab", 0, 0}, {u"cd", 0, 10}}, 12,
         20},
        {"LF CR is two breaks", u"ab\n\rcd", 100, 50, DT_LEFT, &kCells,
         Lines{{u"ab", 0, 0}, {u"", 0, 10}, {u"cd", 0, 20}}, 12, 30},
        {"blank line kept", u"ab\n\ncd", 100, 50, DT_LEFT, &kCells,
         Lines{{u"ab", 0, 0}, {u"", 0, 10}, {u"cd", 0, 20}}, 12, 30},
        {"final break starts no line", u"ab\n", 100, 50, DT_LEFT, &kCells, Lines{{u"ab", 0, 0}}, 12,
         10},
        {"final CR LF starts no line", u"ab\r\n", 100, 50, DT_LEFT, &kCells, Lines{{u"ab", 0, 0}},
         12, 10},
        {"a lone break is one empty line", u"\n", 100, 50, DT_LEFT, &kCells, Lines{{u"", 0, 0}}, 0,
         10},
        {"leading break", u"\nab", 100, 50, DT_CENTER, &kCells,
         Lines{{u"", 50, 0}, {u"ab", 44, 10}}, 12, 20},
        {"single line draws breaks as characters", u"ab\ncd", 100, 50, DT_SINGLELINE, &kCells,
         Lines{{u"ab\ncd", 0, 0}}, 30, 10},
        {"no word break, no wrapping", u"ab cd ef", 18, 50, DT_LEFT, &kCells,
         Lines{{u"ab cd ef", 0, 0}}, 48, 10},
    };
    for (const auto &c : cases)
        Check(c);
}

TEST(Layout, WordBreak) {
    const UINT wb = DT_WORDBREAK;
    const LayoutCase cases[] = {
        {"wraps before the word that would cross", u"one two three", 60, 50, wb, &kCells,
         Lines{{u"one two", 0, 0}, {u"three", 0, 10}}, 42, 20},
        {"exact fit stays", u"one two", 42, 50, wb, &kCells, Lines{{u"one two", 0, 0}}, 42, 10},
        {"one pixel short wraps", u"one two", 41, 50, wb, &kCells,
         Lines{{u"one", 0, 0}, {u"two", 0, 10}}, 18, 20},
        {"long word on its own line", u"a verylongword b", 30, 50, wb, &kCells,
         Lines{{u"a", 0, 0}, {u"verylongword", 0, 10}, {u"b", 0, 20}}, 72, 30},
        {"spaces at a break are dropped", u"ab   cd", 24, 50, wb, &kCells,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10}}, 12, 20},
        {"spaces inside a line stay", u"ab  cd", 36, 50, wb, &kCells, Lines{{u"ab  cd", 0, 0}}, 36,
         10},
        {"indentation stays", u"  ab cd", 30, 50, wb, &kCells,
         Lines{{u"  ab", 0, 0}, {u"cd", 0, 10}}, 24, 20},
        {"trailing spaces that fit", u"ab  ", 60, 50, wb, &kCells, Lines{{u"ab  ", 0, 0}}, 24, 10},
        {"trailing spaces that do not fit", u"ab  ", 18, 50, wb, &kCells, Lines{{u"ab", 0, 0}}, 12,
         10},
        {"only spaces", u"    ", 12, 50, wb, &kCells, Lines{{u"    ", 0, 0}}, 24, 10},
        {"breaks and wrapping together", u"ab cd\nef", 18, 50, wb, &kCells,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10}, {u"ef", 0, 20}}, 12, 30},
        {"wrap then a blank line", u"ab cd\n\nef", 18, 50, wb, &kCells,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10}, {u"", 0, 20}, {u"ef", 0, 30}}, 12, 40},
        {"single line wins", u"ab cd", 18, 50, wb | DT_SINGLELINE, &kCells, Lines{{u"ab cd", 0, 0}},
         30, 10},
        {"wrapped lines aligned right", u"a bcd", 24, 50, wb | DT_RIGHT, &kCells,
         Lines{{u"a", 18, 0}, {u"bcd", 6, 10}}, 18, 20},
        {"wrapped lines centred", u"a bcd", 24, 50, wb | DT_CENTER, &kCells,
         Lines{{u"a", 9, 0}, {u"bcd", 3, 10}}, 18, 20},
        {"box narrower than a cell", u"ab cd", 5, 50, wb, &kCells,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10}}, 12, 20},
        {"negative box counts as empty", u"ab cd", -50, 50, wb | DT_RIGHT, &kCells,
         Lines{{u"ab", -12, 0}, {u"cd", -12, 10}}, 12, 20},
        {"tab is not a space", u"ab\tcd", 18, 50, wb, &kCells, Lines{{u"ab\tcd", 0, 0}}, 30, 10},
    };
    for (const auto &c : cases)
        Check(c);
}

TEST(Layout, Prefixes) {
    const LayoutCase cases[] = {
        {"mnemonic", u"&File", 100, 50, DT_LEFT, &kCells, Lines{{u"File", 0, 0, {0}}}, 24, 10},
        {"mnemonic inside", u"Save &As", 100, 50, DT_LEFT, &kCells, Lines{{u"Save As", 0, 0, {5}}},
         42, 10},
        {"two mnemonics", u"&a&b", 100, 50, DT_LEFT, &kCells, Lines{{u"ab", 0, 0, {0, 1}}}, 12, 10},
        {"double ampersand", u"a&&b", 100, 50, DT_LEFT, &kCells, Lines{{u"a&b", 0, 0}}, 18, 10},
        {"double then mnemonic", u"&&&x", 100, 50, DT_LEFT, &kCells, Lines{{u"&x", 0, 0, {1}}}, 12,
         10},
        {"final lone ampersand", u"a&", 100, 50, DT_LEFT, &kCells, Lines{{u"a", 0, 0}}, 6, 10},
        {"only an ampersand is empty text", u"&", 100, 50, DT_LEFT, &kCells, Lines{}, 0, 0},
        {"no prefix", u"&File", 100, 50, DT_NOPREFIX, &kCells, Lines{{u"&File", 0, 0}}, 30, 10},
        {"no prefix, double", u"a&&b", 100, 50, DT_NOPREFIX, &kCells, Lines{{u"a&&b", 0, 0}}, 24,
         10},
        {"hidden ampersand takes no room", u"&OK", 30, 50, DT_CENTER, &kCells,
         Lines{{u"OK", 9, 0, {0}}}, 12, 10},
        {"mnemonic on a wrapped line", u"ab &cd", 18, 50, DT_WORDBREAK, &kCells,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 10, {0}}}, 12, 20},
        {"ampersand before a break", u"a&\nb", 100, 50, DT_LEFT, &kCells,
         Lines{{u"a", 0, 0}, {u"b", 0, 10}}, 6, 20},
    };
    for (const auto &c : cases)
        Check(c);
}

// Layout follows the font: its line height and each character's advance.
// (Absurd sizes never reach layout: ResolveFont caps them.)
TEST(Layout, FontSizeAndWidths) {
    const LayoutCase cases[] = {
        {"double size", u"ab\ncd", 100, 50, DT_CENTER, &kBigCells,
         Lines{{u"ab", 38, 0}, {u"cd", 38, 20}}, 24, 40},
        {"wrapping uses the large cells", u"ab cd", 48, 50, DT_WORDBREAK, &kBigCells,
         Lines{{u"ab", 0, 0}, {u"cd", 0, 20}}, 24, 40},
        {"same text fits in small cells", u"ab cd", 48, 50, DT_WORDBREAK, &kCells,
         Lines{{u"ab cd", 0, 0}}, 30, 10},
        {"vcentre at double size", u"ab", 100, 30, DT_SINGLELINE | DT_VCENTER, &kBigCells,
         Lines{{u"ab", 0, 5}}, 24, 20},
        {"narrow letters are narrow", u"iii", 100, 50, DT_RIGHT, &kProportional,
         Lines{{u"iii", 94, 0}}, 6, 10},
        {"narrow letters fit where others would not", u"ab iiii", 26, 50, DT_WORDBREAK,
         &kProportional, Lines{{u"ab iiii", 0, 0}}, 26, 10},
        {"wide letters wrap sooner", u"ab mm", 30, 50, DT_WORDBREAK, &kProportional,
         Lines{{u"ab", 0, 0}, {u"mm", 0, 10}}, 24, 20},
        {"centred by pixels", u"mi", 30, 50, DT_CENTER, &kProportional, Lines{{u"mi", 8, 0}}, 14,
         10},
    };
    for (const auto &c : cases)
        Check(c);
}

TEST(Layout, ExtremeBoxes) {
    const LayoutCase cases[] = {
        {"widest box, centred", u"ab", kMax64, kMax64, DT_CENTER, &kCells,
         Lines{{u"ab", (kMax64 - 12) / 2, 0}}, 12, 10},
        {"tallest box, vcentred", u"ab", 0, kMax64, DT_SINGLELINE | DT_VCENTER, &kCells,
         Lines{{u"ab", 0, (kMax64 - 10) / 2}}, 12, 10},
        {"most negative box, right", u"ab cd", kMin64, kMin64, DT_RIGHT | DT_WORDBREAK, &kCells,
         Lines{{u"ab", -12, 0}, {u"cd", -12, 10}}, 12, 20},
        {"most negative box, bottom", u"ab", kMin64, kMin64, DT_SINGLELINE | DT_BOTTOM, &kCells,
         Lines{{u"ab", 0, -10}}, 12, 10},
        {"widest box, word break", u"ab cd", kMax64, 10, DT_WORDBREAK, &kCells,
         Lines{{u"ab cd", 0, 0}}, 30, 10},
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
        TextLayout got = LayoutText(text, box, 100, DT_WORDBREAK, kProportional);

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
    TextLayout got = LayoutText(text, 60, 100, DT_WORDBREAK, kCells);
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
constexpr int kSheetWidth = 48, kSheetHeight = 24;

using Art = std::vector<std::string>;
using sim::Rect;

// '.' paper, '#' ink, 'o' background colour, '+' a blend of them (an
// anti-aliased glyph's pixels that it covers only in part).
char Classify(COLORREF c) {
    return c == kPaper ? '.' : c == kInk ? '#' : c == kBack ? 'o' : '+';
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

const Art kBlank(kSheetHeight, std::string(kSheetWidth, '.'));

// The box around the pixels of the given classes; empty if there are none.
Rect Bounds(const Art &art, const std::string &classes = "#o+") {
    Rect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < int(art.size()); ++y)
        for (int x = 0; x < int(art[size_t(y)].size()); ++x)
            if (classes.find(art[size_t(y)][size_t(x)]) != std::string::npos)
                box = Rect{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                           std::max(box.bottom, y + 1)};
    return box.left == INT_MAX ? Rect{} : box;
}

bool Within(const Rect &inner, const Rect &outer) {
    return inner.Empty() || (inner.left >= outer.left && inner.top >= outer.top &&
                             inner.right <= outer.right && inner.bottom <= outer.bottom);
}

// Every pixel of a rectangle is of one of the classes.
bool AllOf(const Art &art, const Rect &r, const std::string &classes) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (classes.find(art[size_t(y)][size_t(x)]) == std::string::npos)
                return false;
    return true;
}

// `art` with everything outside `keep` turned to paper.
Art Masked(Art art, const Rect &keep) {
    for (int y = 0; y < int(art.size()); ++y)
        for (int x = 0; x < int(art[size_t(y)].size()); ++x)
            if (!keep.Contains(x, y))
                art[size_t(y)][size_t(x)] = '.';
    return art;
}

std::string Show(const Art &art) {
    std::string out = "\n";
    for (const std::string &row : art)
        out += row + "\n";
    return out;
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

// What the expectations below are worked out from: the font's own numbers,
// as a program reads them. Runs inside a device.
struct Measured {
    int height = 0, ascent = 0;
    int Width(const std::u16string &text) const {
        SIZE size{};
        HDC dc = GetDC(nullptr);
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        ReleaseDC(nullptr, dc);
        return size.cx;
    }
};

Measured Measure() {
    Measured m;
    HDC dc = GetDC(nullptr);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ReleaseDC(nullptr, dc);
    m.height = tm.tmHeight;
    m.ascent = tm.tmAscent;
    return m;
}

Art DrawOnSheet(const std::u16string &text, int count, RECT rect, UINT format, int bkMode) {
    return OnSheet(bkMode, [&](HDC dc) { DrawTextW(dc, text.c_str(), count, &rect, format); });
}

TEST(DrawTextOnDevice, Pixels) {
    using Check = std::function<void(const Art &, const Measured &)>;
    const RECT kWide{1, 1, kSheetWidth, kSheetHeight};
    struct Case {
        const char *name;
        std::u16string text;
        int count;
        RECT rect;
        UINT format;
        int bkMode;
        Check check;
    } cases[] = {
        {"plain", u"T", -1, kWide, DT_LEFT, TRANSPARENT,
         [](const Art &got, const Measured &m) {
             // Anti-aliased ink may spill a pixel past the advance.
             EXPECT_TRUE(Within(Bounds(got), Rect{1, 1, 2 + m.Width(u"T"), 1 + m.height}));
             EXPECT_FALSE(Bounds(got, "#+").Empty());
             EXPECT_TRUE(Bounds(got, "o").Empty());
             EXPECT_EQ(Bounds(got, "#+").bottom, 1 + m.ascent) << "stands on the baseline";
         }},
        {"count stops early", u"TT", 1, kWide, DT_LEFT, TRANSPARENT,
         [&](const Art &got, const Measured &) {
             EXPECT_EQ(got, DrawOnSheet(u"T", -1, kWide, DT_LEFT, TRANSPARENT));
         }},
        {"opaque fills the cells", u"T", -1, kWide, DT_LEFT, OPAQUE,
         [](const Art &got, const Measured &m) {
             Rect cell{1, 1, 1 + m.Width(u"T"), 1 + m.height};
             EXPECT_EQ(Bounds(got, "o"), cell);
             EXPECT_TRUE(AllOf(got, cell, "#o+"));
             EXPECT_TRUE(Within(Bounds(got), Rect{1, 1, 2 + m.Width(u"T"), 1 + m.height}));
         }},
        {"mnemonic underlined", u"&T", -1, kWide, DT_LEFT, TRANSPARENT,
         [&](const Art &got, const Measured &m) {
             Art plain = DrawOnSheet(u"T", -1, kWide, DT_LEFT, TRANSPARENT);
             // What the underline added: whole rows of ink under the
             // character, at or below the baseline.
             Art added = kBlank;
             for (size_t y = 0; y < got.size(); ++y)
                 for (size_t x = 0; x < got[y].size(); ++x)
                     if (got[y][x] != plain[y][x])
                         added[y][x] = got[y][x];
             Rect line = Bounds(added);
             ASSERT_FALSE(line.Empty());
             EXPECT_EQ(line.left, 1);
             EXPECT_EQ(line.right, 1 + m.Width(u"T"));
             EXPECT_GE(line.top, m.ascent);
             EXPECT_LE(line.bottom, 1 + m.height);
             EXPECT_TRUE(AllOf(got, line, "#"));
         }},
        {"clipped to the rectangle", u"TT", -1, RECT{1, 1, 5, kSheetHeight}, DT_LEFT, OPAQUE,
         [&](const Art &got, const Measured &) {
             Art whole = DrawOnSheet(u"TT", -1, kWide, DT_LEFT, OPAQUE);
             EXPECT_EQ(got, Masked(whole, Rect{1, 1, 5, kSheetHeight}));
             EXPECT_FALSE(Bounds(got, "#+").Empty());
         }},
        {"no clip draws past the rectangle", u"TT", -1, RECT{1, 1, 5, kSheetHeight},
         DT_LEFT | DT_NOCLIP, OPAQUE,
         [&](const Art &got, const Measured &) {
             EXPECT_EQ(got, DrawOnSheet(u"TT", -1, kWide, DT_LEFT, OPAQUE));
         }},
        {"right and bottom", u"T", -1, RECT{0, 0, kSheetWidth, kSheetHeight},
         DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, TRANSPARENT,
         [](const Art &got, const Measured &m) {
             int w = m.Width(u"T");
             Rect box = Bounds(got);
             EXPECT_TRUE(Within(
                 box, Rect{kSheetWidth - w, kSheetHeight - m.height, kSheetWidth, kSheetHeight}))
                 << "ink spilling past the advance is cut at the rectangle";
             EXPECT_GT(box.right, kSheetWidth - w / 2);
             EXPECT_EQ(Bounds(got, "#+").bottom, kSheetHeight - m.height + m.ascent);
         }},
        {"calcrect draws nothing", u"T", -1, kWide, DT_CALCRECT, OPAQUE,
         [](const Art &got, const Measured &) { EXPECT_EQ(got, kBlank); }},
        {"empty rectangle draws nothing", u"T", -1, RECT{1, 1, 1, kSheetHeight}, DT_LEFT, OPAQUE,
         [](const Art &got, const Measured &) { EXPECT_EQ(got, kBlank); }},
    };
    sim::Device d;
    test::RunInside(d, [&] {
        Measured m = Measure();
        for (const auto &c : cases) {
            SCOPED_TRACE(c.name);
            Art got = DrawOnSheet(c.text, c.count, c.rect, c.format, c.bkMode);
            SCOPED_TRACE(Show(got));
            c.check(got, m);
        }
    });
}

TEST(DrawTextOnDevice, ResultAndRectangle) {
    using M = const Measured &;
    struct Case {
        const char *name;
        int dpi;
        const char16_t *text;
        int count;
        std::function<RECT(M)> rect;
        UINT format;
        std::function<int(M)> result;
        std::function<RECT(M)> after; // null: the rectangle stays
    } cases[] = {
        {"calcrect one line", 96, u"abc", -1,
         [](M) {
             return RECT{10, 20, 100, 100};
         },
         DT_CALCRECT, [](M m) { return m.height; },
         [](M m) {
             return RECT{10, 20, 10 + m.Width(u"abc"), 20 + m.height};
         }},
        {"calcrect wraps at the width", 96, u"abc def", -1,
         [](M m) {
             return RECT{10, 20, 10 + m.Width(u"abc de"), 100};
         },
         DT_CALCRECT | DT_WORDBREAK, [](M m) { return 2 * m.height; },
         [](M m) {
             return RECT{10, 20, 10 + std::max(m.Width(u"abc"), m.Width(u"def")),
                         20 + 2 * m.height};
         }},
        {"calcrect widens for a long word", 96, u"abcdefgh", -1,
         [](M) {
             return RECT{10, 20, 20, 100};
         },
         DT_CALCRECT | DT_WORDBREAK, [](M m) { return m.height; },
         [](M m) {
             return RECT{10, 20, 10 + m.Width(u"abcdefgh"), 20 + m.height};
         }},
        {"calcrect counts characters", 96, u"abcdef", 3,
         [](M) {
             return RECT{10, 20, 100, 100};
         },
         DT_CALCRECT, [](M m) { return m.height; },
         [](M m) {
             return RECT{10, 20, 10 + m.Width(u"abc"), 20 + m.height};
         }},
        {"calcrect of nothing", 96, u"", -1,
         [](M) {
             return RECT{10, 20, 100, 100};
         },
         DT_CALCRECT, [](M) { return 0; },
         [](M) {
             return RECT{10, 20, 10, 20};
         }},
        {"calcrect at double DPI", 192, u"abc", -1,
         [](M) {
             return RECT{10, 20, 100, 100};
         },
         DT_CALCRECT, [](M m) { return m.height; },
         [](M m) {
             return RECT{10, 20, 10 + m.Width(u"abc"), 20 + m.height};
         }},
        {"calcrect over the whole range", 96, u"ab", -1,
         [](M) {
             return RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
         },
         DT_CALCRECT, [](M m) { return m.height; },
         [](M m) {
             return RECT{INT_MIN, INT_MIN, INT_MIN + m.Width(u"ab"), INT_MIN + m.height};
         }},
        {"calcrect at the far edge", 96, u"abc", -1,
         [](M) {
             return RECT{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX};
         },
         DT_CALCRECT, [](M m) { return m.height; },
         [](M) {
             return RECT{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX};
         }},
        {"height of two lines", 96, u"ab\ncd", -1,
         [](M) {
             return RECT{0, 0, 100, 100};
         },
         DT_LEFT, [](M m) { return 2 * m.height; }, nullptr},
        {"vcentre gives the bottom of the text", 96, u"ab", -1,
         [](M) {
             return RECT{0, 0, 100, 30};
         },
         DT_SINGLELINE | DT_VCENTER, [](M m) { return (30 - m.height) / 2 + m.height; }, nullptr},
        {"bottom gives the bottom of the text", 96, u"ab", -1,
         [](M) {
             return RECT{0, 0, 100, 30};
         },
         DT_SINGLELINE | DT_BOTTOM, [](M) { return 30; }, nullptr},
        {"drawing far off screen", 96, u"ab", -1,
         [](M) {
             return RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
         },
         DT_CENTER | DT_SINGLELINE | DT_VCENTER, [](M) { return INT_MAX; }, nullptr},
        {"nothing to draw", 96, u"", -1,
         [](M) {
             return RECT{0, 0, 100, 30};
         },
         DT_LEFT, [](M) { return 0; }, nullptr},
        {"null text", 96, nullptr, -1,
         [](M) {
             return RECT{0, 0, 100, 30};
         },
         DT_CALCRECT, [](M) { return 0; }, nullptr},
        {"count below -1", 96, u"abc", -2,
         [](M) {
             return RECT{0, 0, 100, 30};
         },
         DT_CALCRECT, [](M) { return 0; }, nullptr},
        {"most negative count", 96, u"abc", INT_MIN,
         [](M) {
             return RECT{0, 0, 100, 30};
         },
         DT_CALCRECT, [](M) { return 0; }, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        sim::Device d(sim::DeviceConfig{.width = 240, .height = 320, .dpi = c.dpi});
        test::RunInside(d, [&] {
            Measured m = Measure();
            RECT r = c.rect(m);
            RECT expected = c.after ? c.after(m) : r;
            int result = -1;
            OnSheet(TRANSPARENT,
                    [&](HDC dc) { result = DrawTextW(dc, c.text, c.count, &r, c.format); });
            EXPECT_EQ(result, c.result(m));
            EXPECT_EQ(r.left, expected.left);
            EXPECT_EQ(r.top, expected.top);
            EXPECT_EQ(r.right, expected.right);
            EXPECT_EQ(r.bottom, expected.bottom);
        });
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

Art TextOutOnSheet(int x, int y, UINT options, std::optional<RECT> rect, const std::u16string &text,
                   const Dx &dx, int bkMode, BOOL *ok = nullptr) {
    return OnSheet(bkMode, [&](HDC dc) {
        BOOL done = ExtTextOutW(dc, x, y, options, rect ? &*rect : nullptr, text.c_str(),
                                UINT(text.size()), dx.empty() ? nullptr : dx.data());
        if (ok)
            *ok = done;
    });
}

// `art` moved right by `dx` columns.
Art Shifted(const Art &art, int dx) {
    Art out = kBlank;
    for (size_t y = 0; y < art.size(); ++y)
        for (int x = 0; x < int(art[y].size()); ++x)
            if (x + dx >= 0 && x + dx < int(art[y].size()) && art[y][size_t(x)] != '.')
                out[y][size_t(x + dx)] = art[y][size_t(x)];
    return out;
}

TEST(ExtTextOutOnDevice, Pixels) {
    using Check = std::function<void(const Art &, const Art &plain, const Measured &)>;
    struct Case {
        const char *name;
        int x, y;
        UINT options;
        std::optional<RECT> rect;
        std::u16string text;
        Dx dx;
        int bkMode;
        Check check;
    } cases[] = {
        {"plain", 2, 1, 0, std::nullopt, u"T", Dx{}, TRANSPARENT,
         [](const Art &got, const Art &, const Measured &m) {
             EXPECT_TRUE(Within(Bounds(got), Rect{2, 1, 3 + m.Width(u"T"), 1 + m.height}));
             EXPECT_FALSE(Bounds(got, "#+").Empty());
             EXPECT_EQ(Bounds(got, "#+").bottom, 1 + m.ascent) << "the cell's top is at y";
         }},
        {"rectangle unused without options", 2, 1, 0, RECT{0, 0, 3, 3}, u"T", Dx{}, TRANSPARENT,
         [](const Art &got, const Art &plain, const Measured &) { EXPECT_EQ(got, plain); }},
        {"opaque rectangle under the text", 2, 1, ETO_OPAQUE, RECT{0, 0, 3, 3}, u"T", Dx{},
         TRANSPARENT,
         [](const Art &got, const Art &plain, const Measured &) {
             EXPECT_TRUE(AllOf(got, Rect{0, 0, 3, 3}, "o#+"));
             EXPECT_EQ(Masked(got, Rect{3, 0, kSheetWidth, kSheetHeight}),
                       Masked(plain, Rect{3, 0, kSheetWidth, kSheetHeight}));
             EXPECT_EQ(Masked(got, Rect{0, 3, kSheetWidth, kSheetHeight}),
                       Masked(plain, Rect{0, 3, kSheetWidth, kSheetHeight}));
         }},
        {"clipped", 2, 1, ETO_CLIPPED, RECT{0, 0, 5, 6}, u"T", Dx{}, TRANSPARENT,
         [](const Art &got, const Art &plain, const Measured &) {
             EXPECT_EQ(got, Masked(plain, Rect{0, 0, 5, 6}));
             EXPECT_FALSE(Bounds(got).Empty());
         }},
        {"spacing from dx", 2, 1, 0, std::nullopt, u"TT", Dx{15, 6}, TRANSPARENT,
         [](const Art &got, const Art &plain, const Measured &) {
             Art second = Masked(got, Rect{17, 0, kSheetWidth, kSheetHeight});
             EXPECT_EQ(second, Shifted(plain, 15));
             EXPECT_EQ(Masked(got, Rect{0, 0, 17, kSheetHeight}), plain);
         }},
        {"opaque background mode", 2, 1, 0, std::nullopt, u"T", Dx{}, OPAQUE,
         [](const Art &got, const Art &, const Measured &m) {
             Rect cell{2, 1, 2 + m.Width(u"T"), 1 + m.height};
             EXPECT_EQ(Bounds(got, "o"), cell);
             EXPECT_TRUE(AllOf(got, cell, "#o+"));
             EXPECT_TRUE(Within(Bounds(got), Rect{2, 1, 3 + m.Width(u"T"), 1 + m.height}));
         }},
        {"nothing but the rectangle", 2, 1, ETO_OPAQUE,
         RECT{kSheetWidth - 2, kSheetHeight - 2, 99, 99}, u"", Dx{}, OPAQUE,
         [](const Art &got, const Art &, const Measured &) {
             Art expected = kBlank;
             for (int y = kSheetHeight - 2; y < kSheetHeight; ++y)
                 expected[size_t(y)].replace(kSheetWidth - 2, 2, "oo");
             EXPECT_EQ(got, expected);
         }},
    };
    sim::Device d;
    test::RunInside(d, [&] {
        Measured m = Measure();
        Art plain = TextOutOnSheet(2, 1, 0, std::nullopt, u"T", Dx{}, TRANSPARENT);
        for (const auto &c : cases) {
            SCOPED_TRACE(c.name);
            BOOL ok = FALSE;
            Art got = TextOutOnSheet(c.x, c.y, c.options, c.rect, c.text, c.dx, c.bkMode, &ok);
            SCOPED_TRACE(Show(got));
            EXPECT_TRUE(ok);
            c.check(got, plain, m);
        }
    });
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
            EXPECT_TRUE(ExtTextOutW(dc, kSheetWidth + 4, 0, 0, nullptr, u"abc", 3, wild));
        });
        EXPECT_EQ(untouched, kBlank);
    });
}

// On a window's DC, text lands at the window's position and stays inside its
// clip region.
TEST(DrawTextOnDevice, WindowOriginAndClip) {
    sim::Device d;
    Art got;
    Measured m;
    test::RunInside(d, [&] {
        m = Measure();
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
    SCOPED_TRACE(Show(got));
    Rect visible{1, 1, 4, 1 + m.height};
    EXPECT_EQ(Bounds(got), visible);
    EXPECT_TRUE(AllOf(got, visible, "#o+"));
    EXPECT_FALSE(Bounds(got, "#+").Empty());
}

} // namespace
#endif
