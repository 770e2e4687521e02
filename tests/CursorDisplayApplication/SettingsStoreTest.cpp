// The settings record: load rules, save order and types, the image-name copy
// and the cursor program's start-up recovery.
#include "CursorSettings.h"
#include "support/Devices.h"

#include <gtest/gtest.h>

#include <map>

using namespace test;

namespace {

struct Stored {
    std::u16string name;
    uint32_t type;
    std::vector<uint8_t> data;
};

// In a table of changes: not a type, the change deletes the value.
const uint32_t kDelete = 0;

// A complete, valid record that differs from every default.
std::vector<Stored> ValidRecord() {
    return {{u"CursorSpeed", REG_BINARY, Le32(30)},
            {u"SnapToSipLetters", REG_BINARY, Le32(0)},
            {u"CursorAcceleration", REG_BINARY, Le32(0)},
            {u"CursorAccelerationSpeed", REG_BINARY, Le32(2)},
            {u"MenuNavigationMethod", REG_DWORD, Le32(2)},
            {u"CursorImage", REG_SZ, Utf16z(u"cursor_white-24.bmp")},
            {u"DeviceModel", REG_DWORD, Le32(12)}};
}

struct Loaded {
    LONG status;
    CursorSettings record;
};

Loaded Load(sim::Device &d) {
    Loaded out{};
    RunInside(d, [&] {
        SetDefaultSettings(out.record);
        out.status = LoadSettings(out.record);
    });
    return out;
}

void Store(sim::Device &d, const std::vector<Stored> &values) {
    for (const Stored &v : values)
        SetValue(d, kSettingsKey, v.name, v.type, v.data);
}

std::u16string ImageOf(const CursorSettings &s) {
    return std::u16string(s.cursorImage);
}

struct LoadCase {
    const char *what;
    std::vector<Stored> changes; // applied over the valid record
    LONG status;
    std::function<bool(const CursorSettings &)> check;
};

} // namespace

TEST(SettingsLoad, FollowsTheLoadRules) {
    const std::u16string longName(300, u'a');
    std::vector<uint8_t> oddLength = Utf16z(u"abc");
    oddLength.pop_back();
    std::vector<uint8_t> unterminated = {'a', 0, 'b', 0};
    const LoadCase cases[] = {
        {"valid record",
         {},
         ERROR_SUCCESS,
         [](auto &s) {
             return s.cursorSpeed == 30 && s.snapToSipLetters == 0 && s.accelerationEnabled == 0 &&
                    s.accelerationSpeed == 2 && s.menuNavigationMethod == 2 &&
                    ImageOf(s) == u"cursor_white-24.bmp" && s.deviceModel == 12 && s.loaded;
         }},
        {"speed of wrong type",
         {{u"CursorSpeed", REG_DWORD, Le32(30)}},
         ERROR_INVALID_DATA,
         [](auto &s) { return s.cursorSpeed == 19 && s.menuNavigationMethod == 2; }},
        {"speed below range",
         {{u"CursorSpeed", REG_BINARY, Le32(5)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.cursorSpeed == 7; }},
        {"speed above range",
         {{u"CursorSpeed", REG_BINARY, Le32(100)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.cursorSpeed == 70; }},
        {"speed negative",
         {{u"CursorSpeed", REG_BINARY, Le32(-2000000000)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.cursorSpeed == 7; }},
        {"speed of two bytes",
         {{u"CursorSpeed", REG_BINARY, {30, 0}}},
         ERROR_SUCCESS,
         [](auto &s) { return s.cursorSpeed == 19; }},
        {"speed of eight bytes",
         {{u"CursorSpeed", REG_BINARY, {30, 0, 0, 0, 0, 0, 0, 0}}},
         ERROR_MORE_DATA,
         [](auto &s) { return s.cursorSpeed == 19; }},
        {"speed missing",
         {{u"CursorSpeed", kDelete, {}}},
         ERROR_FILE_NOT_FOUND,
         [](auto &s) { return s.cursorSpeed == 19 && s.accelerationSpeed == 2; }},
        {"wrong type then model missing: the last failure counts",
         {{u"CursorSpeed", REG_DWORD, Le32(30)}, {u"DeviceModel", kDelete, {}}},
         ERROR_FILE_NOT_FOUND,
         [](auto &s) { return s.cursorSpeed == 19 && s.deviceModel == 10; }},
        {"a short value later clears an earlier failure",
         {{u"SnapToSipLetters", REG_DWORD, Le32(1)}, {u"CursorAcceleration", REG_BINARY, {1}}},
         ERROR_SUCCESS,
         [](auto &s) { return s.snapToSipLetters == 1 && s.accelerationEnabled == 1; }},
        {"acceleration other than 1 is off",
         {{u"CursorAcceleration", REG_BINARY, Le32(2)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.accelerationEnabled == 0; }},
        {"acceleration speed 0",
         {{u"CursorAccelerationSpeed", REG_BINARY, Le32(0)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.accelerationSpeed == 1; }},
        {"acceleration speed 9",
         {{u"CursorAccelerationSpeed", REG_BINARY, Le32(9)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.accelerationSpeed == 3; }},
        {"menu method 0",
         {{u"MenuNavigationMethod", REG_DWORD, Le32(0)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.menuNavigationMethod == 1; }},
        {"menu method 3",
         {{u"MenuNavigationMethod", REG_DWORD, Le32(3)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.menuNavigationMethod == 1; }},
        {"menu method of wrong type",
         {{u"MenuNavigationMethod", REG_BINARY, Le32(2)}},
         ERROR_INVALID_DATA,
         [](auto &s) { return s.menuNavigationMethod == 1; }},
        {"image as expand_sz is not expanded",
         {{u"CursorImage", REG_EXPAND_SZ, Utf16z(u"%x%.bmp")}},
         ERROR_SUCCESS,
         [](auto &s) { return ImageOf(s) == u"%x%.bmp"; }},
        {"empty image name",
         {{u"CursorImage", REG_SZ, Utf16z(u"")}},
         ERROR_SUCCESS,
         [](auto &s) { return ImageOf(s).empty(); }},
        {"image of zero bytes",
         {{u"CursorImage", REG_SZ, {}}},
         ERROR_SUCCESS,
         [](auto &s) { return ImageOf(s).empty(); }},
        {"image of odd length",
         {{u"CursorImage", REG_SZ, oddLength}},
         ERROR_INVALID_DATA,
         [](auto &s) { return ImageOf(s) == u"cursor_black-16.bmp"; }},
        {"image without terminator",
         {{u"CursorImage", REG_SZ, unterminated}},
         ERROR_INVALID_DATA,
         [](auto &s) { return ImageOf(s) == u"cursor_black-16.bmp"; }},
        {"image of wrong type",
         {{u"CursorImage", REG_BINARY, Utf16z(u"a.bmp")}},
         ERROR_INVALID_DATA,
         [](auto &s) { return ImageOf(s) == u"cursor_black-16.bmp"; }},
        {"image too long",
         {{u"CursorImage", REG_SZ, Utf16z(longName)}},
         ERROR_MORE_DATA,
         [](auto &s) { return ImageOf(s) == u"cursor_black-16.bmp"; }},
        {"model 9",
         {{u"DeviceModel", REG_DWORD, Le32(9)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.deviceModel == 10; }},
        {"model 14",
         {{u"DeviceModel", REG_DWORD, Le32(14)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.deviceModel == 10; }},
        {"model 13",
         {{u"DeviceModel", REG_DWORD, Le32(13)}},
         ERROR_SUCCESS,
         [](auto &s) { return s.deviceModel == 13; }},
    };
    for (const LoadCase &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        Store(d, ValidRecord());
        for (const Stored &change : c.changes) {
            if (change.type == kDelete) {
                sim::RegKeyRef key = d.registry().FindKey(kSettingsKey);
                d.registry().DeleteValue(key, change.name);
            } else {
                SetValue(d, kSettingsKey, change.name, change.type, change.data);
            }
        }
        Loaded got = Load(d);
        EXPECT_EQ(got.status, c.status);
        EXPECT_TRUE(c.check(got.record));
    }
}

TEST(SettingsLoad, DefaultsFollowTheDevice) {
    struct Case {
        const char *what;
        int width, dpi;
        std::optional<std::vector<uint8_t>> modelFile;
        LONG speed;
        std::u16string image;
        LONG model;
    };
    const Case cases[] = {
        {"240 wide, 96 dpi", 240, 96, std::nullopt, 19, u"cursor_black-16.bmp", 10},
        {"241 wide", 241, 96, std::nullopt, 28, u"cursor_black-16.bmp", 10},
        {"129 dpi", 240, 129, std::nullopt, 19, u"cursor_black-16.bmp", 10},
        {"130 dpi", 240, 130, std::nullopt, 19, u"cursor_black-24.bmp", 10},
        {"model file X1", 240, 96, std::vector<uint8_t>{'X', '1', '0', '0', '0'}, 19,
         u"cursor_black-16.bmp", 11},
        {"model file of one byte", 240, 96, std::vector<uint8_t>{'X'}, 19, u"cursor_black-16.bmp",
         10},
        {"model file in UTF-16", 240, 96, std::vector<uint8_t>{'X', 0, '1', 0}, 19,
         u"cursor_black-16.bmp", 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d(sim::DeviceConfig{c.width, 320, c.dpi});
        if (c.modelFile)
            WriteFile(d, u"\\Windows\\ModelName.txt", *c.modelFile);
        Loaded got = Load(d);
        EXPECT_EQ(got.status, ERROR_FILE_NOT_FOUND); // no key at all
        EXPECT_EQ(got.record.cursorSpeed, c.speed);
        EXPECT_EQ(ImageOf(got.record), c.image);
        EXPECT_EQ(got.record.deviceModel, c.model);
        EXPECT_EQ(got.record.accelerationSpeed, 3);
        EXPECT_EQ(got.record.menuNavigationMethod, 1);
    }
}

TEST(SettingsLoad, AnOutOfRangeModelIsTenEvenOnAModelX1Device) {
    struct Case {
        const char *what;
        std::optional<Stored> model; // none: deleted
        LONG status, loaded;
    };
    // The model file makes 11 the default; only a missing or unreadable
    // value falls back to it.
    const Case cases[] = {
        {"model 9", Stored{u"DeviceModel", REG_DWORD, Le32(9)}, ERROR_SUCCESS, 10},
        {"model 14", Stored{u"DeviceModel", REG_DWORD, Le32(14)}, ERROR_SUCCESS, 10},
        {"model missing", std::nullopt, ERROR_FILE_NOT_FOUND, 11},
        {"model of wrong type", Stored{u"DeviceModel", REG_BINARY, Le32(12)}, ERROR_INVALID_DATA,
         11},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        WriteFile(d, u"\\Windows\\ModelName.txt", {'X', '1', '0', '0'});
        Store(d, ValidRecord());
        if (c.model)
            Store(d, {*c.model});
        else
            d.registry().DeleteValue(d.registry().FindKey(kSettingsKey), u"DeviceModel");
        Loaded got = Load(d);
        EXPECT_EQ(got.status, c.status);
        EXPECT_EQ(got.record.deviceModel, c.loaded);
    }
}

TEST(SettingsSave, WritesEveryValueInOrderWithItsType) {
    sim::Device d;
    LONG status = -1;
    RunInside(d, [&] {
        CursorSettings s;
        SetDefaultSettings(s);
        s.cursorSpeed = -3; // any int32 is written as it is
        status = SaveSettings(s);
    });
    EXPECT_EQ(status, ERROR_SUCCESS);
    sim::RegKeyRef key = d.registry().FindKey(kSettingsKey);
    ASSERT_TRUE(key);
    const std::vector<std::pair<std::u16string, uint32_t>> expected = {
        {u"CursorSpeed", REG_BINARY},         {u"CursorAccelerationSpeed", REG_BINARY},
        {u"SnapToSipLetters", REG_BINARY},    {u"CursorAcceleration", REG_BINARY},
        {u"MenuNavigationMethod", REG_DWORD}, {u"CursorImage", REG_SZ},
        {u"DeviceModel", REG_DWORD}};
    ASSERT_EQ(key->Values().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(key->Values()[i].name, expected[i].first);
        EXPECT_EQ(key->Values()[i].type, expected[i].second);
    }
    EXPECT_EQ(key->Values()[0].data, Le32(-3));
    EXPECT_EQ(key->Values()[5].data, Utf16z(u"cursor_black-16.bmp"));
}

TEST(SettingsSave, ReportsTheLastFailureAndStillWritesTheRest) {
    struct Case {
        sim::Fault fault;
        LONG status;
        size_t written;
    };
    const Case cases[] = {{sim::Fault::RegistryCreate, ERROR_ACCESS_DENIED, 0},
                          {sim::Fault::RegistryWrite, ERROR_WRITE_FAULT, 6},
                          {sim::Fault::RegistryFlush, ERROR_READ_FAULT, 7}};
    for (const Case &c : cases) {
        sim::Device d;
        SetValue(d, kSettingsKey, u"Other", REG_DWORD, Le32(1)); // the key exists
        d.FailNext(c.fault, static_cast<uint32_t>(c.status));
        LONG status = -1;
        RunInside(d, [&] {
            CursorSettings s;
            SetDefaultSettings(s);
            status = SaveSettings(s);
        });
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(d.registry().FindKey(kSettingsKey)->Values().size(), c.written + 1);
    }
}

TEST(SettingsImageName, CopiesOnlyWhenTheTerminatorFits) {
    struct Case {
        DWORD capacity;
        LONG status;
        DWORD capacityAfter;
        std::u16string copied;
    };
    // "abc" is three characters: a capacity of three has no room for its end.
    const Case cases[] = {{0, ERROR_MORE_DATA, 3, u"-"},
                          {2, ERROR_MORE_DATA, 3, u"-"},
                          {3, ERROR_MORE_DATA, 3, u"-"},
                          {4, ERROR_SUCCESS, 4, u"abc"},
                          {260, ERROR_SUCCESS, 260, u"abc"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.capacity);
        CursorSettings s;
        LONG status = -1;
        DWORD capacity = c.capacity;
        WCHAR buffer[8] = {u'-', 0, 0, 0, 0, 0, 0, u'!'};
        sim::Device d;
        RunInside(d, [&] {
            SetDefaultSettings(s);
            s.cursorImage[0] = u'a', s.cursorImage[1] = u'b', s.cursorImage[2] = u'c';
            s.cursorImage[3] = 0;
            status = GetCursorImageName(s, buffer, &capacity);
        });
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(capacity, c.capacityAfter);
        EXPECT_EQ(std::u16string(buffer), c.copied);
        EXPECT_EQ(buffer[7], u'!');
    }
}

// ---------------------------------------------------------------- start-up recovery

namespace {

std::map<std::u16string, sim::RegValue> StartAndReadBack(sim::Device &d) {
    sim::InstallPackage(d);
    StartCursor(d, 500);
    std::map<std::u16string, sim::RegValue> out;
    if (sim::RegKeyRef key = d.registry().FindKey(kSettingsKey))
        for (const sim::RegValue &v : key->Values())
            out[v.name] = v;
    return out;
}

} // namespace

TEST(SettingsRecovery, FirstStartWritesAllSevenDefaults) {
    sim::Device d;
    auto values = StartAndReadBack(d);
    ASSERT_EQ(values.size(), 7u);
    EXPECT_EQ(values[u"CursorSpeed"].type, REG_BINARY);
    EXPECT_EQ(values[u"CursorSpeed"].data, Le32(19));
    EXPECT_EQ(values[u"CursorAcceleration"].data, Le32(1));
    EXPECT_EQ(values[u"CursorAccelerationSpeed"].data, Le32(3));
    EXPECT_EQ(values[u"SnapToSipLetters"].data, Le32(1));
    EXPECT_EQ(values[u"MenuNavigationMethod"].type, REG_DWORD);
    EXPECT_EQ(values[u"MenuNavigationMethod"].data, Le32(1));
    EXPECT_EQ(values[u"CursorImage"].type, REG_SZ);
    EXPECT_EQ(values[u"CursorImage"].data, Utf16z(u"cursor_black-16.bmp"));
    EXPECT_EQ(values[u"DeviceModel"].data, Le32(10));
}

TEST(SettingsRecovery, AWrongTypeResetsEverything) {
    sim::Device d;
    Store(d, ValidRecord());
    SetValue(d, kSettingsKey, u"CursorSpeed", REG_DWORD, Le32(30));
    auto values = StartAndReadBack(d);
    EXPECT_EQ(values[u"CursorSpeed"].type, REG_BINARY);
    EXPECT_EQ(values[u"CursorSpeed"].data, Le32(19));
    EXPECT_EQ(values[u"MenuNavigationMethod"].data, Le32(1));
    EXPECT_EQ(values[u"CursorImage"].data, Utf16z(u"cursor_black-16.bmp"));
    EXPECT_EQ(values[u"DeviceModel"].data, Le32(10));
}

TEST(SettingsRecovery, AMissingValueKeepsTheOthers) {
    sim::Device d;
    Store(d, ValidRecord());
    SetValue(d, kSettingsKey, u"CursorSpeed", REG_DWORD, Le32(30));
    d.registry().DeleteValue(d.registry().FindKey(kSettingsKey), u"DeviceModel");
    auto values = StartAndReadBack(d);
    EXPECT_EQ(values[u"CursorSpeed"].type, REG_BINARY);
    EXPECT_EQ(values[u"CursorSpeed"].data, Le32(19));
    EXPECT_EQ(values[u"MenuNavigationMethod"].data, Le32(2));
    EXPECT_EQ(values[u"CursorImage"].data, Utf16z(u"cursor_white-24.bmp"));
    EXPECT_EQ(values[u"DeviceModel"].data, Le32(10));
}

TEST(SettingsRecovery, ClampedValuesAreNotRewritten) {
    sim::Device d;
    Store(d, ValidRecord());
    SetValue(d, kSettingsKey, u"CursorSpeed", REG_BINARY, Le32(5));
    auto values = StartAndReadBack(d);
    EXPECT_EQ(values[u"CursorSpeed"].data, Le32(5));
}
