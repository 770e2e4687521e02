// Dialog base units from the dialog font, and dialog units mapped to pixels,
// as the platform computes them.
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace test;

namespace {

const WCHAR kLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct Units {
    int x, y;
};

// The platform's documented recipe, worked by hand from the font's numbers:
// the letters' extent over 52, rounded, and the cell height.
Units ByTheRecipe() {
    HDC dc = GetDC(nullptr);
    SIZE size{};
    GetTextExtentPoint32W(dc, kLetters, 52, &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ReleaseDC(nullptr, dc);
    return Units{(size.cx / 26 + 1) / 2, tm.tmHeight};
}

TEST(DialogUnits, BaseUnitsComeFromTheSystemFont) {
    struct Case {
        int dpi;
        Units documented; // 0: only the recipe is known
    } cases[] = {{96, {6, 13}}, {192, {12, 0}}, {131, {0, 0}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.dpi);
        sim::Device d(sim::DeviceConfig{.width = 240, .height = 320, .dpi = c.dpi});
        RunInside(d, [&] {
            LONG units = GetDialogBaseUnits();
            Units recipe = ByTheRecipe();
            EXPECT_EQ(LOWORD(units), recipe.x);
            EXPECT_EQ(HIWORD(units), recipe.y);
            if (c.documented.x) {
                EXPECT_EQ(LOWORD(units), c.documented.x);
            }
            if (c.documented.y) {
                EXPECT_EQ(HIWORD(units), c.documented.y);
            }
        });
    }
}

LRESULT CALLBACK Plain(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// 4 horizontal dialog units make an average character, 8 vertical ones the
// font's height; MulDiv rounds to the nearest pixel.
TEST(DialogUnits, MapDialogRectScalesAndRounds) {
    struct Case {
        const char *what;
        RECT dialogUnits;
        RECT pixels; // at 96 DPI: base units 6 x 13
    } cases[] = {
        {"one character", {0, 0, 4, 8}, {0, 0, 6, 13}},
        {"a typical control", {7, 7, 57, 21}, {11, 11, 86, 34}},
        {"halves round up", {1, 1, 3, 3}, {2, 2, 5, 5}},
        {"below a half rounds down", {0, 0, 1, 2}, {0, 0, 2, 3}},
        {"negative edges round away from zero", {-1, -1, -3, -3}, {-2, -2, -5, -5}},
        {"a whole screen", {0, 0, 160, 200}, {0, 0, 240, 325}},
    };
    sim::Device d;
    RunInside(d, [&] {
        HWND dialog = CreateWindowExW(0, u"Dialog", u"Units", WS_POPUP, 0, 0, 100, 100, nullptr,
                                      nullptr, nullptr, nullptr);
        ASSERT_TRUE(dialog);
        for (const auto &c : cases) {
            SCOPED_TRACE(c.what);
            RECT r = c.dialogUnits;
            EXPECT_TRUE(MapDialogRect(dialog, &r));
            EXPECT_EQ(r.left, c.pixels.left);
            EXPECT_EQ(r.top, c.pixels.top);
            EXPECT_EQ(r.right, c.pixels.right);
            EXPECT_EQ(r.bottom, c.pixels.bottom);
        }
        DestroyWindow(dialog);
    });
}

TEST(DialogUnits, MapDialogRectTakesOnlyDialogs) {
    sim::Device d;
    RunInside(d, [&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Plain;
        wc.lpszClassName = u"NotADialog";
        RegisterClassW(&wc);
        HWND plain = CreateWindowExW(0, u"NotADialog", u"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, nullptr, nullptr);
        HWND dialog = CreateWindowExW(0, u"Dialog", u"Units", WS_POPUP, 0, 0, 100, 100, nullptr,
                                      nullptr, nullptr, nullptr);
        const RECT seed{4, 8, 4, 8};
        struct Case {
            const char *what;
            HWND hwnd;
            bool withRect;
            DWORD error;
        } cases[] = {
            {"an ordinary window", plain, true, ERROR_INVALID_WINDOW_HANDLE},
            {"no window", nullptr, true, ERROR_INVALID_WINDOW_HANDLE},
            {"a dialog but no rectangle", dialog, false, ERROR_INVALID_PARAMETER},
        };
        for (const auto &c : cases) {
            SCOPED_TRACE(c.what);
            RECT r = seed;
            SetLastError(0xdeadbeef);
            EXPECT_FALSE(MapDialogRect(c.hwnd, c.withRect ? &r : nullptr));
            EXPECT_EQ(GetLastError(), c.error);
            EXPECT_EQ(r.left, seed.left) << "left unchanged";
            EXPECT_EQ(r.bottom, seed.bottom);
        }
        DestroyWindow(dialog);
        DestroyWindow(plain);
    });
}

} // namespace
