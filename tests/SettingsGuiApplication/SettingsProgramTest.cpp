// The settings program as a user, the registry and the running cursor
// program see it: the dialog and its pages, previews, save, cancel, restore
// defaults, help bubbles and About.
#include "../../SettingsGuiApplication/resource.h"
#include "CursorSettings.h"
#include "support/Devices.h"
#include "support/Win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace test;

namespace {

const std::u16string kSettings = u"\\Program Files\\Pointrel\\PLSettings.exe";
const std::u16string kTitle = u"Cursor Settings";

// A device with the package installed and, unless told otherwise, the
// cursor program running.
std::unique_ptr<sim::Device> MakeDevice(bool cursor = true) {
    auto d = std::make_unique<sim::Device>();
    sim::InstallPackage(*d);
    if (cursor)
        StartCursor(*d, 500);
    return d;
}

uint32_t OpenSettings(sim::Device &d) {
    uint32_t pid = d.Start(kSettings);
    d.Wait(500);
    return pid;
}

// A command as the shell sends it, at this very moment (for exact times).
void Command(sim::Device &d, int id, uint64_t settle = 200) {
    ASSERT_TRUE(d.Post(u"Dialog", WM_COMMAND, id, 0));
    d.Wait(settle);
}

// A command as the user gives it: the title bar's "ok", the left soft key,
// or an item of the right soft key's menu.
void Choose(sim::Device &d, int id, uint64_t settle = 200) {
    struct Item {
        int id;
        const char16_t *text;
    };
    const Item items[] = {{IDM_SAVE, u"Save"},
                          {IDM_MENU_CANCEL, u"Cancel"},
                          {IDM_RESTORE_DEFAULTS, u"Restore Defaults"},
                          {IDM_SHOW_HIDE_CURSOR, u"Show/Hide Cursor"},
                          {IDM_ABOUT, u"About"}};
    if (id == IDOK) {
        ASSERT_TRUE(d.TapOk());
    } else if (id == IDM_CANCEL) {
        ASSERT_TRUE(d.TapSoftKey(0));
    } else {
        const Item *item = nullptr;
        for (const Item &i : items)
            if (i.id == id)
                item = &i;
        ASSERT_NE(item, nullptr) << id;
        ASSERT_TRUE(d.TapSoftKey(1));
        d.Wait(100);
        ASSERT_TRUE(d.TapMenuItem(item->text));
    }
    d.Wait(settle);
}

const sim::ControlInfo *Control(const sim::DialogReport &r, int id, bool visibleOnly = true) {
    for (const sim::ControlInfo &c : r.controls)
        if (c.id == id && (c.visible || !visibleOnly))
            return &c;
    return nullptr;
}

sim::DialogReport Describe(sim::Device &d, const std::u16string &title = kTitle) {
    std::optional<sim::DialogReport> r = d.DescribeDialog(title);
    EXPECT_TRUE(r.has_value());
    return r.value_or(sim::DialogReport{});
}

void Tap(sim::Device &d, int id) {
    std::string why;
    ASSERT_TRUE(d.TapControl(kTitle, id, &why)) << why;
    d.Wait(200);
}

void Tab(sim::Device &d, int tab) {
    std::string why;
    ASSERT_TRUE(d.TapTab(kTitle, IDC_TABS, tab, &why)) << why;
    d.Wait(200);
}

void Slide(sim::Device &d, int id, int position) {
    std::string why;
    ASSERT_TRUE(d.SlideTrackbar(kTitle, id, position, &why)) << why;
    d.Wait(200);
}

void Select(sim::Device &d, int row) {
    std::string why;
    ASSERT_TRUE(d.SelectRow(kTitle, IDC_IMAGE_LIST, row, &why)) << why;
    d.Wait(200);
}

LONG Binary(sim::Device &d, const std::u16string &name) {
    auto v = GetValue(d, kSettingsKey, name);
    if (!v || v->data.size() != 4)
        return -1;
    return LONG(v->data[0] | v->data[1] << 8 | v->data[2] << 16 | v->data[3] << 24);
}

std::u16string Image(sim::Device &d) {
    auto v = GetValue(d, kSettingsKey, u"CursorImage");
    if (!v || v->data.size() < 2)
        return u"";
    std::u16string s;
    for (size_t i = 0; i + 1 < v->data.size(); i += 2)
        s += char16_t(v->data[i] | v->data[i + 1] << 8);
    return s.substr(0, s.find(u'\0'));
}

// The stored record, value by value: type and bytes.
std::map<std::u16string, std::pair<uint32_t, std::vector<uint8_t>>> Record(sim::Device &d) {
    std::map<std::u16string, std::pair<uint32_t, std::vector<uint8_t>>> record;
    for (const char16_t *name :
         {u"CursorSpeed", u"CursorAcceleration", u"CursorAccelerationSpeed", u"SnapToSipLetters",
          u"MenuNavigationMethod", u"CursorImage", u"DeviceModel"})
        if (auto v = GetValue(d, kSettingsKey, name))
            record[name] = {v->type, v->data};
    return record;
}

// The cursor's first move to the right when the key goes down, from the
// screen's left edge so that no clamp cuts it short.
int FirstStep(sim::Device &d) {
    DragCursorTo(d, 0, 100);
    int from = CursorRect(d).left;
    d.Key(VK_RIGHT, false);
    int step = 0;
    for (int i = 0; i < 100 && step == 0; ++i) {
        d.Wait(1);
        step = CursorRect(d).left - from;
    }
    d.Key(VK_RIGHT, true);
    d.Wait(100);
    return step;
}

// The WM_CLOSE messages that a cursor window which never closes received.
int gIgnoredCloses = 0;

LRESULT CALLBACK NeverCloses(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        ++gIgnoredCloses;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

TEST(SettingsProgram, OpensFullScreenWithTheGeneralPageAndStoresAMissingRecord) {
    auto d = MakeDevice(false);
    uint32_t pid = OpenSettings(*d);
    for (const char16_t *name :
         {u"CursorSpeed", u"CursorAcceleration", u"CursorAccelerationSpeed", u"SnapToSipLetters",
          u"MenuNavigationMethod", u"CursorImage", u"DeviceModel"})
        EXPECT_TRUE(GetValue(*d, kSettingsKey, name).has_value()) << "stored at once";
    sim::DialogReport r = Describe(*d);
    EXPECT_EQ(r.dialog.rect, (sim::Rect{0, 26, 240, 294})) << "the work area above the soft keys";
    ASSERT_NE(Control(r, IDC_TABS), nullptr);
    EXPECT_EQ(Control(r, IDC_TABS)->words, "tabs 4 selected 0");
    EXPECT_NE(Control(r, IDC_SHOW_HIDE_CURSOR), nullptr) << "the General page shows";
    EXPECT_EQ(Control(r, IDC_SPEED), nullptr) << "the Movement page does not";
    ASSERT_NE(Control(r, IDC_MENU_KEYS), nullptr);
    EXPECT_EQ(Control(r, IDC_MENU_KEYS)->words, "checked");
    auto calls = d->Calls(pid);
    std::cout << "platform calls to open the dialog: " << Total(calls) << "\n";
    EXPECT_LT(Total(calls), 1500u);
    EXPECT_EQ(EventsStarting(*d, "messagebox").size(), 0u);
}

TEST(SettingsProgram, TheMenuBarOffersCancelAndTheMenu) {
    auto d = MakeDevice(false);
    OpenSettings(*d);
    EXPECT_EQ(d->SoftKeyLabels(), (std::array<std::u16string, 2>{u"Cancel", u"Menu"}));
    ASSERT_TRUE(d->TapSoftKey(1));
    d->Wait(100);
    EXPECT_EQ(d->OpenMenuItems(),
              (std::vector<std::u16string>{u"Save", u"Cancel", u"Restore Defaults", u"-",
                                           u"Show/Hide Cursor", u"-", u"About"}));
}

TEST(SettingsProgram, EachTabShowsItsPageAndHidesTheOthers) {
    struct Case {
        int tab;
        int shown;
        std::vector<int> hidden;
    };
    // One control of each page that no other page has.
    const Case cases[] = {
        {1, IDC_SPEED, {IDC_HELP_SHOW_HIDE, IDC_BUTTON_LIST, IDC_IMAGE_LIST}},
        {2, IDC_BUTTON_LIST, {IDC_HELP_SHOW_HIDE, IDC_SPEED, IDC_IMAGE_LIST}},
        {3, IDC_IMAGE_LIST, {IDC_HELP_SHOW_HIDE, IDC_SPEED, IDC_BUTTON_LIST}},
        {0, IDC_HELP_SHOW_HIDE, {IDC_SPEED, IDC_BUTTON_LIST, IDC_IMAGE_LIST}},
    };
    auto d = MakeDevice(false);
    OpenSettings(*d);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tab);
        Tab(*d, c.tab);
        sim::DialogReport r = Describe(*d);
        EXPECT_NE(Control(r, c.shown), nullptr);
        for (int id : c.hidden)
            EXPECT_EQ(Control(r, id), nullptr) << id;
    }
}

TEST(SettingsProgram, ASpeedPreviewGivesTheCursorThatStep) {
    // Without acceleration the first move is the full speed.
    auto d = MakeDevice(false);
    SetValue(*d, kSettingsKey, u"CursorAcceleration", REG_BINARY, Le32(0));
    StartCursor(*d, 500);
    OpenSettings(*d);
    EXPECT_EQ(FirstStep(*d), 19) << "the stored default";
    Tab(*d, 1);
    for (int speed : {7, 50, 70}) {
        SCOPED_TRACE(speed);
        Slide(*d, IDC_SPEED, speed);
        EXPECT_EQ(FirstStep(*d), speed);
    }
    EXPECT_EQ(Binary(*d, u"CursorSpeed"), 19) << "a preview stores nothing";
}

TEST(SettingsProgram, PickingAnImageShowsItOnTheCursor) {
    struct Case {
        int row;
        int width, height;
    };
    const Case cases[] = {{4, 48, 48}, {0, 12, 19}, {7, 32, 32}};
    auto d = MakeDevice();
    OpenSettings(*d);
    Tab(*d, 3);
    EXPECT_NE(Control(Describe(*d), IDC_IMAGE_LIST)->words.find("selected -1"), std::string::npos)
        << "no row is selected at first";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.row);
        Select(*d, c.row);
        sim::Rect r = CursorRect(*d);
        EXPECT_EQ(r.Width(), c.width);
        EXPECT_EQ(r.Height(), c.height);
    }
}

TEST(SettingsProgram, SaveStoresThePagesAndOkEndsTheProgram) {
    auto d = MakeDevice();
    uint32_t pid = OpenSettings(*d);
    Tap(*d, IDC_MENU_CURSOR);
    Tab(*d, 1);
    Slide(*d, IDC_SPEED, 33);
    Slide(*d, IDC_ACCELERATION_SPEED, 1);
    Tap(*d, IDC_ACCELERATION);
    Tab(*d, 3);
    Select(*d, 2);
    Choose(*d, IDM_SAVE);
    EXPECT_EQ(Binary(*d, u"CursorSpeed"), 33);
    EXPECT_EQ(Binary(*d, u"CursorAccelerationSpeed"), 1);
    EXPECT_EQ(Binary(*d, u"CursorAcceleration"), 0);
    EXPECT_EQ(GetValue(*d, kSettingsKey, u"MenuNavigationMethod")->data, Le32(2));
    EXPECT_EQ(Image(*d), u"cursor_white-24.bmp");
    EXPECT_EQ(d->ExitCode(pid), STILL_ACTIVE) << "Save keeps the dialog open";

    Choose(*d, IDOK);
    EXPECT_EQ(d->ExitCode(pid), 0u);
    EXPECT_FALSE(d->FindTopmost(u"Dialog"));
    EXPECT_TRUE(d->IsRunning(kPointrel)) << "the cursor keeps running with what was stored";
    EXPECT_TRUE(EventsStarting(*d, "process start").size() == 3u) << "nothing restarted";
}

TEST(SettingsProgram, CancelDropsThePreviewsAndRestartsTheCursorProgram) {
    auto d = MakeDevice();
    SetValue(*d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(u"cursor_black-32.bmp"));
    uint32_t pid = OpenSettings(*d);
    auto registryBefore = Record(*d);
    Tab(*d, 3);
    Select(*d, 4);
    EXPECT_EQ(CursorRect(*d).Width(), 48);
    uint64_t cancelled = d->Now();
    Command(*d, IDM_CANCEL, 3000);
    EXPECT_EQ(d->ExitCode(pid), 0u);
    EXPECT_EQ(Record(*d), registryBefore);
    auto starts = EventsStarting(*d, "process start");
    ASSERT_EQ(starts.size(), 4u);
    EXPECT_EQ(starts[3].time, cancelled + 2000) << "closed, checked a second later, started";
    EXPECT_EQ(CursorRect(*d).Width(), 32) << "the stored image again";
}

TEST(SettingsProgram, CancelWithoutACursorProgramStartsNone) {
    auto d = MakeDevice(false);
    uint32_t pid = OpenSettings(*d);
    Choose(*d, IDM_MENU_CANCEL);
    EXPECT_EQ(d->ExitCode(pid), 0u);
    EXPECT_FALSE(d->IsRunning(kPointrel));
}

TEST(SettingsProgram, RestoreDefaultsStoresAndShowsTheDefaults) {
    auto d = MakeDevice();
    SetValue(*d, kSettingsKey, u"CursorSpeed", REG_BINARY, Le32(60));
    SetValue(*d, kSettingsKey, u"CursorAcceleration", REG_BINARY, Le32(0));
    SetValue(*d, kSettingsKey, u"MenuNavigationMethod", REG_DWORD, Le32(2));
    SetValue(*d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(u"cursor_white-32.bmp"));
    uint32_t pid = OpenSettings(*d);
    Tab(*d, 1);
    Choose(*d, IDM_RESTORE_DEFAULTS, 3000);
    EXPECT_EQ(Binary(*d, u"CursorSpeed"), 19);
    EXPECT_EQ(Binary(*d, u"CursorAcceleration"), 1);
    EXPECT_EQ(GetValue(*d, kSettingsKey, u"MenuNavigationMethod")->data, Le32(1));
    EXPECT_EQ(Image(*d), u"cursor_black-16.bmp");
    sim::DialogReport r = Describe(*d);
    EXPECT_EQ(Control(r, IDC_SPEED)->words, "position 19 range 7 70");
    EXPECT_EQ(Control(r, IDC_ACCELERATION)->words, "checked");
    EXPECT_EQ(Control(r, IDC_MENU_KEYS, false)->words, "checked");
    EXPECT_EQ(d->ExitCode(pid), STILL_ACTIVE);
    EXPECT_EQ(CursorRect(*d).Width(), 16) << "the cursor program started again";
}

TEST(SettingsProgram, EveryHelpLabelShowsItsOwnBubble) {
    struct Case {
        int tab;
        int label;
        const char *starts;
    };
    const Case cases[] = {
        {0, IDC_HELP_MENU_BEHAVIOUR, "<HTML><BODY>This option lets you choose"},
        {0, IDC_HELP_SHOW_HIDE, "<HTML><BODY><u>Tip</u>: You can show/hide"},
        {1, IDC_HELP_SPEED, "<HTML><BODY>This sets the speed of the cursor."},
        {1, IDC_HELP_ACCELERATION, "<HTML><BODY>Cursor Acceleration (recommended)"},
        {2, IDC_HELP_BUTTONS, "<HTML><BODY>Setting a button to show/hide"},
        {3, IDC_HELP_IMAGE, "<HTML><BODY>You can change the appearance"},
    };
    auto d = MakeDevice(false);
    OpenSettings(*d);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        size_t before = EventsStarting(*d, "notification").size();
        Tab(*d, c.tab);
        Tap(*d, c.label);
        auto shown = EventsStarting(*d, "notification");
        ASSERT_EQ(shown.size(), before + 1);
        const std::string &text = shown.back().text;
        EXPECT_EQ(text.rfind("notification \"Pointrel Help\" \"" + std::string(c.starts), 0), 0u)
            << text;
        EXPECT_EQ(text.substr(text.size() - 15), "</BODY></HTML>\"");
        EXPECT_EQ(EventsStarting(*d, "messagebox").size(), 0u) << "no reminder for a help tap";
        if (d->FindTopmost(u"NotificationBubble"))
            d->Post(u"NotificationBubble", WM_CLOSE, 0, 0);
        d->Wait(100);
    }
}

TEST(SettingsProgram, TheBubbleClosesByItsOwnButtonOrByASoftKeyByPlatform) {
    struct Case {
        const char *what;
        uint32_t major, minor;
        const char *ending;
        std::u16string leftSoftKey;
    };
    const Case cases[] = {
        {"Windows Mobile 2003", 4, 21,
         "anytime.<p align=right><input type=button name='cmd:3' value='Close'></p>"
         "</BODY></HTML>\"",
         u"Cancel"},
        {"Windows Mobile 6", 5, 2, "anytime.</BODY></HTML>\"", u"Dismiss"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto d = MakeDevice(false);
        d->SetOsVersion(c.major, c.minor);
        OpenSettings(*d);
        Tap(*d, IDC_HELP_SHOW_HIDE);
        auto shown = EventsStarting(*d, "notification");
        ASSERT_EQ(shown.size(), 1u);
        const std::string &text = shown[0].text;
        EXPECT_EQ(text.substr(text.size() - std::string(c.ending).size()), c.ending) << text;
        EXPECT_EQ(d->SoftKeyLabels()[0], c.leftSoftKey);
    }
}

TEST(SettingsProgram, AboutOpensFullScreenUntilOk) {
    auto d = MakeDevice(false);
    uint32_t pid = OpenSettings(*d);
    Choose(*d, IDM_ABOUT, 300);
    std::optional<sim::DialogReport> about = d->DescribeDialog(u"About Pointrel");
    ASSERT_TRUE(about.has_value());
    EXPECT_EQ(about->dialog.rect, (sim::Rect{0, 26, 240, 294}));
    const sim::ControlInfo *picture = Control(*about, IDC_ABOUT_PICTURE);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->rect.Width(), 65);
    EXPECT_EQ(picture->rect.Height(), 66);
    EXPECT_EQ(d->Foreground()->title, u"About Pointrel");
    Choose(*d, IDOK, 300); // About's "ok"
    EXPECT_FALSE(d->DescribeDialog(u"About Pointrel").has_value());
    EXPECT_TRUE(d->DescribeDialog(kTitle).has_value());
    EXPECT_EQ(d->ExitCode(pid), STILL_ACTIVE);
}

TEST(SettingsProgram, ASecondStartBringsTheOpenDialogForward) {
    auto d = MakeDevice(false);
    uint32_t first = OpenSettings(*d);
    ASSERT_TRUE(d->CreateScriptWindow(u"Other", u"Other", sim::Rect{0, 26, 240, 294}, false));
    d->Wait(100);
    uint32_t second = OpenSettings(*d);
    EXPECT_EQ(d->ExitCode(second), 0u);
    EXPECT_EQ(d->ExitCode(first), STILL_ACTIVE);
    EXPECT_EQ(d->Foreground()->title, kTitle);
    EXPECT_EQ(d->Calls(second)["DialogBoxParamW"], 0u);
}

TEST(SettingsProgram, AFailedSaveIsReportedAndOkStillCloses) {
    auto d = MakeDevice(false);
    uint32_t pid = OpenSettings(*d);
    d->FailRegistryWrites(std::nullopt, true);
    Choose(*d, IDOK);
    auto boxes = EventsStarting(*d, "messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("\"Pointrel Error\" \"Error saving settings. Please report the "
                                 "following error code to Quorvane: \\n\\nError Code: 144\" 0x0"),
              std::string::npos)
        << boxes[0].text;
    EXPECT_TRUE(d->Answer(u"Pointrel Error", IDOK));
    d->Wait(200);
    EXPECT_EQ(d->ExitCode(pid), 0u);
}

TEST(SettingsProgram, TheShowHideButtonTogglesTheCursorAndReportsAFailedStart) {
    auto d = MakeDevice(false);
    OpenSettings(*d);
    Tap(*d, IDC_SHOW_HIDE_CURSOR);
    d->Wait(500);
    EXPECT_TRUE(d->IsRunning(kPointrel));
    Tap(*d, IDC_SHOW_HIDE_CURSOR);
    d->Wait(500);
    EXPECT_FALSE(d->IsRunning(kPointrel));
    EXPECT_EQ(EventsStarting(*d, "messagebox").size(), 0u);

    d->FailProcessStart(kPointrel);
    Choose(*d, IDM_SHOW_HIDE_CURSOR);
    EXPECT_EQ(EventsStarting(*d, "messagebox").size(), 0u) << "the menu reports nothing";
    Tap(*d, IDC_SHOW_HIDE_CURSOR);
    auto boxes = EventsStarting(*d, "messagebox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("\"Error opening Pointrel\" \"Could not open Pointrel Monodex. "
                                 "Please report this error to Quorvane.\" 0x10"),
              std::string::npos)
        << boxes[0].text;
}

TEST(SettingsProgram, ClearingAccelerationDisablesItsControlsAndPreviews) {
    auto d = MakeDevice();
    OpenSettings(*d);
    Tab(*d, 1);
    Tap(*d, IDC_ACCELERATION);
    sim::DialogReport r = Describe(*d);
    for (int id : {IDC_ACCELERATION_SPEED, IDC_ACCELERATION_SLOW, IDC_ACCELERATION_FAST,
                   IDC_ACCELERATION_LABEL}) {
        ASSERT_NE(Control(r, id), nullptr) << id;
        EXPECT_FALSE(Control(r, id)->enabled) << id;
    }
    // Without acceleration the cursor moves at full speed from the first step.
    DragCursorTo(*d, 0, 100);
    HoldKey(*d, VK_RIGHT, 60);
    d->Wait(100);
    EXPECT_EQ(CursorRect(*d).left, 19) << "one full step of the default speed";
}

TEST(SettingsProgram, ACursorProgramThatNeverClosesIsAskedElevenTimesAndNotStarted) {
    auto d = MakeDevice(false);
    gIgnoredCloses = 0;
    uint32_t hung = d->StartFunction(u"\\Temp\\hung.exe", [] {
        RegisterWindowClass(reinterpret_cast<const WCHAR *>(kCursorClass.c_str()), NeverCloses);
        CreateWindowExW(0, reinterpret_cast<const WCHAR *>(kCursorClass.c_str()), nullptr, WS_POPUP,
                        0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        PumpFor(60000);
        return 0u;
    });
    d->Wait(100);
    uint32_t pid = OpenSettings(*d);
    uint64_t cancelled = d->Now();
    Command(*d, IDM_CANCEL, 0);
    d->Wait(10999);
    EXPECT_EQ(d->ExitCode(pid), STILL_ACTIVE);
    d->Wait(1);
    EXPECT_EQ(d->ExitCode(pid), 0u) << "the dialog still closes, " << d->Now() - cancelled;
    EXPECT_EQ(gIgnoredCloses, 11);
    EXPECT_FALSE(d->IsRunning(kPointrel)) << "nothing is started";
    EXPECT_EQ(d->ExitCode(hung), STILL_ACTIVE);
}

TEST(SettingsProgram, WorkingThePagesHoldsNoMoreObjectsThanOpeningThem) {
    auto d = MakeDevice();
    uint32_t pid = OpenSettings(*d);
    // Every page once, so that each has painted and made its brush.
    for (int tab : {1, 2, 3, 0})
        Tab(*d, tab);
    size_t gdi = d->GdiObjectCount(pid);
    size_t handles = d->HandleCount(pid);
    for (int round = 0; round < 3; ++round) {
        Tab(*d, 1);
        Slide(*d, IDC_SPEED, 20 + round);
        Tap(*d, IDC_HELP_SPEED);
        Tab(*d, 3);
        Select(*d, round);
        Tap(*d, IDC_HELP_IMAGE);
        Tab(*d, 0);
        Tap(*d, IDC_HELP_SHOW_HIDE);
        Command(*d, IDM_SAVE);
    }
    EXPECT_EQ(d->GdiObjectCount(pid), gdi);
    EXPECT_EQ(d->HandleCount(pid), handles);
}

TEST(SettingsProgram, RestoreDefaultsLeavesTheChosenImageForTheNextSave) {
    auto d = MakeDevice(false);
    uint32_t pid = OpenSettings(*d);
    Tab(*d, 3);
    Select(*d, 8);
    Choose(*d, IDM_RESTORE_DEFAULTS);
    EXPECT_EQ(Image(*d), u"cursor_black-16.bmp");
    EXPECT_NE(Control(Describe(*d), IDC_IMAGE_LIST)->words.find("selected 8"), std::string::npos);
    EXPECT_FALSE(d->IsRunning(kPointrel)) << "no cursor program to restart";
    Choose(*d, IDOK);
    EXPECT_EQ(Image(*d), u"cursor_black-48.bmp");
    EXPECT_EQ(d->ExitCode(pid), 0u);
}

TEST(SettingsProgram, ListColumnsScaleWithTheScreensResolution) {
    struct Case {
        int width, height, dpi;
        const char *columns;
    };
    const Case cases[] = {{240, 320, 96, "columns 120 75"}, {480, 640, 192, "columns 240 150"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dpi);
        sim::DeviceConfig config;
        config.width = c.width;
        config.height = c.height;
        config.dpi = c.dpi;
        sim::Device d(config);
        sim::InstallPackage(d);
        OpenSettings(d);
        Tab(d, 3);
        sim::DialogReport r = Describe(d);
        const sim::ControlInfo *list = Control(r, IDC_IMAGE_LIST);
        ASSERT_NE(list, nullptr);
        EXPECT_NE(list->words.find(c.columns), std::string::npos) << list->words;
    }
}

TEST(SettingsProgram, ARotatedScreenRefitsTheTabsAndPages) {
    auto d = MakeDevice(false);
    OpenSettings(*d);
    d->SetScreen(320, 240, 96);
    d->Wait(200);
    sim::DialogReport r = Describe(*d);
    EXPECT_EQ(r.dialog.rect, (sim::Rect{0, 26, 320, 214}));
    const sim::ControlInfo *tabs = Control(r, IDC_TABS);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->rect, r.dialog.rect);
    const sim::ControlInfo *page = nullptr;
    for (const sim::ControlInfo &c : r.controls)
        if (c.className == u"Dialog" && c.visible)
            page = &c;
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->rect.left, 0);
    EXPECT_EQ(page->rect.top, 26);
    EXPECT_EQ(page->rect.right, 320);
    EXPECT_LT(page->rect.bottom, 214) << "above the tabs";
}

TEST(SettingsProgram, ACloseFromOutsideEndsWithoutSavingOrRestarting) {
    auto d = MakeDevice();
    uint32_t pid = OpenSettings(*d);
    auto stored = Record(*d);
    Tab(*d, 1);
    Slide(*d, IDC_SPEED, 60);
    ASSERT_TRUE(d->Post(u"Dialog", WM_CLOSE, 0, 0));
    d->Wait(2500);
    EXPECT_EQ(d->ExitCode(pid), 0u);
    EXPECT_EQ(Record(*d), stored);
    EXPECT_EQ(EventsStarting(*d, "process start").size(), 3u) << "the cursor program not restarted";
}
