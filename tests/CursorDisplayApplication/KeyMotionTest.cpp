// Cursor motion: both engines, acceleration, clamps, the stylus drag and
// previews of any value.
#include "CursorSettings.h"
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace test;

namespace {

struct Motion {
    int speed = 28;
    int acceleration = 1;
    int profile = 3;
    int model = 10;
    bool keysUnreadable = false;
    const char16_t *image = u"cursor_black-16.bmp";
};

sim::Device *Make(std::unique_ptr<sim::Device> &holder, const Motion &s) {
    sim::DeviceConfig config = NoShell();
    config.keysUnreadable = s.keysUnreadable;
    holder = std::make_unique<sim::Device>(config);
    sim::Device &d = *holder;
    sim::InstallPackage(d);
    SetValue(d, kSettingsKey, u"CursorSpeed", REG_BINARY, Le32(s.speed));
    SetValue(d, kSettingsKey, u"CursorAcceleration", REG_BINARY, Le32(s.acceleration));
    SetValue(d, kSettingsKey, u"CursorAccelerationSpeed", REG_BINARY, Le32(s.profile));
    SetValue(d, kSettingsKey, u"SnapToSipLetters", REG_BINARY, Le32(1));
    SetValue(d, kSettingsKey, u"MenuNavigationMethod", REG_DWORD, Le32(MENU_NAVIGATION_KEYS));
    SetValue(d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(s.image));
    SetValue(d, kSettingsKey, u"DeviceModel", REG_DWORD, Le32(s.model));
    StartCursor(d, 1000);
    return &d;
}

} // namespace

TEST(KeyMotion, HeldKeyFollowsTheAccelerationProfile) {
    struct Case {
        const char *what;
        Motion setup;
        std::vector<int> firstTicks;
    };
    const Case cases[] = {
        {"fastest profile", {}, {6, 6, 6, 6, 11, 11, 17, 17, 22, 22, 28, 28}},
        {"middle profile", {28, 1, 2}, {6, 6, 6, 6, 6, 6, 11, 11, 11, 11, 17, 17}},
        {"slowest profile", {28, 1, 1}, {6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 11}},
        {"acceleration off", {28, 0, 3}, {28, 28, 28, 28, 28}},
        {"speed 19", {19, 1, 3}, {4, 4, 4, 4, 8, 8}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<sim::Device> holder;
        sim::Device &d = *Make(holder, c.setup);
        DragCursorTo(d, 0, 100);
        d.Key(VK_RIGHT, false);
        std::vector<int> dx = Dx(Moves(d, static_cast<int>(c.firstTicks.size()) * 50));
        d.Key(VK_RIGHT, true);
        EXPECT_EQ(dx, c.firstTicks);
        // After the release the next press starts from the first step again.
        EXPECT_EQ(-FirstStepOfTheNextPress(d), c.firstTicks[0]);
    }
}

TEST(KeyMotion, ASpeedPreviewChangesOnlyTheStepsStillAhead) {
    struct Case {
        const char *what;
        size_t previewAfter; // moves made while VK_RIGHT is held; 0: before the press
        int speed;
        std::vector<int> ticks; // while VK_RIGHT is held
        int nextPressStep;      // the first step of the next press, VK_LEFT
    };
    const Case cases[] = {
        {"during the ramp", 3, 35, {6, 6, 6, 6, 14, 14, 21, 21, 28, 28, 35, 35}, -7},
        {"past the last threshold", 11, 14, {6, 6, 6, 6, 11, 11, 17, 17, 22, 22, 28, 28, 28}, -3},
        {"before the press", 0, 14, {3, 3, 3, 3, 6}, -3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<sim::Device> holder;
        sim::Device &d = *Make(holder, {});
        DragCursorTo(d, 0, 100);
        if (c.previewAfter == 0)
            d.Post(kCursorClass, WM_SETTING_PREVIEW, SP_CURSOR_SPEED, c.speed);
        d.Key(VK_RIGHT, false);
        std::vector<int> ticks;
        for (int ms = 0; ms < 2000 && ticks.size() < c.ticks.size(); ++ms) {
            std::vector<int> dx = Dx(Moves(d, 1));
            ticks.insert(ticks.end(), dx.begin(), dx.end());
            if (!dx.empty() && ticks.size() == c.previewAfter)
                d.Post(kCursorClass, WM_SETTING_PREVIEW, SP_CURSOR_SPEED, c.speed);
        }
        d.Key(VK_RIGHT, true);
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(FirstStepOfTheNextPress(d), c.nextPressStep);
    }
}

TEST(KeyMotion, KeysCombine) {
    struct Case {
        std::vector<int> keys;
        std::pair<int, int> move;
    };
    const Case cases[] = {{{VK_LEFT, VK_RIGHT}, {0, 0}},
                          {{VK_RIGHT, VK_DOWN}, {6, 6}},
                          {{VK_UP, VK_LEFT}, {-6, -6}},
                          {{VK_UP, VK_DOWN, VK_RIGHT}, {6, 0}}};
    for (const Case &c : cases) {
        std::unique_ptr<sim::Device> holder;
        sim::Device &d = *Make(holder, {});
        for (int k : c.keys)
            d.Key(k, false);
        auto moves = Moves(d, 50);
        std::pair<int, int> first = moves.empty() ? std::pair<int, int>{0, 0} : moves[0];
        EXPECT_EQ(first, c.move);
    }
}

TEST(KeyMotion, MovesAreClampedToTheScreen) {
    // 240 x 320 at 96 DPI: SM_CXVSCROLL 13 and SM_CYMENU 26 give limits of
    // 11 and 21 pixels.
    struct Case {
        const char *what;
        int width, height;
        int maxX, maxY;
    };
    const Case cases[] = {{"16 pixels", 16, 16, 232, 304},
                          {"8 pixels", 8, 8, 232, 312},
                          {"10 pixels", 10, 10, 230, 310},
                          {"24 pixels", 24, 24, 232, 304}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Motion s;
        s.image = u"test.bmp";
        std::unique_ptr<sim::Device> holder;
        sim::DeviceConfig config;
        holder = std::make_unique<sim::Device>(config);
        sim::Device &d = *holder;
        sim::InstallPackage(d);
        WriteFile(d, u"\\Program Files\\Pointrel\\cursors\\test.bmp",
                  MakeBmp24(c.width, c.height, [](int, int) { return 0u; }));
        SetValue(d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(u"test.bmp"));
        StartCursor(d, 500);
        DragCursorTo(d, 400, 400);
        EXPECT_EQ(CursorRect(d).left, c.maxX);
        EXPECT_EQ(CursorRect(d).top, c.maxY);
        DragCursorTo(d, -5, -5);
        EXPECT_EQ(CursorRect(d).left, 0);
        EXPECT_EQ(CursorRect(d).top, 0);
    }
}

TEST(KeyMotion, HotKeyEngineStepsWithTheRepeatCount) {
    struct Case {
        const char *what;
        Motion setup;
        int settle;
    };
    Motion unreadable;
    unreadable.keysUnreadable = true;
    Motion model11;
    model11.model = 11;
    model11.keysUnreadable = true;
    const Case cases[] = {{"keys unreadable", unreadable, 1000}, {"device model 11", model11, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<sim::Device> holder;
        sim::Device &d = *Make(holder, c.setup);
        DragCursorTo(d, 0, 200);
        d.Wait(static_cast<uint64_t>(c.settle));
        std::vector<int> dx;
        for (int i = 0; i < 5; ++i) {
            int before = CursorRect(d).left;
            d.Key(VK_RIGHT, false);
            d.Wait(100);
            int middle = CursorRect(d).left;
            d.Key(VK_RIGHT, true);
            d.Wait(100);
            dx.push_back(middle - before);
            dx.push_back(CursorRect(d).left - middle);
        }
        EXPECT_EQ(dx, (std::vector<int>{6, 6, 11, 11, 17, 17, 22, 22, 28, 28}));
        int top = CursorRect(d).top;
        d.Key(VK_UP, false);
        d.Wait(100);
        EXPECT_EQ(top - CursorRect(d).top, 6);
        d.Key(VK_UP, true);
    }
}

TEST(KeyMotion, DeviceModel11WaitsForAKeyBeforeItPolls) {
    Motion s;
    s.model = 11;
    std::unique_ptr<sim::Device> holder;
    sim::Device &d = *Make(holder, s);
    EXPECT_EQ(d.TimerIds(kCursorClass), (std::vector<uintptr_t>{1, 5}));
    d.Key(VK_RIGHT, false);
    d.Wait(1);
    EXPECT_EQ(d.TimerIds(kCursorClass), (std::vector<uintptr_t>{1, 2, 3, 5}));
    auto moves = Moves(d, 100);
    d.Key(VK_RIGHT, true);
    EXPECT_EQ(Dx(moves), (std::vector<int>{6, 6}));
}

TEST(KeyMotion, HidingStopsHousekeepingButNotTheShellCheck) {
    std::unique_ptr<sim::Device> holder;
    sim::Device &d = *Make(holder, {});
    EXPECT_EQ(d.TimerIds(kCursorClass), (std::vector<uintptr_t>{1, 2, 5}));
    d.Post(kCursorClass, WM_SHOWWINDOW, 0, 0);
    d.Wait(10);
    EXPECT_EQ(d.TimerIds(kCursorClass), (std::vector<uintptr_t>{5}));
}

TEST(KeyMotion, AnyPreviewValueKeepsTheCursorOnTheScreen) {
    const std::pair<int, intptr_t> previews[] = {
        {SP_CURSOR_SPEED, 0},          {SP_CURSOR_SPEED, -7},
        {SP_CURSOR_SPEED, 2147483647}, {SP_CURSOR_SPEED, -2147483647 - 1},
        {SP_ACCELERATION_SPEED, 99},   {SP_ACCELERATION_SPEED, -2147483647 - 1}};
    for (auto [code, value] : previews) {
        SCOPED_TRACE(value);
        std::unique_ptr<sim::Device> holder;
        sim::Device &d = *Make(holder, {});
        uint32_t pid = d.Processes().back().pid;
        d.Post(kCursorClass, WM_SETTING_PREVIEW, static_cast<uintptr_t>(code), value);
        for (int k : {VK_RIGHT, VK_DOWN, VK_LEFT, VK_UP}) {
            HoldKey(d, k, 1500);
            d.Wait(60);
            sim::Rect c = CursorRect(d);
            EXPECT_GE(c.left, 0);
            EXPECT_GE(c.top, 0);
            EXPECT_LE(c.left, 232);
            EXPECT_LE(c.top, 304);
        }
        EXPECT_EQ(d.ExitCode(pid), STILL_ACTIVE);
    }
}

TEST(KeyMotion, CapturedKeysDoNotReachTheForegroundProgram) {
    std::unique_ptr<sim::Device> holder;
    sim::Device &d = *Make(holder, {});
    d.CreateScriptWindow(u"App", u"App", sim::Rect{0, 26, 240, 294}, false);
    d.Key(VK_RIGHT, false);
    d.Key(VK_RIGHT, true);
    d.Key(VK_F6, false);
    d.Key(VK_F6, true);
    d.Wait(2000);
    auto keys = EventsStarting(d, "window App key");
    ASSERT_EQ(keys.size(), 2u) << "only the volume key passes";
    EXPECT_EQ(keys[0].text, "window App key down 0x75");
}

namespace {} // namespace

TEST(KeyMotion, HotKeysAreRegisteredAgainEveryTwentiethMove) {
    std::unique_ptr<sim::Device> holder;
    sim::Device &d = *Make(holder, {});
    uint32_t pid = d.Processes().back().pid;
    EXPECT_EQ(d.Calls(pid)["RegisterHotKey"], 25u);
    DragCursorTo(d, 0, 100);
    d.Key(VK_RIGHT, false);
    Moves(d, 19 * 50);
    EXPECT_EQ(d.Calls(pid)["RegisterHotKey"], 25u) << "19 moves";
    Moves(d, 50);
    EXPECT_EQ(d.Calls(pid)["RegisterHotKey"], 50u) << "20 moves";
}

TEST(KeyMotion, PlatformCallsPerSecond) {
    std::unique_ptr<sim::Device> holder;
    sim::Device &d = *Make(holder, {});
    uint32_t pid = d.Processes().back().pid;
    auto idle = CallsDuring(d, pid, 10000);
    // Held: a full second of moves without meeting the screen's edge.
    DragCursorTo(d, 0, 0);
    d.Key(VK_DOWN, false);
    auto held = CallsDuring(d, pid, 500);
    d.Key(VK_DOWN, true);
    d.Wait(100);
    d.Key(VK_RIGHT, false);
    for (const auto &[name, n] : CallsDuring(d, pid, 500))
        held[name] += n;
    d.Key(VK_RIGHT, true);
    for (auto &[name, n] : idle)
        n /= 10;
    for (auto [what, calls] : {std::pair{"idle", idle}, std::pair{"key held", held}}) {
        std::string line;
        for (const auto &[name, n] : calls)
            line += " " + name + "=" + std::to_string(n);
        std::cout << "calls per second, " << what << ": " << Total(calls) << " (" << line << " )\n";
    }
    // Idle: timer 1 (10/s: window order and menu check), timer 2 (20/s: six
    // key reads) and timer 5 (1/s), each with its turn of the message loop.
    EXPECT_LT(Total(idle), 400u);
    EXPECT_LT(Total(held), 900u);
}

TEST(KeyMotion, OnlyAStylusPressedOnTheCursorDragsIt) {
    sim::Device d;
    sim::InstallPackage(d);
    StartCursor(d);
    sim::Rect start = CursorRect(d);
    // Moves with no press before them (a pointer resting over the window)
    // and moves after the release leave the cursor where it is.
    ASSERT_TRUE(d.Post(kCursorClass, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)));
    ASSERT_TRUE(d.Post(kCursorClass, WM_MOUSEMOVE, 0, MAKELPARAM(12, 9)));
    d.Wait(10);
    EXPECT_EQ(CursorRect(d).left, start.left);
    EXPECT_EQ(CursorRect(d).top, start.top);
    DragCursorTo(d, 40, 60);
    ASSERT_EQ(CursorRect(d).left, 40);
    ASSERT_EQ(CursorRect(d).top, 60);
    ASSERT_TRUE(d.Post(kCursorClass, WM_MOUSEMOVE, 0, MAKELPARAM(8, 8)));
    d.Wait(10);
    EXPECT_EQ(CursorRect(d).left, 40);
    EXPECT_EQ(CursorRect(d).top, 60);
}
