// The cursor among other windows: staying on top, home screens, the task
// bar, the platform version and the window search at a point.
#include "ShellWindows.h"
#include "support/Devices.h"
#include "support/Win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace test;

namespace {

uint32_t InstallAndStart(sim::Device &d) {
    sim::InstallPackage(d);
    return StartCursor(d);
}

} // namespace

TEST(ShellDetection, ATopMostWindowAboveTheCursorGoesDirectlyBelowIt) {
    sim::Device d(NoShell());
    InstallAndStart(d);
    d.CreateScriptWindow(u"App", u"", sim::Rect{0, 0, 240, 320}, true);
    d.CreateScriptWindow(u"Manila", u"", sim::Rect{0, 0, 240, 320}, false);
    EXPECT_EQ(ZOrder(d), (std::vector<std::u16string>{u"App", kCursorClass, u"Manila"}));
    d.Wait(100);
    EXPECT_EQ(ZOrder(d), (std::vector<std::u16string>{kCursorClass, u"App", u"Manila"}));
    EXPECT_EQ(EventsStarting(d, "window App activated").size(), 1u) << "only when it was made";
}

TEST(ShellDetection, ATouchOnTheCursorRunsTheUpkeepAtOnce) {
    sim::Device d(NoShell());
    uint32_t pid = InstallAndStart(d);
    // Just after a run of the 100-ms upkeep, a top-most window comes over
    // the cursor; the stylus on the cursor does not wait for the next run.
    uint64_t runs = d.Calls(pid)["GetWindow"];
    while (d.Calls(pid)["GetWindow"] == runs)
        d.Wait(1);
    d.CreateScriptWindow(u"App", u"", sim::Rect{0, 0, 40, 40}, true);
    ASSERT_EQ(ZOrder(d).front(), u"App");
    sim::Rect c = CursorRect(d);
    d.StylusDown(c.left, c.top);
    d.Wait(1);
    EXPECT_EQ(ZOrder(d).front(), kCursorClass);
    d.StylusUp(c.left, c.top);
}

TEST(ShellDetection, ExemptWindowsStayOnTopAndHomeScreensHideTheCursor) {
    struct Case {
        std::u16string className;
        bool staysOnTop; // a small top-most window of the class
        bool hides;      // a full-screen window of the class under the cursor
    };
    const Case cases[] = {
        {u"SpbNow_MainWindow", true, true},
        {u"HTC Home Plugin", true, true},
        {u"Manila", true, true},
        {u"SkinnerClass_Winterface", true, true},
        {u"menu_worker", true, false},
        {u"Worker", true, false},
        {u"Other", false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(sim::Narrow(c.className));
        sim::Device top(NoShell());
        InstallAndStart(top);
        top.CreateScriptWindow(c.className, u"", sim::Rect{0, 0, 40, 40}, true);
        top.Wait(500);
        EXPECT_EQ(ZOrder(top).front() == c.className, c.staysOnTop);

        sim::Device under(NoShell());
        InstallAndStart(under);
        under.CreateScriptWindow(c.className, u"", sim::Rect{0, 0, 240, 320}, false);
        under.Wait(1000);
        EXPECT_EQ(under.FindTopmost(kCursorClass)->visible, !c.hides);
    }
}

TEST(ShellDetection, NewerShellsAlternateAroundAMenu) {
    const std::vector<std::u16string> newer = {u"MNU", kCursorClass, u"App"};
    const std::vector<std::u16string> older = {u"App", kCursorClass, u"MNU"};
    std::vector<uint8_t> unterminated = Utf16(u"6.1"), oddLength = Utf16z(u"6.1");
    oddLength.push_back(0);
    struct Case {
        const char *what;
        std::vector<uint8_t> aku;
        std::vector<std::u16string> afterOneRun;
    };
    const Case cases[] = {{"5.2.1", Utf16z(u"5.2.1"), newer},
                          {".2.3.0", Utf16z(u".2.3.0"), older},
                          {"long digits", Utf16z(u"99999999999999999999999"), newer},
                          {"empty", Utf16z(u""), older},
                          {"no bytes", {}, older},
                          {"unterminated", unterminated, older},
                          {"odd length", oddLength, older}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d(NoShell());
        SetValue(d, u"HKLM\\System\\Versions", u"AKU", REG_SZ, c.aku);
        InstallAndStart(d);
        // Make both windows between two runs of the upkeep.
        d.Wait(50);
        d.CreateScriptWindow(u"App", u"", sim::Rect{0, 200, 240, 260}, true);
        d.CreateScriptWindow(u"MNU", u"", sim::Rect{0, 100, 100, 160}, true);
        d.Wait(100);
        EXPECT_EQ(ZOrder(d), c.afterOneRun);
        d.Wait(100);
        EXPECT_EQ(ZOrder(d).front(), kCursorClass);
    }
}

TEST(ShellDetection, HidesOverAnAddOnHomeScreenAndComesBack) {
    sim::Device d(NoShell());
    uint32_t pid = InstallAndStart(d);
    d.CreateScriptWindow(u"HTC Home Plugin", u"", sim::Rect{0, 0, 240, 320}, false);
    d.Wait(1000);
    EXPECT_FALSE(d.FindTopmost(kCursorClass)->visible);
    EXPECT_EQ(d.Calls(pid)["UnregisterHotKey"], 25u) << "the keys are let go";
    d.DestroyScriptWindow(u"HTC Home Plugin");
    d.Wait(1000);
    EXPECT_TRUE(d.FindTopmost(kCursorClass)->visible);
    EXPECT_EQ(d.Calls(pid)["RegisterHotKey"], 50u);
}

TEST(ShellDetection, AWindowOverTheTaskBarIsCutToTheWorkArea) {
    sim::Device d(NoShell());
    d.CreateScriptWindow(u"Desktop", u"", sim::Rect{0, 0, 240, 320}, false);
    d.CreateScriptWindow(u"HHTaskBar", u"", sim::Rect{0, 0, 240, 26}, true);
    RunInside(d, [] {
        RECT work{0, 26, 240, 294};
        SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);
    });
    InstallAndStart(d);
    d.CreateScriptWindow(u"App", u"", sim::Rect{0, 0, 240, 320}, true);
    d.Wait(6000);
    EXPECT_FALSE(d.FindTopmost(u"App")->shape);
    d.Wait(1000);
    ASSERT_TRUE(d.FindTopmost(u"App")->shape);
    EXPECT_EQ(*d.FindTopmost(u"App")->shape, (sim::Rect{0, 26, 240, 294}));
}

TEST(ShellDetection, TheTaskBarIsOnTopAfterTheCursorCloses) {
    sim::Device d(NoShell());
    d.CreateScriptWindow(u"Desktop", u"", sim::Rect{0, 0, 240, 320}, false);
    d.CreateScriptWindow(u"HHTaskBar", u"", sim::Rect{0, 0, 240, 26}, true);
    InstallAndStart(d);
    d.CreateScriptWindow(u"App", u"", sim::Rect{0, 30, 240, 60}, true);
    d.Wait(200);
    EXPECT_EQ(ZOrder(d),
              (std::vector<std::u16string>{kCursorClass, u"App", u"HHTaskBar", u"Desktop"}));
    StartCursor(d); // a second start closes it
    EXPECT_EQ(ZOrder(d), (std::vector<std::u16string>{u"HHTaskBar", u"App", u"Desktop"}));
}

TEST(ShellDetection, WindowAtPointHonoursRegionsAndSkips) {
    sim::Device d(NoShell());
    std::vector<HWND> found;
    HWND back = nullptr, front = nullptr, child = nullptr;
    RunInside(d, [&] {
        RegisterWindowClass(u"Probe");
        back = CreateWindowExW(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
        front = CreateWindowExW(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
        child = CreateWindowExW(0, u"Probe", u"", WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, front,
                                nullptr, nullptr, nullptr);
        SetWindowRgn(front, CreateRectRgn(0, 0, 50, 100), FALSE);
        found.push_back(WindowAtPoint(15, 15, nullptr, nullptr)); // the child
        found.push_back(WindowAtPoint(40, 40, nullptr, nullptr)); // front, not its child
        found.push_back(WindowAtPoint(70, 40, nullptr, nullptr)); // outside front's region
        found.push_back(WindowAtPoint(15, 15, front, nullptr));   // front skipped
        EnableWindow(child, FALSE);
        found.push_back(WindowAtPoint(15, 15, nullptr, nullptr));  // a disabled child is passed
        found.push_back(WindowAtPoint(150, 15, nullptr, nullptr)); // nothing there
    });
    EXPECT_EQ(found, (std::vector<HWND>{child, front, back, back, front, nullptr}));
}

TEST(ShellDetection, CostOfTheSearchAndTheUpkeepWithFiftyWindows) {
    sim::Device d(NoShell());
    for (int i = 0; i < 50; ++i)
        d.CreateScriptWindow(u"W" + sim::Widen(std::to_string(i)), u"",
                             sim::Rect{i, 300, i + 10, 310}, false);
    // The search walks every window above the one it finds.
    uint64_t searchCalls = 0;
    uint32_t probe = 0;
    probe = d.StartFunction(u"\\Temp\\probe.exe", [&] {
        auto before = d.Calls(probe);
        HWND found = WindowAtPoint(0, 305, nullptr, nullptr);
        searchCalls = Total(CallsSince(d, probe, before));
        return found != nullptr ? 0u : 1u;
    });
    d.Wait(10);
    EXPECT_EQ(d.ExitCode(probe), 0u);
    // The upkeep with a top-most window above the cursor, and without.
    uint32_t pid = InstallAndStart(d);
    d.Wait(50);
    d.CreateScriptWindow(u"App", u"", sim::Rect{0, 0, 40, 40}, true);
    uint64_t pushRun = Total(CallsDuring(d, pid, 100));
    uint64_t quietRun = Total(CallsDuring(d, pid, 100));
    std::cout << "WindowAtPoint over 50 windows: " << searchCalls
              << " calls; 100 ms of the idle cursor with one upkeep run: " << pushRun
              << " calls when it restacks a window, " << quietRun << " when it does not\n";
    EXPECT_LT(searchCalls, 50u * 8 + 10);
}

TEST(ShellDetection, MovesOffTheSoftInputPanelButtonRepaintWhatLiesUnderIt) {
    sim::Device d; // the shell's button is (108, 294, 132, 320)
    uint32_t pid = InstallAndStart(d);
    d.StylusDown(120, 160);
    d.Wait(20);
    d.StylusMove(100, 290);
    d.Wait(20);
    d.StylusUp(100, 290);
    d.Wait(200);
    // Speed 19 moves 4 pixels a tick; the 16-pixel cursor at (100, y) meets
    // the button while y + 16 > 294.
    auto movesUp = [&](int ticks) {
        uint64_t before = d.Calls(pid)["InvalidateRect"];
        int target = d.FindTopmost(kCursorClass)->rect.top - 4 * ticks;
        d.Key(VK_UP, false);
        for (int i = 0; i < 1000 && d.FindTopmost(kCursorClass)->rect.top > target; ++i)
            d.Wait(1);
        d.Key(VK_UP, true);
        d.Wait(100);
        return d.Calls(pid)["InvalidateRect"] - before;
    };
    EXPECT_EQ(movesUp(1), 1u) << "from y 290";
    EXPECT_EQ(movesUp(2), 2u) << "from y 286 and 282";
    EXPECT_EQ(movesUp(1), 0u) << "from y 278, clear of the button";
}
