// A cursor program on a device that stays on for weeks: a direction key held
// across the tick count's turning points, and one held for 25 days, longer
// than 2^31 ms, where a signed count of milliseconds held would overflow.
#include "CursorSettings.h"
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace test;

namespace {

constexpr uint64_t kHour = 60 * 60 * 1000;
constexpr uint64_t kDay = 24 * kHour;
constexpr uint64_t k2To31 = 0x80000000ull;
constexpr uint64_t k2To32 = 0x100000000ull;
// The cursor program starts, settles for a second and is dragged to the
// left edge; then the key goes down, at this device time.
constexpr uint64_t kPressAt = 1030;
// The first ticks of a held key at speed 28 with the fastest profile, from
// the left edge: the ramp's steps, then the top speed until the right edge.
const std::vector<int> kRamp = {6, 6, 6, 6, 11, 11, 17, 17, 22, 22, 28, 28, 28, 24};

// A device without the shell that has been on for `upTime` ms, with the
// cursor program running at speed 28 with the fastest profile and the
// cursor at (0, 100).
std::unique_ptr<sim::Device> CursorOnDeviceUpFor(uint64_t upTime) {
    sim::DeviceConfig config = NoShell();
    config.upTime = upTime;
    auto d = std::make_unique<sim::Device>(config);
    sim::InstallPackage(*d);
    SetValue(*d, kSettingsKey, u"CursorSpeed", REG_BINARY, Le32(28));
    SetValue(*d, kSettingsKey, u"CursorAcceleration", REG_BINARY, Le32(1));
    SetValue(*d, kSettingsKey, u"CursorAccelerationSpeed", REG_BINARY, Le32(3));
    StartCursor(*d, 1000);
    DragCursorTo(*d, 0, 100);
    return d;
}

} // namespace

TEST(HeldKey, MovesAlikeWhereverTheTickCountStands) {
    // The key goes down 300 ms before the tick count reaches the point, so
    // the count passes it in the middle of the ramp.
    struct Case {
        const char *what;
        uint64_t upTime;
        DWORD atPress, atRelease;
    };
    const Case cases[] = {
        {"fresh device", 0, kPressAt, kPressAt + 700},
        {"crossing 2^31 ms", k2To31 - 300 - kPressAt, 0x7FFFFED4, 0x80000190},
        {"crossing 2^32 ms, where the count wraps", k2To32 - 300 - kPressAt, 0xFFFFFED4, 0x190},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<sim::Device> holder = CursorOnDeviceUpFor(c.upTime);
        sim::Device &d = *holder;
        ASSERT_EQ(d.Now(), kPressAt);
        EXPECT_EQ(d.TickCount(), c.atPress);
        d.Key(VK_RIGHT, false);
        std::vector<int> dx = Dx(Moves(d, 700));
        d.Key(VK_RIGHT, true);
        EXPECT_EQ(d.TickCount(), c.atRelease);
        EXPECT_EQ(dx, kRamp);
        EXPECT_EQ(CursorRect(d).left, 232) << "stops at the right edge";
        EXPECT_EQ(-FirstStepOfTheNextPress(d), 6) << "a new press starts the ramp again";
        EXPECT_EQ(d.ExitCode(d.Processes().back().pid), STILL_ACTIVE);
    }
}

// About a minute of host time in Release (2.1 to 2.4 s a device day), so it is
// labelled long: run it with `ctest --test-dir build -L long`.
TEST(LongRun, AKeyHeldFor25DaysKeepsTheTopSpeedAndTheScreen) {
    // The device was switched on an hour short of 2^31 ms before, so the
    // tick count passes 2^31 and wraps at 2^32 while the key is held.
    const uint64_t upTime = k2To31 - kHour;
    std::unique_ptr<sim::Device> holder = CursorOnDeviceUpFor(upTime);
    sim::Device &d = *holder;
    uint32_t pid = d.Processes().back().pid;
    d.Key(VK_RIGHT, false);
    EXPECT_EQ(Dx(Moves(d, 700)), kRamp);
    for (int day = 1; day <= 25; ++day) {
        SCOPED_TRACE(day);
        d.Wait(kDay);
        ASSERT_EQ(d.ExitCode(pid), STILL_ACTIVE);
        sim::Rect c = CursorRect(d);
        EXPECT_EQ(c.left, 232) << "held at the right edge";
        EXPECT_EQ(c.top, 100);
        EXPECT_EQ(d.TickCount(), static_cast<DWORD>(upTime + d.Now()));
    }
    EXPECT_GT(d.Now() - kPressAt, k2To31) << "held for more than 2^31 ms";
    // 2^31 - 1 h + 600 h is 2^32 + 2.5 h: the count has wrapped.
    EXPECT_LT(d.TickCount(), 3 * kHour) << "the tick count has wrapped";
    // Still at the top speed: a second key held with it moves by 28 at once.
    d.Key(VK_DOWN, false);
    std::vector<std::pair<int, int>> down = Moves(d, 150);
    d.Key(VK_DOWN, true);
    d.Key(VK_RIGHT, true);
    EXPECT_EQ(down, (std::vector<std::pair<int, int>>{{0, 28}, {0, 28}, {0, 28}}));
    EXPECT_EQ(-FirstStepOfTheNextPress(d), 6) << "a new press starts the ramp again";
    d.Wait(100);
    EXPECT_EQ(d.TimerIds(kCursorClass), (std::vector<uintptr_t>{1, 2, 5}));
}
