// The device shell: its windows where programs look for them, its menus under
// keys and taps, the focus it hands back, and its layout after a rotation.
#include "support/Devices.h"
#include "support/Win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

using namespace test;

namespace {

const std::u16string kShell = u"\\Windows\\shell32.exe";

struct Screen {
    int width, height, dpi;
};

sim::DeviceConfig ConfigFor(const Screen &s) {
    sim::DeviceConfig config;
    config.width = s.width;
    config.height = s.height;
    config.dpi = s.dpi;
    return config;
}

// One thing a user does; each lets device time pass after it.
struct Step {
    enum Kind { Key, Tap, Down, Move, Up } kind;
    int a, b = 0;
};

void Do(sim::Device &d, const Step &s) {
    switch (s.kind) {
    case Step::Key: HoldKey(d, s.a, 50); break;
    case Step::Tap:
        d.StylusDown(s.a, s.b);
        d.Wait(100);
        d.StylusUp(s.a, s.b);
        break;
    case Step::Down: d.StylusDown(s.a, s.b); break;
    case Step::Move: d.StylusMove(s.a, s.b); break;
    case Step::Up: d.StylusUp(s.a, s.b); break;
    }
    d.Wait(50);
}

std::vector<std::string> Texts(const std::vector<sim::TraceEvent> &events) {
    std::vector<std::string> out;
    for (const sim::TraceEvent &e : events)
        out.push_back(e.text);
    return out;
}

std::vector<std::string> MenuEvents(const sim::Device &d) {
    return Texts(EventsStarting(d, "menu "));
}

// The work area as programs read it.
sim::Rect WorkArea(sim::Device &d) {
    RECT r{};
    RunInside(d, [&] { SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0); });
    return sim::Rect{r.left, r.top, r.right, r.bottom};
}

std::vector<uint32_t> Row(sim::Device &d, int left, int right, int y) {
    std::vector<uint32_t> row;
    for (int x = left; x < right; ++x)
        row.push_back(d.PixelAt(x, y));
    return row;
}

} // namespace

TEST(DeviceShell, WindowsStandWhereProgramsLookForThem) {
    struct Case {
        Screen screen;
        sim::Rect taskBar, softKeys, sip;
    };
    const Case cases[] = {
        {{240, 320, 96}, {0, 0, 240, 26}, {0, 294, 240, 320}, {108, 294, 132, 320}},
        {{480, 640, 192}, {0, 0, 480, 52}, {0, 588, 480, 640}, {216, 588, 264, 640}},
        {{320, 240, 96}, {0, 0, 320, 26}, {0, 214, 320, 240}, {148, 214, 172, 240}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.screen.width);
        sim::Device d(ConfigFor(c.screen));
        d.Wait(0);
        auto windows = d.TopLevelWindows();
        ASSERT_EQ(windows.size(), 4u);
        // From the top: the input panel button over the soft-key bar, and the
        // today screen under everything.
        const std::u16string order[] = {u"MS_SIPBUTTON", u"MS_SOFTKEY_CE_1.0", u"HHTaskBar",
                                        u"DesktopExplorerWindow"};
        const sim::Rect rects[] = {c.sip, c.softKeys, c.taskBar,
                                   sim::Rect{0, 0, c.screen.width, c.screen.height}};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(windows[i].className, order[i]);
            EXPECT_EQ(windows[i].rect, rects[i]) << sim::Narrow(order[i]);
            EXPECT_TRUE(windows[i].visible);
            EXPECT_EQ(windows[i].pid, 1u) << "the shell is the first process";
        }
        EXPECT_EQ(WorkArea(d), (sim::Rect{0, c.taskBar.bottom, c.screen.width, c.softKeys.top}));
    }
}

TEST(DeviceShell, WithoutTheShellThereAreNoShellWindows) {
    sim::Device d(sim::DeviceConfig{240, 320, 96, false});
    d.Wait(0);
    d.StylusDown(10, 10);
    d.Wait(100);
    d.StylusUp(10, 10);
    d.Wait(100);
    EXPECT_TRUE(d.TopLevelWindows().empty());
    EXPECT_TRUE(d.Processes().empty());
    EXPECT_TRUE(MenuEvents(d).empty());
    EXPECT_EQ(WorkArea(d), (sim::Rect{0, 0, 240, 320}));
}

TEST(DeviceShell, TheShellRunsForTheDevicesWholeLife) {
    sim::Device d;
    d.Wait(10 * 60 * 1000);
    ASSERT_EQ(d.Processes().size(), 1u);
    EXPECT_EQ(d.Processes()[0].pid, 1u);
    EXPECT_EQ(d.Processes()[0].path, kShell);
    EXPECT_EQ(Texts(EventsStarting(d, "process")),
              std::vector<std::string>{"process start 1 \"\\Windows\\shell32.exe\""});
}

// A menu is as wide as its longest item in the system font, with s(8)
// pixels either side and a border of s(1).
int MenuWidth(sim::Device &d, const std::vector<std::u16string> &items) {
    int widest = 0, dpi = 0;
    RunInside(d, [&] {
        HDC dc = GetDC(nullptr);
        dpi = GetDeviceCaps(dc, LOGPIXELSY);
        for (const std::u16string &item : items) {
            SIZE size{};
            GetTextExtentPoint32W(dc, item.c_str(), int(item.size()), &size);
            widest = std::max<int>(widest, size.cx);
        }
        ReleaseDC(nullptr, dc);
    });
    auto s = [dpi](int v) { return (v * dpi + 48) / 96; };
    return widest + 2 * s(8) + 2 * s(1);
}

TEST(DeviceShell, MenusOpenBesideTheirBars) {
    // Left, top and bottom; the width comes from the items' text.
    struct Case {
        Screen screen;
        sim::Rect start, menu;
    };
    const Case cases[] = {
        {{240, 320, 96}, {0, 26, 0, 108}, {0, 232, 240, 294}},
        {{480, 640, 192}, {0, 52, 0, 216}, {0, 464, 480, 588}},
        {{320, 240, 96}, {0, 26, 0, 108}, {0, 152, 320, 214}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.screen.width);
        sim::Device d(ConfigFor(c.screen));
        sim::Rect start = c.start, menu = c.menu;
        start.right = start.left + MenuWidth(d, {u"Today", u"Programs", u"Settings", u"Help"});
        menu.left = menu.right - MenuWidth(d, {u"Settings", u"Help", u"About"});
        int bar = c.screen.height - c.start.top; // a point inside each bar
        Do(d, {Step::Tap, c.start.top / 2, c.start.top / 2});
        auto opened = d.FindTopmost(u"MNU");
        ASSERT_TRUE(opened);
        EXPECT_EQ(opened->title, u"Start");
        EXPECT_EQ(opened->rect, start);
        EXPECT_EQ(opened->pid, 1u);
        Do(d, {Step::Key, VK_LEFT});
        ASSERT_FALSE(d.FindTopmost(u"MNU"));

        Do(d, {Step::Tap, c.screen.width - 10, bar + c.start.top / 2});
        opened = d.FindTopmost(u"MNU");
        ASSERT_TRUE(opened);
        EXPECT_EQ(opened->title, u"Menu");
        EXPECT_EQ(opened->rect, menu);
        EXPECT_EQ(d.TopLevelWindows().front().className, u"MNU") << "above the bars";
    }
}

TEST(DeviceShell, TheStartMenuAnswersKeysAndTaps) {
    // At 96 DPI the items are 20 pixels high from y 27: Today, Programs,
    // Settings, Help.
    const int kToday = 37, kPrograms = 57, kSettings = 77, kHelp = 97;
    struct Case {
        const char *what;
        std::vector<Step> steps;
        std::vector<std::string> events;
        bool stillOpen;
    };
    const Step open{Step::Tap, 10, 10};
    const Step down{Step::Key, VK_DOWN}, up{Step::Key, VK_UP}, ret{Step::Key, VK_RETURN};
    const Case cases[] = {
        // Programs opens the list of the device's shortcuts, a menu of its own.
        {"down, down, return",
         {open, down, down, ret},
         {"menu \"Start\" chose \"Programs\""},
         true},
        {"up from nothing wraps to the end",
         {open, up, ret},
         {"menu \"Start\" chose \"Help\""},
         false},
        {"down past the end wraps",
         {open, down, down, down, down, down, ret},
         {"menu \"Start\" chose \"Today\""},
         false},
        {"left closes", {open, {Step::Key, VK_LEFT}}, {"menu \"Start\" closed"}, false},
        {"return with nothing selected", {open, ret}, {}, true},
        {"other keys do nothing", {open, {Step::Key, VK_RIGHT}, {Step::Key, 'A'}}, {}, true},
        {"tap on an item",
         {open, {Step::Tap, 30, kSettings}},
         {"menu \"Start\" chose \"Settings\""},
         false},
        {"tap then keys",
         {open, {Step::Tap, 30, kToday}, ret},
         {"menu \"Start\" chose \"Today\""},
         false},
        {"press and release on different items",
         {open, {Step::Down, 30, kPrograms}, {Step::Move, 30, kHelp}, {Step::Up, 30, kHelp}},
         {},
         true},
        {"press, slide off and back",
         {open, {Step::Down, 30, kPrograms}, {Step::Move, 150, 200}, {Step::Up, 30, kPrograms}},
         {"menu \"Start\" chose \"Programs\""},
         true},
        {"tap outside", {open, {Step::Tap, 150, 200}}, {"menu \"Start\" closed"}, false},
        {"tap on the border", {open, {Step::Tap, 30, 107}}, {}, true},
        {"tap on the Start button again", {open, open}, {"menu \"Start\" closed"}, false},
        {"press on Start, slide to an item and lift",
         {{Step::Down, 10, 10}, {Step::Move, 30, kHelp}, {Step::Up, 30, kHelp}},
         {"menu \"Start\" chose \"Help\""},
         false},
        {"press on Start and lift beside it",
         {{Step::Down, 10, 10}, {Step::Move, 100, 10}, {Step::Up, 100, 10}},
         {},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        for (const Step &s : c.steps)
            Do(d, s);
        EXPECT_EQ(MenuEvents(d), c.events);
        EXPECT_EQ(d.FindTopmost(u"MNU").has_value(), c.stillOpen);
        if (!c.stillOpen) {
            // A closed menu lets the next tap through to where it lands.
            Do(d, {Step::Tap, 10, 10});
            EXPECT_TRUE(d.FindTopmost(u"MNU"));
        }
    }
}

TEST(DeviceShell, SoftKeys) {
    struct Case {
        const char *what;
        std::vector<Step> steps;
        std::vector<std::string> events;
        const char16_t *menu; // the menu left open, if any
    };
    // 240 x 320: the left key is x 0..119, the right key 120..239, the input
    // panel button 108..131 over both; the bar is y 294..319.
    const Case cases[] = {
        {"tap on the left key", {{Step::Tap, 40, 300}}, {"softkey \"Calendar\""}, nullptr},
        {"press left, lift on the right",
         {{Step::Down, 40, 300}, {Step::Move, 200, 300}, {Step::Up, 200, 300}},
         {},
         nullptr},
        {"press left, lift above the bar",
         {{Step::Down, 40, 300}, {Step::Up, 40, 200}},
         {},
         nullptr},
        {"tap on the input panel button", {{Step::Tap, 120, 300}}, {}, nullptr},
        {"tap on the right key", {{Step::Tap, 200, 300}}, {}, u"Menu"},
        {"right key, then keys",
         {{Step::Tap, 200, 300}, {Step::Key, VK_DOWN}, {Step::Key, VK_RETURN}},
         {"menu \"Menu\" chose \"Settings\""},
         nullptr},
        {"right key, tap on About",
         {{Step::Tap, 200, 300}, {Step::Tap, 200, 283}},
         {"menu \"Menu\" chose \"About\""},
         nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        for (const Step &s : c.steps)
            Do(d, s);
        auto events = Texts(EventsStarting(d, "softkey "));
        for (const std::string &e : MenuEvents(d))
            events.push_back(e);
        EXPECT_EQ(events, c.events);
        auto menu = d.FindTopmost(u"MNU");
        ASSERT_EQ(menu.has_value(), c.menu != nullptr);
        if (menu) {
            EXPECT_EQ(menu->title, c.menu);
        }
    }
}

TEST(DeviceShell, TheFocusGoesBackToTheProgramWhenAMenuCloses) {
    sim::Device d;
    d.CreateScriptWindow(u"App", u"App", sim::Rect{0, 26, 240, 294}, false);
    auto keysToApp = [&] { return EventsStarting(d, "window App key down").size(); };
    // Taps on the bars leave the program active.
    Do(d, {Step::Tap, 40, 300});
    Do(d, {Step::Tap, 120, 300});
    Do(d, {Step::Tap, 150, 10});
    Do(d, {Step::Key, VK_DOWN});
    EXPECT_EQ(keysToApp(), 1u);

    Do(d, {Step::Tap, 10, 10});
    EXPECT_EQ(d.Foreground()->className, u"MNU");
    Do(d, {Step::Key, VK_DOWN});
    EXPECT_EQ(keysToApp(), 1u) << "the open menu has the keys";
    Do(d, {Step::Key, VK_LEFT});
    EXPECT_EQ(d.Foreground()->className, u"App");
    Do(d, {Step::Key, VK_DOWN});
    EXPECT_EQ(keysToApp(), 2u);
    EXPECT_EQ(EventsStarting(d, "window App activated").size(), 2u);
    EXPECT_TRUE(EventsStarting(d, "window App stylus").empty())
        << "no tap went through to the program";
}

TEST(DeviceShell, ATapThatClosesAMenuGoesNoFurther) {
    sim::Device d;
    d.CreateScriptWindow(u"Under", u"", sim::Rect{100, 150, 200, 250}, false);
    Do(d, {Step::Tap, 10, 10});
    Do(d, {Step::Tap, 150, 200});
    EXPECT_EQ(MenuEvents(d), std::vector<std::string>{"menu \"Start\" closed"});
    EXPECT_TRUE(EventsStarting(d, "window Under stylus").empty());
    Do(d, {Step::Tap, 150, 200});
    EXPECT_EQ(EventsStarting(d, "window Under stylus").size(), 2u);
}

TEST(DeviceShell, OneMenuAtATime) {
    sim::Device d;
    Do(d, {Step::Tap, 10, 10});
    // A tap that reaches the soft-key bar all the same (another program
    // posts it there) opens the bar's menu, which closes the Start menu.
    d.Post(u"MS_SOFTKEY_CE_1.0", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 6));
    d.Post(u"MS_SOFTKEY_CE_1.0", WM_LBUTTONUP, 0, MAKELPARAM(200, 6));
    d.Wait(100);
    EXPECT_EQ(MenuEvents(d), std::vector<std::string>{"menu \"Start\" closed"});
    int menus = 0;
    for (const sim::WindowInfo &w : d.TopLevelWindows())
        menus += w.className == u"MNU";
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(d.FindTopmost(u"MNU")->title, u"Menu");
}

TEST(DeviceShell, AMenuClosesWhenAnotherWindowBecomesActive) {
    sim::Device d;
    Do(d, {Step::Tap, 10, 10});
    d.CreateScriptWindow(u"Popup", u"", sim::Rect{20, 60, 200, 200}, true);
    d.Wait(10);
    EXPECT_EQ(MenuEvents(d), std::vector<std::string>{"menu \"Start\" closed"});
    EXPECT_FALSE(d.FindTopmost(u"MNU"));
    Do(d, {Step::Key, VK_DOWN});
    EXPECT_EQ(EventsStarting(d, "window Popup key down").size(), 1u);
}

TEST(DeviceShell, ARotationLaysTheWindowsOutAgain) {
    struct Case {
        Screen from, to;
        sim::Rect taskBar, softKeys, sip;
    };
    const Case cases[] = {
        {{240, 320, 96}, {320, 240, 96}, {0, 0, 320, 26}, {0, 214, 320, 240}, {148, 214, 172, 240}},
        {{240, 320, 96},
         {480, 640, 192},
         {0, 0, 480, 52},
         {0, 588, 480, 640},
         {216, 588, 264, 640}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.to.width);
        sim::Device d(ConfigFor(c.from));
        Do(d, {Step::Tap, 10, 10}); // a menu placed for the old screen
        d.SetScreen(c.to.width, c.to.height, c.to.dpi);
        d.Wait(0);
        EXPECT_EQ(d.FindTopmost(u"HHTaskBar")->rect, c.taskBar);
        EXPECT_EQ(d.FindTopmost(u"MS_SOFTKEY_CE_1.0")->rect, c.softKeys);
        EXPECT_EQ(d.FindTopmost(u"MS_SIPBUTTON")->rect, c.sip);
        EXPECT_EQ(d.FindTopmost(u"DesktopExplorerWindow")->rect,
                  (sim::Rect{0, 0, c.to.width, c.to.height}));
        EXPECT_EQ(MenuEvents(d), std::vector<std::string>{"menu \"Start\" closed"});
        EXPECT_FALSE(d.FindTopmost(u"MNU"));
        // The new soft-key bar answers at its new place.
        Do(d, {Step::Tap, 10, c.to.height - 5});
        EXPECT_EQ(EventsStarting(d, "softkey ").size(), 1u);
        // And the screen shows the bars where they now are.
        EXPECT_NE(d.PixelAt(c.to.width - 2, c.to.height - 3), d.PixelAt(c.to.width - 2, 100));
        EXPECT_EQ(WorkArea(d), (sim::Rect{0, c.taskBar.bottom, c.to.width, c.softKeys.top}));
    }
}

TEST(DeviceShell, TheShellShowsOnTheScreen) {
    sim::Device d;
    d.Wait(0);
    uint32_t desktop = d.PixelAt(230, 200);
    uint32_t taskBar = d.PixelAt(130, 2);
    uint32_t softKeys = d.PixelAt(100, 318);
    EXPECT_NE(taskBar, desktop);
    EXPECT_NE(softKeys, desktop);
    EXPECT_NE(Row(d, 0, 26, 13), std::vector<uint32_t>(26, taskBar)) << "the Start glyph";
    EXPECT_NE(Row(d, 108, 132, 307), std::vector<uint32_t>(24, d.PixelAt(108, 307)))
        << "the keyboard glyph";
    EXPECT_NE(Row(d, 0, 120, 307), std::vector<uint32_t>(120, softKeys)) << "a soft key's text";
    EXPECT_NE(Row(d, 0, 120, 40), std::vector<uint32_t>(120, desktop)) << "the today text";

    // The clock turns with device time.
    std::vector<uint32_t> clock = Row(d, 180, 240, 13);
    d.Wait(59 * 1000);
    EXPECT_EQ(Row(d, 180, 240, 13), clock);
    d.Wait(61 * 60 * 1000);
    EXPECT_NE(Row(d, 180, 240, 13), clock);
}

TEST(DeviceShell, AMenuRepaintsWhatComesBackIntoView) {
    sim::Device d;
    Do(d, {Step::Tap, 10, 10});
    std::vector<uint32_t> programs = Row(d, 0, 66, 57);
    // A window of another program passes over the menu without taking the
    // focus (which would close the menu), then goes.
    d.StartFunction(u"\\Temp\\cover.exe", [] {
        // Paints itself black and ends the loop when it goes.
        WNDPROC cover = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (msg == WM_PAINT) {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(hwnd, &ps);
                RECT r{0, 0, 240, 80};
                FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
                EndPaint(hwnd, &ps);
                return 0;
            }
            if (msg == WM_DESTROY)
                PostQuitMessage(0);
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        };
        RegisterWindowClass(u"Cover", cover);
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, u"Cover", u"", WS_POPUP | WS_VISIBLE, 0,
                        40, 240, 80, nullptr, nullptr, nullptr, nullptr);
        PumpUntilQuit();
        return 0u;
    });
    d.Wait(10);
    ASSERT_TRUE(d.FindTopmost(u"MNU"));
    EXPECT_NE(Row(d, 0, 66, 57), programs);
    d.Post(u"Cover", WM_CLOSE, 0, 0);
    d.Wait(10);
    EXPECT_FALSE(d.FindTopmost(u"Cover"));
    EXPECT_EQ(Row(d, 0, 66, 57), programs);
}

// The task bar's title and the soft keys' labels are bold, as on a Windows
// Mobile 6 device: their ink reaches as far as the bold text's extent, past
// where the regular text would end.
TEST(DeviceShell, TitleAndSoftKeysAreBold) {
    struct Case {
        const char *what;
        std::u16string text;
        int left, top, right, bottom; // where to look, at 96 DPI
        int boxLeft, boxRight;        // where it is centred; 0, 0: left-aligned
    } cases[] = {
        {"the task bar's title", u"Start", 32, 0, 120, 26, 0, 0},
        {"the left soft key", u"Calendar", 0, 295, 108, 320, 0, 120},
        {"the right soft key", u"Menu", 132, 295, 240, 320, 120, 240},
    };
    sim::Device d;
    d.Wait(10);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        int regular = 0, bold = 0;
        RunInside(d, [&] {
            HDC dc = GetDC(nullptr);
            SIZE size{};
            GetTextExtentPoint32W(dc, c.text.c_str(), int(c.text.size()), &size);
            regular = size.cx;
            LOGFONTW lf{};
            GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
            lf.lfWeight = FW_BOLD;
            HFONT font = CreateFontIndirectW(&lf);
            HGDIOBJ old = SelectObject(dc, font);
            GetTextExtentPoint32W(dc, c.text.c_str(), int(c.text.size()), &size);
            bold = size.cx;
            SelectObject(dc, old);
            DeleteObject(font);
            ReleaseDC(nullptr, dc);
        });
        ASSERT_GT(bold, regular);
        // The columns where the label's white ink shows.
        const uint32_t bar = d.PixelAt(c.left, c.bottom - 2);
        int first = INT_MAX, last = INT_MIN;
        for (int y = c.top + 3; y < c.bottom - 3; ++y)
            for (int x = c.left; x < c.right; ++x)
                if (d.PixelAt(x, y) != bar && GetGValue(d.PixelAt(x, y)) > 0xC0) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        ASSERT_NE(first, INT_MAX);
        int inked = last - first + 1;
        EXPECT_GT(inked, regular) << "wider than regular text";
        EXPECT_LE(inked, bold + 1);
        // The pen starts there; a glyph's ink may start a pixel or two in.
        int pen = c.boxRight ? c.boxLeft + (c.boxRight - c.boxLeft - bold) / 2 : c.left;
        EXPECT_GE(first, pen);
        EXPECT_LE(first, pen + 2);
    }
}
