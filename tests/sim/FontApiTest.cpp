// The font calls as programs make them: logical fonts, metrics, extents, and
// how bold, underlined and anti-aliased text lands on the 16-bit screen.
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using namespace test;

namespace {

LOGFONTW Logical(LONG height, LONG weight = FW_NORMAL, const char16_t *face = u"Tahoma") {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::u16string name(face);
    std::copy(name.begin(), name.end(), lf.lfFaceName);
    return lf;
}

TEST(FontApi, GetObjectGivesBackTheLogicalFont) {
    sim::Device d;
    RunInside(d, [&] {
        LOGFONTW made = Logical(-15, FW_BOLD, u"MS Shell Dlg");
        made.lfUnderline = 1;
        HFONT font = CreateFontIndirectW(&made);
        ASSERT_TRUE(font);
        EXPECT_EQ(GetObjectW(font, 0, nullptr), int(sizeof(LOGFONTW)));
        // The whole structure, and not a byte past it.
        std::vector<unsigned char> buffer(sizeof(LOGFONTW) + 4, 0xbd);
        EXPECT_EQ(GetObjectW(font, int(buffer.size()), buffer.data()), int(sizeof(LOGFONTW)));
        EXPECT_EQ(std::memcmp(buffer.data(), &made, sizeof made), 0);
        EXPECT_EQ(buffer[sizeof(LOGFONTW)], 0xbd);
        // A short buffer gets the start.
        LONG height = 0x5eed;
        EXPECT_EQ(GetObjectW(font, sizeof height, &height), int(sizeof height));
        EXPECT_EQ(height, -15);
        DeleteObject(font);

        SetLastError(0xdeadbeef);
        EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    });
}

// The stock fonts are Tahoma 8 pt at the screen's DPI.
TEST(FontApi, StockFontsAreTheSystemFont) {
    struct Case {
        int dpi;
        LONG height;
    } cases[] = {{96, -11}, {192, -21}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dpi);
        sim::Device d(sim::DeviceConfig{.width = 240, .height = 320, .dpi = c.dpi});
        RunInside(d, [&] {
            for (int stock : {SYSTEM_FONT, DEFAULT_GUI_FONT}) {
                LOGFONTW lf;
                std::memset(&lf, 0xbd, sizeof lf);
                ASSERT_EQ(GetObjectW(GetStockObject(stock), sizeof lf, &lf), int(sizeof lf));
                EXPECT_EQ(lf.lfHeight, c.height);
                EXPECT_EQ(lf.lfWeight, FW_NORMAL);
                EXPECT_EQ(std::u16string(lf.lfFaceName), u"Tahoma");
            }
        });
    }
}

TEST(FontApi, TextMetrics) {
    struct Case {
        const char *what;
        LONG height, weight;
        bool underline;
        LONG tmHeight, tmAscent, tmWeight; // 0: not checked
    } cases[] = {
        {"the system font", 0, FW_NORMAL, false, 13, 11, FW_NORMAL},
        {"8 pt by name", -11, FW_NORMAL, false, 13, 11, FW_NORMAL},
        {"a 13-pixel cell", 13, FW_NORMAL, false, 13, 11, FW_NORMAL},
        {"bold", -11, FW_BOLD, false, 13, 11, FW_BOLD},
        {"underlined", -11, FW_NORMAL, true, 13, 11, FW_NORMAL},
        {"larger", -16, FW_NORMAL, false, 0, 0, FW_NORMAL},
    };
    sim::Device d;
    RunInside(d, [&] {
        HDC dc = GetDC(nullptr);
        for (const auto &c : cases) {
            SCOPED_TRACE(c.what);
            LOGFONTW lf = Logical(c.height, c.weight);
            lf.lfUnderline = c.underline;
            HFONT font = CreateFontIndirectW(&lf);
            HGDIOBJ old = SelectObject(dc, font);
            TEXTMETRICW tm;
            std::memset(&tm, 0xbd, sizeof tm);
            ASSERT_TRUE(GetTextMetricsW(dc, &tm));
            if (c.tmHeight) {
                EXPECT_EQ(tm.tmHeight, c.tmHeight);
                EXPECT_EQ(tm.tmAscent, c.tmAscent);
            }
            EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
            EXPECT_EQ(tm.tmWeight, c.tmWeight);
            EXPECT_EQ(tm.tmUnderlined, c.underline ? 1 : 0);
            EXPECT_EQ(tm.tmItalic, 0);
            EXPECT_EQ(tm.tmDigitizedAspectX, 96);
            EXPECT_EQ(tm.tmPitchAndFamily & (TMPF_FIXED_PITCH | TMPF_TRUETYPE),
                      TMPF_FIXED_PITCH | TMPF_TRUETYPE)
                << "a variable-pitch TrueType font";
            EXPECT_GT(tm.tmMaxCharWidth, tm.tmAveCharWidth);
            EXPECT_EQ(tm.tmBreakChar, u' ');
            SelectObject(dc, old);
            DeleteObject(font);
        }
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(GetTextMetricsW(dc, nullptr));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        TEXTMETRICW tm{};
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(GetTextMetricsW(nullptr, &tm));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        ReleaseDC(nullptr, dc);
    });
}

TEST(FontApi, TextExtents) {
    sim::Device d;
    RunInside(d, [&] {
        HDC dc = GetDC(nullptr);
        auto extent = [&](const std::u16string &text) {
            SIZE size{-1, -1};
            EXPECT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size));
            return size;
        };
        EXPECT_EQ(extent(u"").cx, 0);
        EXPECT_EQ(extent(u"").cy, 13);
        EXPECT_EQ(extent(u"Tahoma").cy, 13);
        // Extents add up, character by character; no kerning.
        for (const std::u16string text : {u"Start", u"Calendar", u"Pointrel Error", u"WAVE"}) {
            SCOPED_TRACE(std::string(text.begin(), text.end()));
            LONG sum = 0;
            for (char16_t ch : text)
                sum += extent(std::u16string(1, ch)).cx;
            EXPECT_EQ(extent(text).cx, sum);
        }
        EXPECT_LT(extent(u"iiii").cx, extent(u"MMMM").cx);
        // A bold font is wider.
        LOGFONTW lf = Logical(0, FW_BOLD);
        HFONT bold = CreateFontIndirectW(&lf);
        LONG regular = extent(u"Calendar").cx;
        HGDIOBJ old = SelectObject(dc, bold);
        EXPECT_GT(extent(u"Calendar").cx, regular);
        SelectObject(dc, old);
        DeleteObject(bold);

        SIZE size{7, 7};
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(GetTextExtentPoint32W(dc, u"ab", -1, &size));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
        EXPECT_FALSE(GetTextExtentPoint32W(dc, nullptr, 2, &size));
        EXPECT_FALSE(GetTextExtentPoint32W(dc, u"ab", 2, nullptr));
        EXPECT_EQ(size.cx, 7) << "left unchanged";
        EXPECT_TRUE(GetTextExtentPoint32W(dc, nullptr, 0, &size));
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(GetTextExtentPoint32W(nullptr, u"ab", 2, &size));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        ReleaseDC(nullptr, dc);
    });
}

TEST(FontApi, TextExtentExPointFitsAndGivesPartialExtents) {
    sim::Device d;
    RunInside(d, [&] {
        HDC dc = GetDC(nullptr);
        const std::u16string text = u"Hello world";
        std::vector<LONG> cumulative;
        for (size_t i = 1; i <= text.size(); ++i) {
            SIZE s{};
            GetTextExtentPoint32W(dc, text.c_str(), int(i), &s);
            cumulative.push_back(s.cx);
        }
        struct Case {
            const char *what;
            int maxExtent;
            int fit;
        } cases[] = {
            {"nothing fits in nothing", 0, 0},
            {"exactly the first five", cumulative[4], 5},
            {"a pixel short of five", cumulative[4] - 1, 4},
            {"everything", INT_MAX, int(text.size())},
            {"a negative limit", -1, 0},
        };
        for (const auto &c : cases) {
            SCOPED_TRACE(c.what);
            int fit = -7;
            std::vector<INT> dx(text.size() + 1, 0x5eed);
            SIZE size{};
            ASSERT_TRUE(GetTextExtentExPointW(dc, text.c_str(), int(text.size()), c.maxExtent, &fit,
                                              dx.data(), &size));
            EXPECT_EQ(fit, c.fit);
            for (size_t i = 0; i < text.size(); ++i)
                EXPECT_EQ(dx[i], cumulative[i]) << i;
            EXPECT_EQ(dx[text.size()], 0x5eed) << "nothing written past the string";
            EXPECT_EQ(size.cx, cumulative.back());
            EXPECT_EQ(size.cy, 13);
        }
        // Without somewhere to put the count, the limit is not used.
        SIZE size{};
        EXPECT_TRUE(GetTextExtentExPointW(dc, text.c_str(), 5, 0, nullptr, nullptr, &size));
        EXPECT_EQ(size.cx, cumulative[4]);
        EXPECT_FALSE(GetTextExtentExPointW(dc, text.c_str(), -1, 0, nullptr, nullptr, &size));
        ReleaseDC(nullptr, dc);
    });
}

constexpr COLORREF kBlue = RGB(0x10, 0x30, 0x70);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

// Draws white text on the shell's blue in a window and reads the screen
// back, as a user would see it.
std::vector<COLORREF> OnScreen(sim::Device &d, const LOGFONTW &lf, const std::u16string &text,
                               int width, int height) {
    std::vector<COLORREF> pixels;
    RunInside(d, [&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = u"FontProbe";
        RegisterClassW(&wc);
        HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, u"FontProbe", u"", WS_POPUP | WS_VISIBLE, 20, 40,
                                    width, height, nullptr, nullptr, nullptr, nullptr);
        HDC dc = GetDC(hwnd);
        RECT all{0, 0, width, height};
        HBRUSH blue = CreateSolidBrush(kBlue);
        FillRect(dc, &all, blue);
        DeleteObject(blue);
        HFONT font = CreateFontIndirectW(&lf);
        HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kWhite);
        DrawTextW(dc, text.c_str(), -1, &all, DT_LEFT | DT_NOPREFIX);
        SelectObject(dc, old);
        DeleteObject(font);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(GetPixel(dc, x, y));
        ReleaseDC(hwnd, dc);
    });
    return pixels;
}

// The 565 screen's own colours for RGBs, read back from one device.
std::vector<COLORREF> On565(const std::vector<COLORREF> &colours) {
    sim::Device d;
    std::vector<COLORREF> out;
    RunInside(d, [&] {
        HDC dc = GetDC(nullptr);
        for (COLORREF c : colours) {
            SetPixel(dc, 0, 0, c);
            out.push_back(GetPixel(dc, 0, 0));
        }
        ReleaseDC(nullptr, dc);
    });
    return out;
}

COLORREF On565(COLORREF c) {
    return On565(std::vector<COLORREF>{c}).front();
}

TEST(FontApi, AntiAliasedTextBlendsInTheScreensColours) {
    const COLORREF paper = On565(kBlue), ink = On565(kWhite);
    struct Case {
        const char *what;
        BYTE quality;
        bool blends;
    } cases[] = {
        {"the standard smoothing", DEFAULT_QUALITY, true},
        {"asked for anti-aliasing", ANTIALIASED_QUALITY, true},
        {"asked for none", NONANTIALIASED_QUALITY, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        LOGFONTW lf = Logical(0);
        lf.lfQuality = c.quality;
        sim::Device d;
        std::vector<COLORREF> pixels = OnScreen(d, lf, u"Owner: Pocket PC", 100, 16);
        std::vector<COLORREF> blends;
        for (COLORREF p : pixels) {
            if (p == paper || p == ink)
                continue;
            blends.push_back(p);
            // Every channel lies between the paper's and the ink's.
            EXPECT_GE(GetRValue(p), GetRValue(paper));
            EXPECT_GE(GetGValue(p), GetGValue(paper));
            EXPECT_GE(GetBValue(p), GetBValue(paper));
        }
        EXPECT_EQ(!blends.empty(), c.blends) << blends.size() << " blended pixels";
        // And each is a colour the 565 screen can hold.
        EXPECT_EQ(On565(blends), blends);
        // The same text gives the same pixels on another device.
        sim::Device again;
        EXPECT_EQ(OnScreen(again, lf, u"Owner: Pocket PC", 100, 16), pixels);
    }
}

TEST(FontApi, BoldAndUnderlineShow) {
    // How much lighter than the paper the text made the picture.
    const int paper = GetGValue(On565(kBlue));
    auto light = [paper](const std::vector<COLORREF> &pixels) {
        int sum = 0;
        for (COLORREF p : pixels)
            sum += GetGValue(p) - paper;
        return sum;
    };
    const int width = 80, height = 16;
    sim::Device plainDevice, boldDevice, underDevice;
    std::vector<COLORREF> plain = OnScreen(plainDevice, Logical(0), u"Calendar", width, height);
    std::vector<COLORREF> bold =
        OnScreen(boldDevice, Logical(0, FW_BOLD), u"Calendar", width, height);
    LOGFONTW underlined = Logical(0);
    underlined.lfUnderline = 1;
    std::vector<COLORREF> under = OnScreen(underDevice, underlined, u"Calendar", width, height);
    EXPECT_GT(light(bold), light(plain) * 5 / 4) << "bold strokes are heavier";
    // The underline is one solid row below the baseline, as long as the text.
    SIZE extent{};
    RunInside(plainDevice, [&] {
        HDC dc = GetDC(nullptr);
        GetTextExtentPoint32W(dc, u"Calendar", 8, &extent);
        ReleaseDC(nullptr, dc);
    });
    const COLORREF ink = On565(kWhite);
    std::set<int> solidRows;
    for (int y = 0; y < height; ++y) {
        bool solid = true;
        for (int x = 0; x < extent.cx; ++x)
            solid = solid && under[size_t(y * width + x)] == ink;
        bool beyond = under[size_t(y * width + extent.cx)] == ink;
        if (solid && !beyond)
            solidRows.insert(y);
    }
    ASSERT_EQ(solidRows.size(), 1u);
    EXPECT_GE(*solidRows.begin(), 11) << "at or below the baseline";
    EXPECT_LT(*solidRows.begin(), 13) << "inside the cell";
}

} // namespace
