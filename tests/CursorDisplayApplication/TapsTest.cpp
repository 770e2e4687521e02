// Taps by the action key and the volume-key pass-through, as the platform
// sees them in its input trace.
#include "kernel/Stack.h"
#include "support/Devices.h"
#include "user/Input.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace test;

namespace {

void StartAt(sim::Device &d, int x, int y) {
    sim::InstallPackage(d);
    StartCursor(d, 500);
    DragCursorTo(d, x, y);
    ASSERT_EQ(CursorRect(d).left, x);
    ASSERT_EQ(CursorRect(d).top, y);
}

std::vector<sim::TraceEvent> Taps(const sim::Device &d) {
    return EventsStarting(d, "mouse_event");
}

} // namespace

TEST(Taps, PressAndReleaseGoLeftOfTheCursor) {
    struct Case {
        int x, y;
        std::string press, release;
    };
    const Case cases[] = {
        {100, 150, "mouse_event 0x8002 27033 30720", "mouse_event 0x8004 27033 30720"},
        {0, 150, "mouse_event 0x8002 1911 30720", "mouse_event 0x8004 1911 30720"},
        {50, 0, "mouse_event 0x8002 15564 0", "mouse_event 0x8004 15564 0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.press);
        sim::Device d(sim::DeviceConfig{240, 320, 96, false});
        StartAt(d, c.x, c.y);
        uint64_t pressed = d.Now();
        HoldKey(d, VK_RETURN, 300);
        d.Wait(100);
        auto taps = Taps(d);
        ASSERT_EQ(taps.size(), 2u);
        EXPECT_EQ(taps[0].text, c.press);
        EXPECT_EQ(taps[0].time, pressed + 200);
        EXPECT_EQ(taps[1].text, c.release);
        EXPECT_EQ(taps[1].time, pressed + 300);
    }
}

TEST(Taps, HoldingTheKeySendsOnePressAndOneRelease) {
    sim::Device d;
    StartAt(d, 100, 150);
    HoldKey(d, VK_RETURN, 2000); // auto-repeat delivers many presses meanwhile
    d.Wait(100);
    auto taps = Taps(d);
    ASSERT_EQ(taps.size(), 2u);
    EXPECT_EQ(taps[0].text.substr(0, 18), "mouse_event 0x8002");
    EXPECT_EQ(taps[1].text.substr(0, 18), "mouse_event 0x8004");
}

TEST(Taps, TheReleaseGoesWhereTheCursorIsNow) {
    sim::Device d;
    StartAt(d, 100, 150);
    d.Key(VK_RETURN, false);
    d.Wait(300);
    HoldKey(d, VK_RIGHT, 50); // while the stylus is held down
    d.Key(VK_RETURN, true);
    d.Wait(100);
    auto taps = Taps(d);
    ASSERT_EQ(taps.size(), 2u);
    EXPECT_EQ(taps[0].text, "mouse_event 0x8002 27033 30720");
    EXPECT_EQ(taps[1].text, "mouse_event 0x8004 28125 30720"); // one step of 4: x 104 - 1
}

TEST(Taps, TheStartZoneAndTheSoftKeyBarHoldThePress) {
    struct Case {
        const char *what;
        int x, y;
        uint64_t releaseAfter; // ms after the key went down
    };
    // Task bar (0, 0, 240, 26): the start zone is x 0..72 above y 26; the
    // soft-key bar is found at (0, 294, 240, 320).
    const Case cases[] = {{"in the start zone", 72, 10, 700},
                          {"right of the start zone", 73, 10, 200},
                          {"on the task bar's last row", 10, 25, 700},
                          {"just below the task bar", 10, 26, 200},
                          {"in the middle", 100, 150, 200},
                          {"on the soft-key bar", 100, 295, 700},
                          {"on the soft-key bar's top row", 100, 294, 200}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d(sim::DeviceConfig{240, 320, 96, false});
        d.CreateScriptWindow(u"HHTaskBar", u"", sim::Rect{0, 0, 240, 26}, true);
        d.CreateScriptWindow(u"MS_SOFTKEY_CE_1.0", u"", sim::Rect{0, 294, 240, 320}, true);
        StartAt(d, c.x, c.y);
        uint64_t pressed = d.Now();
        d.Key(VK_RETURN, false);
        d.Key(VK_RETURN, true); // released at once: the hold still applies
        d.Wait(1000);
        auto taps = Taps(d);
        ASSERT_EQ(taps.size(), 2u);
        EXPECT_EQ(taps[1].time - pressed, c.releaseAfter);
    }
}

TEST(Taps, WithoutASoftKeyBarTheBottom24PixelsHoldThePress) {
    // No shell and nothing at (20, 310): the bar is taken as (0, 296, 240, 320).
    for (auto [y, releaseAfter] : {std::pair{297, 700}, std::pair{296, 200}}) {
        sim::Device d(sim::DeviceConfig{240, 320, 96, false});
        StartAt(d, 100, y);
        uint64_t pressed = d.Now();
        d.Key(VK_RETURN, false);
        d.Key(VK_RETURN, true);
        d.Wait(1000);
        auto taps = Taps(d);
        ASSERT_EQ(taps.size(), 2u);
        EXPECT_EQ(taps[1].time - pressed, static_cast<uint64_t>(releaseAfter)) << y;
    }
}

TEST(Taps, ATapLandsOnTheWindowUnderTheHotSpot) {
    sim::Device d;
    d.CreateScriptWindow(u"TapTarget", u"Target", sim::Rect{50, 100, 150, 200}, false);
    StartAt(d, 100, 150);
    HoldKey(d, VK_RETURN, 300);
    d.Wait(100);
    auto got = EventsStarting(d, "window TapTarget stylus");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].text, "window TapTarget stylus down 49 50");
    EXPECT_EQ(got[1].text, "window TapTarget stylus up 49 50");
}

TEST(Taps, VolumeKeysPassThroughWhileTheCursorHides) {
    struct Case {
        int key;
        uint64_t down, up, back; // ms after the key press
    };
    const Case cases[] = {{VK_F6, 300, 500, 800}, {VK_F7, 200, 400, 500}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        sim::Device d;
        StartAt(d, 100, 150);
        uint64_t start = d.Now();
        HoldKey(d, c.key, 100);
        d.Wait(5);
        EXPECT_FALSE(d.FindTopmost(kCursorClass)->visible);
        d.Wait(1000);
        auto keys = EventsStarting(d, "keybd_event");
        ASSERT_EQ(keys.size(), 2u);
        std::string vk = sim::HexText(static_cast<uint32_t>(c.key));
        EXPECT_EQ(keys[0].text, "keybd_event " + vk + " 0x0");
        EXPECT_EQ(keys[1].text, "keybd_event " + vk + " 0x2");
        // The first motion tick after the press finds the key down.
        uint64_t tick = keys[0].time - c.down;
        EXPECT_LE(tick - start, 50u);
        EXPECT_EQ(keys[1].time - tick, c.up);
        EXPECT_TRUE(d.FindTopmost(kCursorClass)->visible);
        EXPECT_EQ(CursorRect(d).left, 100);
        EXPECT_EQ(CursorRect(d).top, 150);
    }
}

TEST(Taps, AHeldVolumeKeyPassesThroughAgainAndTheCursorReturns) {
    sim::Device d;
    StartAt(d, 100, 150);
    HoldKey(d, VK_F6, 2000);
    d.Wait(2000);
    auto keys = EventsStarting(d, "keybd_event");
    EXPECT_GE(keys.size(), 4u) << "the key still down after a pass passes again";
    EXPECT_EQ(keys.size() % 2, 0u) << "every injected press has its release";
    EXPECT_TRUE(d.FindTopmost(kCursorClass)->visible);
    EXPECT_EQ(CursorRect(d).left, 100);
    EXPECT_EQ(CursorRect(d).top, 150);
}

// A device left in a bag with the volume key pressed: after each injected
// release the key's auto-repeat marks it down again. Without the shell the
// repeats reach no window, which keeps a device day quick.
TEST(Taps, AVolumeKeyHeldForADeviceDayPassesThroughEvery800MsOnAStackThatDoesNotGrow) {
    sim::Device d;
    d.SetShell(false);
    StartAt(d, 100, 150);
    uint32_t pid = d.Processes().back().pid;
    d.Key(VK_F6, false);
    d.Wait(60 * 1000);
    size_t afterAMinute = d.StackPeak(pid);
    const uint64_t day = 24ull * 60 * 60 * 1000;
    d.Wait(day - 60 * 1000);

    auto keys = EventsStarting(d, "keybd_event");
    ASSERT_EQ(keys.size(), 2u * (day / 800));
    for (size_t i = 0; i + 1 < keys.size(); i += 2) {
        ASSERT_EQ(keys[i].text, "keybd_event 0x75 0x0") << i;
        ASSERT_EQ(keys[i + 1].time - keys[i].time, 200u) << i;
        if (i >= 2) {
            ASSERT_EQ(keys[i].time - keys[i - 2].time, 800u) << i;
        }
    }
    EXPECT_TRUE(d.IsRunning(kPointrel));
    EXPECT_EQ(d.StackPeak(pid), afterAMinute);
    EXPECT_LT(d.StackPeak(pid), sim::HostStackLimit() / 8);

    d.Key(VK_F6, true);
    d.Wait(1000);
    EXPECT_TRUE(d.FindTopmost(kCursorClass)->visible);
    EXPECT_EQ(CursorRect(d).left, 100);
    EXPECT_EQ(CursorRect(d).top, 150);
}
