// Open menus in keys mode and in cursor mode, with menus made as windows of
// class "MNU" by another program.
#include "CursorSettings.h"
#include "support/Devices.h"

#include <gtest/gtest.h>

using namespace test;

namespace {

const std::u16string kSnapshot = u"PointrelScreenCapWindow";

struct Started {
    std::unique_ptr<sim::Device> device;
    uint32_t pid;
};

Started StartInMode(int menuMethod) {
    Started s{std::make_unique<sim::Device>(NoShell()), 0};
    sim::Device &d = *s.device;
    sim::InstallPackage(d);
    SetValue(d, kSettingsKey, u"MenuNavigationMethod", REG_DWORD, Le32(menuMethod));
    s.pid = StartCursor(d, 500);
    return s;
}

} // namespace

TEST(KeysMode, AnOpenMenuGetsTheKeysUntilItCloses) {
    Started s = StartInMode(MENU_NAVIGATION_KEYS);
    sim::Device &d = *s.device;
    d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{0, 26, 120, 126}, true);
    d.Wait(100);
    EXPECT_EQ(d.Calls(s.pid)["UnregisterHotKey"], 25u) << "within 100 ms";
    sim::Rect before = CursorRect(d);
    d.Key(VK_DOWN, false);
    d.Key(VK_DOWN, true);
    d.Key(VK_RETURN, false);
    d.Key(VK_RETURN, true);
    d.Wait(200);
    EXPECT_EQ(CursorRect(d), before);
    EXPECT_EQ(EventsStarting(d, "window MNU key").size(), 4u);
    EXPECT_TRUE(EventsStarting(d, "mouse_event").empty());
    d.DestroyScriptWindow(u"MNU");
    d.Wait(200);
    EXPECT_EQ(d.Calls(s.pid)["RegisterHotKey"], 50u) << "within 200 ms of the close";
    HoldKey(d, VK_RIGHT, 100);
    EXPECT_GT(CursorRect(d).left, before.left);
}

TEST(KeysMode, AStartMenuOfTheOtherKindCountsOnlyForTheTimers) {
    Started s = StartInMode(MENU_NAVIGATION_KEYS);
    sim::Device &d = *s.device;
    d.CreateScriptWindow(u"htcStartMenuClass", u"htcStartMenuTitle", sim::Rect{0, 26, 120, 126},
                         true);
    d.Wait(100);
    EXPECT_EQ(d.Calls(s.pid)["UnregisterHotKey"], 25u);
    d.DestroyScriptWindow(u"htcStartMenuClass");
    d.Wait(200);
    EXPECT_EQ(d.Calls(s.pid)["RegisterHotKey"], 50u);
}

TEST(KeysMode, AKeyMovingAsAMenuOpensMovesOneMoreStep) {
    Started s = StartInMode(MENU_NAVIGATION_KEYS);
    sim::Device &d = *s.device;
    d.Post(kCursorClass, WM_SETTING_PREVIEW, SP_ACCELERATION, 0); // off: every step 28
    d.Post(kCursorClass, WM_SETTING_PREVIEW, SP_CURSOR_SPEED, 28);
    DragCursorTo(d, 0, 100);
    d.Key(VK_RIGHT, false);
    d.Wait(120);
    // Right after a timer-1 check the menu opens, well before the next one.
    uint64_t checks = d.Calls(s.pid)["GetWindow"];
    while (d.Calls(s.pid)["GetWindow"] == checks)
        d.Wait(1);
    d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{150, 200, 230, 300}, true);
    std::vector<int> steps;
    sim::Rect last = CursorRect(d);
    for (int ms = 0; ms < 300; ++ms) {
        d.Wait(1);
        sim::Rect now = CursorRect(d);
        if (now.left != last.left)
            steps.push_back(now.left - last.left);
        last = now;
    }
    d.Key(VK_RIGHT, true);
    EXPECT_EQ(steps, std::vector<int>{28});
    EXPECT_EQ(d.Calls(s.pid)["UnregisterHotKey"], 25u);
    EXPECT_EQ(d.TimerIds(kCursorClass), (std::vector<uintptr_t>{1, 4, 5}));
}

TEST(KeysMode, BothPreviewCodesChooseTheMode) {
    struct Case {
        int method; // stored MenuNavigationMethod
        uint32_t code;
        intptr_t value;
        bool keysMode;
    };
    // SP_MENU_KEYS_ON sets keys mode to its value, SP_MENU_KEYS_OFF to the
    // value's negation.
    const Case cases[] = {{MENU_NAVIGATION_CURSOR, SP_MENU_KEYS_ON, 1, true},
                          {MENU_NAVIGATION_KEYS, SP_MENU_KEYS_ON, 0, false},
                          {MENU_NAVIGATION_KEYS, SP_MENU_KEYS_OFF, 1, false},
                          {MENU_NAVIGATION_CURSOR, SP_MENU_KEYS_OFF, 0, true},
                          {MENU_NAVIGATION_CURSOR, SP_MENU_KEYS_OFF, 7, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " " + std::to_string(c.value));
        Started s = StartInMode(c.method);
        sim::Device &d = *s.device;
        d.Post(kCursorClass, WM_SETTING_PREVIEW, c.code, c.value);
        d.Wait(10);
        d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{0, 26, 120, 126}, true);
        d.Wait(200);
        EXPECT_EQ(d.Calls(s.pid)["UnregisterHotKey"], c.keysMode ? 25u : 0u);
    }
}

TEST(KeysMode, SwitchingFromCursorModeTakesEffectAtTheNextTimerTick) {
    Started s = StartInMode(MENU_NAVIGATION_CURSOR);
    sim::Device &d = *s.device;
    d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{0, 26, 120, 126}, true);
    d.Wait(300);
    EXPECT_EQ(d.Calls(s.pid)["UnregisterHotKey"], 0u) << "cursor mode keeps the keys";
    d.Post(kCursorClass, WM_SETTING_PREVIEW, SP_MENU_KEYS_ON, 1);
    d.Wait(100);
    EXPECT_EQ(d.Calls(s.pid)["UnregisterHotKey"], 25u);
}

TEST(CursorMode, MovingOverAMenuLaysItsPictureUnderTheCursor) {
    Started s = StartInMode(MENU_NAVIGATION_CURSOR);
    sim::Device &d = *s.device;
    d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{60, 100, 200, 220}, true);
    d.Wait(100);
    HoldKey(d, VK_RIGHT, 60);
    d.Wait(20);
    ASSERT_TRUE(d.FindTopmost(kSnapshot));
    EXPECT_EQ(d.FindTopmost(kSnapshot)->rect, (sim::Rect{60, 100, 200, 220}));
    auto order = ZOrder(d);
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], kCursorClass);
    EXPECT_EQ(order[1], kSnapshot);
    // The picture has a hole where the cursor is.
    sim::Rect c = CursorRect(d);
    EXPECT_TRUE(d.FindTopmost(kSnapshot)->shape);
    // The action key removes the picture first; the menu gets the tap.
    HoldKey(d, VK_RETURN, 300);
    d.Wait(50);
    EXPECT_FALSE(d.FindTopmost(kSnapshot));
    auto taps = EventsStarting(d, "window MNU stylus down");
    ASSERT_EQ(taps.size(), 1u);
    EXPECT_EQ(taps[0].text, "window MNU stylus down " + std::to_string(c.left - 1 - 60) + " " +
                                std::to_string(c.top - 100));
}

TEST(CursorMode, OnlyAMenuOfClassMNUGetsAPicture) {
    struct Case {
        std::u16string className, title;
        bool picture;
    };
    const Case cases[] = {{u"MNU", u"Menu", true},
                          {u"htcStartMenuClass", u"htcStartMenuTitle", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(sim::Narrow(c.className));
        Started s = StartInMode(MENU_NAVIGATION_CURSOR);
        sim::Device &d = *s.device;
        d.CreateScriptWindow(c.className, c.title, sim::Rect{60, 100, 200, 220}, true);
        d.Wait(100);
        HoldKey(d, VK_RIGHT, 60);
        EXPECT_EQ(d.FindTopmost(kSnapshot).has_value(), c.picture);
        EXPECT_EQ(d.Calls(s.pid)["UnregisterHotKey"], 0u) << "cursor mode keeps the keys";
    }
}

TEST(CursorMode, APictureGoesWhenItsMenuCloses) {
    Started s = StartInMode(MENU_NAVIGATION_CURSOR);
    sim::Device &d = *s.device;
    d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{60, 100, 200, 220}, true);
    d.Wait(100);
    // A drag over the menu makes the picture and keeps it while it rests.
    sim::Rect c = CursorRect(d);
    d.StylusDown(c.left, c.top);
    d.Wait(10);
    d.StylusMove(c.left + 10, c.top + 10);
    d.Wait(10);
    ASSERT_TRUE(d.FindTopmost(kSnapshot));
    d.DestroyScriptWindow(u"MNU");
    d.Wait(100);
    EXPECT_FALSE(d.FindTopmost(kSnapshot));
    d.StylusUp(c.left + 10, c.top + 10);
}

TEST(CursorMode, ACoveredMenuDoesNotStopTheCursor) {
    Started s = StartInMode(MENU_NAVIGATION_CURSOR);
    sim::Device &d = *s.device;
    d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{60, 100, 200, 220}, true);
    // Another program's window keeps the menu's centre covered.
    d.CreateScriptWindow(u"Cover", u"", sim::Rect{120, 150, 140, 170}, true);
    d.Wait(100);
    int before = CursorRect(d).left;
    HoldKey(d, VK_RIGHT, 2000);
    d.Wait(600);
    EXPECT_GT(CursorRect(d).left, before);
    EXPECT_FALSE(d.FindTopmost(kSnapshot));
    EXPECT_EQ(d.ExitCode(s.pid), STILL_ACTIVE);
}

TEST(KeysMode, TheRoadOfOneTapThroughTheShellsStartMenu) {
    sim::Device d; // with the device shell
    sim::InstallPackage(d);
    uint32_t pid = StartCursor(d, 500);
    // The cursor onto the Start button, then the action key taps it.
    d.StylusDown(120, 160);
    d.Wait(20);
    d.StylusMove(14, 14);
    d.Wait(20);
    d.StylusUp(14, 14);
    d.Wait(20);
    HoldKey(d, VK_RETURN, 100);
    d.Wait(200);
    ASSERT_TRUE(d.FindTopmost(u"MNU"));
    d.Wait(500); // the start-zone hold ends; the menu has been seen
    EXPECT_EQ(d.Calls(pid)["UnregisterHotKey"], 25u);
    // The keys now work the menu. Settings, not Programs: Programs opens
    // the list of the device's shortcuts, another menu.
    for (int key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) {
        HoldKey(d, key, 50);
        d.Wait(50);
    }
    auto chosen = EventsStarting(d, "menu \"Start\"");
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].text, "menu \"Start\" chose \"Settings\"");
    uint64_t closed = chosen[0].time;
    // Within 200 ms of the close the direction keys move the cursor again.
    d.Wait(closed + 200 - d.Now());
    EXPECT_EQ(d.Calls(pid)["RegisterHotKey"], 50u);
    sim::Rect before = CursorRect(d);
    HoldKey(d, VK_RIGHT, 60);
    EXPECT_GT(CursorRect(d).left, before.left);
}

TEST(CursorMode, ACoveredMenuIsWaitedForOnlyOnceWhileItStaysOpen) {
    Started s = StartInMode(MENU_NAVIGATION_CURSOR);
    sim::Device &d = *s.device;
    d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{60, 100, 200, 220}, true);
    // A window of the kind the window-order upkeep leaves in place keeps the
    // menu's centre covered.
    d.CreateScriptWindow(u"Worker", u"", sim::Rect{120, 150, 140, 170}, true);
    d.Wait(100);
    int before = CursorRect(d).left;
    uint64_t sleeps = d.Calls(s.pid)["Sleep"];
    // After the first move's bounded wait, every tick moves again.
    HoldKey(d, VK_RIGHT, 1000);
    d.Wait(100);
    EXPECT_GE(CursorRect(d).left - before, 100);
    EXPECT_LT(d.Calls(s.pid)["Sleep"] - sleeps, 600u) << "one wait of 500 sleeps, one a move";

    // A menu opened later is not taken for the covered one.
    d.DestroyScriptWindow(u"MNU");
    d.DestroyScriptWindow(u"Worker");
    d.Wait(100);
    d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{0, 100, 240, 220}, true);
    d.Wait(100);
    HoldKey(d, VK_DOWN, 60);
    EXPECT_TRUE(d.FindTopmost(kSnapshot));
}

TEST(CursorMode, OnlyRemovingAPictureValidatesTheMenu) {
    Started s = StartInMode(MENU_NAVIGATION_CURSOR);
    sim::Device &d = *s.device;
    d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{60, 100, 200, 220}, true);
    d.Wait(100);
    HoldKey(d, VK_RIGHT, 60);
    d.Wait(20);
    ASSERT_TRUE(d.FindTopmost(kSnapshot));
    // The cursor rests over the menu for two seconds: the picture goes once.
    uint64_t validated = d.Calls(s.pid)["ValidateRect"];
    d.Wait(2000);
    EXPECT_FALSE(d.FindTopmost(kSnapshot));
    EXPECT_EQ(d.Calls(s.pid)["ValidateRect"] - validated, 1u);
}
