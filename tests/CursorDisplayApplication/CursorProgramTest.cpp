// The cursor program as a user and the platform see it: start, toggle, the
// start-up error box, previews and screen changes.
#include "CursorSettings.h"
#include "resource.h"
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace test;

namespace {

const std::string kErrorBox =
    "\"Pointrel Error\" \"Could not open cursor file. Please try another cursor by using the "
    "\\\"Display\\\" tab in Pointrel Settings.\\n\\nThis window will close automatically in 30 "
    "seconds if you don't press \\\"OK\\\".\" 0x10";
const std::string kPreviewErrorBox =
    "\"Pointrel Error\" \"Could not open cursor file. Please try another cursor by using the "
    "\\\"Display\\\" tab in Pointrel Settings.\" 0x10";

bool CursorVisible(sim::Device &d) {
    auto c = d.FindTopmost(kCursorClass);
    return c && c->visible;
}

void Preview(sim::Device &d, uint32_t code, intptr_t value) {
    ASSERT_TRUE(d.Post(kCursorClass, WM_SETTING_PREVIEW, code, value));
    d.Wait(50);
}

} // namespace

TEST(CursorProgram, FreshDeviceShowsTheCursorAtTheCentre) {
    sim::Device d;
    sim::InstallPackage(d);
    StartCursor(d);
    EXPECT_EQ(CursorRect(d), (sim::Rect{120, 160, 136, 176}));
    EXPECT_TRUE(CursorVisible(d));
    // The hot spot pixel is drawn from the image; the key colour is not.
    EXPECT_EQ(d.PixelAt(120, 160) & 0xF8FCF8, 0xF8FCF8u & 0xFFFFFF);
    uint32_t beside = d.PixelAt(135, 160);
    EXPECT_EQ(beside, d.PixelAt(200, 50)) << "transparent pixels show what lies below";
}

TEST(CursorProgram, StartingAgainTogglesTheCursor) {
    sim::Device d;
    sim::InstallPackage(d);
    uint32_t first = StartCursor(d);
    uint32_t second = StartCursor(d);
    EXPECT_EQ(d.ExitCode(first), 0u);
    EXPECT_EQ(d.ExitCode(second), 0u);
    EXPECT_EQ(d.Calls(first)["UnregisterHotKey"], 25u) << "the keys are given back";
    EXPECT_FALSE(d.FindTopmost(kCursorClass));
    EXPECT_EQ(EventsStarting(d, "messagebox").size(), 0u);
    uint32_t third = StartCursor(d);
    EXPECT_EQ(d.ExitCode(third), STILL_ACTIVE);
    EXPECT_TRUE(CursorVisible(d));
}

TEST(CursorProgram, ACloseFromAnyoneEndsTheProgram) {
    sim::Device d;
    sim::InstallPackage(d);
    uint32_t pid = StartCursor(d);
    ASSERT_TRUE(d.Post(kCursorClass, WM_CLOSE, 0, 0));
    d.Wait(10);
    EXPECT_EQ(d.ExitCode(pid), 0u);
    EXPECT_FALSE(d.FindTopmost(kCursorClass));
}

TEST(CursorProgram, MissingImageShowsTheTimedErrorBox) {
    struct Case {
        const char *what;
        bool answer;
        uint64_t endsAfter; // ms from the box's opening
    };
    const Case cases[] = {{"answered", true, 999}, {"unanswered", false, 30000}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        sim::InstallPackage(d);
        SetValue(d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(u"nothing.bmp"));
        uint32_t pid = StartCursor(d, 0);
        auto boxes = EventsStarting(d, "messagebox");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "messagebox " + std::to_string(pid) + " " + kErrorBox);
        uint64_t opened = boxes[0].time;
        d.Wait(c.endsAfter - 1);
        EXPECT_EQ(d.ExitCode(pid), STILL_ACTIVE) << "still running just before";
        if (c.answer) {
            d.Wait(1);
            EXPECT_TRUE(d.Answer(u"Pointrel Error", IDOK));
        }
        d.Wait(c.answer ? 0 : 1);
        EXPECT_EQ(d.ExitCode(pid), 0u);
        auto exits = EventsStarting(d, "process exit " + std::to_string(pid));
        ASSERT_EQ(exits.size(), 1u);
        EXPECT_EQ(exits[0].time, opened + c.endsAfter);
        EXPECT_FALSE(d.FindTopmost(u"Dialog"));
    }
}

TEST(CursorProgram, TheErrorBoxLeavesTheKeysToTheBox) {
    sim::Device d;
    sim::InstallPackage(d);
    SetValue(d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(u"nothing.bmp"));
    uint32_t pid = StartCursor(d, 5000);
    EXPECT_FALSE(CursorVisible(d));
    EXPECT_EQ(d.Calls(pid)["RegisterHotKey"], 0u);
    // The action key reaches the box and presses its OK button.
    d.Key(VK_RETURN, false);
    d.Key(VK_RETURN, true);
    d.Wait(10);
    EXPECT_EQ(d.ExitCode(pid), 0u);
    EXPECT_TRUE(EventsStarting(d, "mouse_event").empty());
}

TEST(CursorProgram, StartingWhileTheErrorBoxIsOpenBringsItForward) {
    sim::Device d;
    sim::InstallPackage(d);
    SetValue(d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(u"nothing.bmp"));
    uint32_t first = StartCursor(d);
    d.CreateScriptWindow(u"App", u"App", sim::Rect{0, 0, 240, 320}, true);
    ASSERT_EQ(d.Foreground()->className, u"App");
    uint32_t second = StartCursor(d);
    EXPECT_EQ(d.ExitCode(second), 0u);
    EXPECT_EQ(d.ExitCode(first), STILL_ACTIVE);
    EXPECT_EQ(d.Foreground()->title, u"Pointrel Error");
}

TEST(CursorProgram, UnloadableImagesTakeTheErrorPath) {
    std::vector<uint8_t> valid = MakeBmp24(4, 4, [](int, int) { return 0u; });
    auto truncated = valid;
    truncated.resize(60);
    auto zeroWidth = valid;
    zeroWidth[18] = 0;
    auto hugeHeight = valid;
    hugeHeight[22] = 0xFF, hugeHeight[23] = 0xFF, hugeHeight[24] = 0xFF, hugeHeight[25] = 0x7F;
    auto badOffset = valid;
    badOffset[10] = 0xF0, badOffset[11] = 0xFF;
    auto badBitCount = valid;
    badBitCount[28] = 7;
    const std::pair<const char *, std::vector<uint8_t>> cases[] = {
        {"empty file", {}},
        {"not a bitmap", {'G', 'I', 'F', '8', '9', 'a'}},
        {"truncated", truncated},
        {"zero width", zeroWidth},
        {"huge height", hugeHeight},
        {"offset past the end", badOffset},
        {"bad bit count", badBitCount},
    };
    for (const auto &[what, bytes] : cases) {
        SCOPED_TRACE(what);
        sim::Device d;
        sim::InstallPackage(d);
        WriteFile(d, u"\\Program Files\\Pointrel\\cursors\\bad.bmp", bytes);
        SetValue(d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(u"bad.bmp"));
        uint32_t pid = StartCursor(d);
        EXPECT_EQ(
            EventsStarting(d, "messagebox " + std::to_string(pid) + " \"Pointrel Error\"").size(),
            1u);
        EXPECT_TRUE(d.Answer(u"Pointrel Error", IDOK));
        d.Wait(10);
        EXPECT_EQ(d.ExitCode(pid), 0u);
    }
}

TEST(CursorDisplay, TheShapeLeavesOutTheKeyColourAsTheScreenSeesIt) {
    const uint32_t key = RGB(200, 150, 200);
    // Column by column: black, the key, two colours that differ from the key
    // only in bits the 16-bit screen drops, and three that the screen keeps.
    const uint32_t nearKey[] = {RGB(0, 0, 0),       key,
                                RGB(204, 151, 206), RGB(199, 150, 200),
                                RGB(200, 147, 200), RGB(200, 152, 200),
                                RGB(207, 151, 207)};
    struct Case {
        const char *what;
        int width, height;
        std::function<uint32_t(int, int)> pixel;
        std::function<bool(int, int)> opaque;
    };
    const Case cases[] = {
        {"colours near the key", 7, 2, [&](int x, int) { return nearKey[x]; },
         [](int x, int) { return x == 0 || x == 3 || x == 4 || x == 5; }},
        {"wholly the key colour", 16, 16, [&](int, int) { return key; },
         [](int, int) { return false; }},
        // 150 runs in each of three rows: the shape grows past 100 rectangles.
        {"many runs", 300, 3, [&](int x, int) { return x % 2 ? key : RGB(0, 0, 0); },
         [](int x, int) { return x % 2 == 0; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d(sim::DeviceConfig{640, 480, 96, false});
        sim::InstallPackage(d);
        WriteFile(d, u"\\Program Files\\Pointrel\\cursors\\shape.bmp",
                  MakeBmp24(c.width, c.height, c.pixel));
        SetValue(d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(u"shape.bmp"));
        uint32_t pid = StartCursor(d);
        EXPECT_TRUE(EventsStarting(d, "messagebox").empty());
        EXPECT_EQ(d.ExitCode(pid), STILL_ACTIVE);
        sim::Rect r = CursorRect(d);
        ASSERT_EQ(r.right - r.left, c.width);
        uint32_t background = d.PixelAt(0, 0);
        int wrong = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                wrong += (d.PixelAt(r.left + x, r.top + y) != background) != c.opaque(x, y);
        EXPECT_EQ(wrong, 0);
    }
}

TEST(CursorProgram, AnOverlongImagePathIsAnErrorNotAnOverflow) {
    // Folder + "cursors\" + name exceed 260 code units only through the name.
    sim::Device d;
    sim::InstallPackage(d);
    std::u16string name(250, u'n');
    SetValue(d, kSettingsKey, u"CursorImage", REG_SZ, Utf16z(name));
    uint32_t pid = StartCursor(d);
    EXPECT_EQ(EventsStarting(d, "messagebox " + std::to_string(pid)).size(), 1u);
}

TEST(CursorPreview, ALargerImageNearTheCornerMovesUpAndLeftToFit) {
    // On a 60 x 70 screen the cursor starts at (30, 35); a 48-pixel image
    // must move to (12, 22) to fit.
    sim::Device d(sim::DeviceConfig{60, 70, 96});
    sim::InstallPackage(d);
    StartCursor(d);
    EXPECT_EQ(CursorRect(d), (sim::Rect{30, 35, 46, 51}));
    Preview(d, SP_CURSOR_IMAGE, 8);
    EXPECT_EQ(CursorRect(d), (sim::Rect{12, 22, 60, 70}));
    Preview(d, SP_CURSOR_IMAGE, 0);
    EXPECT_EQ(CursorRect(d), (sim::Rect{12, 22, 24, 41}));
}

TEST(CursorPreview, UnknownIndexAndCodeChangeNothing) {
    sim::Device d;
    sim::InstallPackage(d);
    StartCursor(d);
    Preview(d, SP_CURSOR_IMAGE, 9);
    Preview(d, SP_CURSOR_IMAGE, -1);
    Preview(d, SP_CURSOR_IMAGE + 1, 8); // no such code
    EXPECT_EQ(CursorRect(d), (sim::Rect{120, 160, 136, 176}));
    EXPECT_TRUE(EventsStarting(d, "messagebox").empty());
}

TEST(CursorPreview, AMissingImageGivesTheShortBoxAndTheProgramGoesOn) {
    sim::Device d;
    sim::InstallPackage(d);
    uint32_t pid = StartCursor(d);
    d.files().Delete(u"\\Program Files\\Pointrel\\cursors\\cursor_white-32.bmp");
    Preview(d, SP_CURSOR_IMAGE, 3);
    auto boxes = EventsStarting(d, "messagebox " + std::to_string(pid));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "messagebox " + std::to_string(pid) + " " + kPreviewErrorBox);
    EXPECT_TRUE(d.Answer(u"Pointrel Error", IDOK));
    d.Wait(100);
    EXPECT_EQ(d.ExitCode(pid), STILL_ACTIVE);
    // The window keeps its size; a later preview loads again.
    EXPECT_EQ(CursorRect(d), (sim::Rect{120, 160, 136, 176}));
    Preview(d, SP_CURSOR_IMAGE, 6);
    EXPECT_EQ(CursorRect(d), (sim::Rect{120, 160, 144, 184}));
}

TEST(CursorDisplay, RotationScalesFromTheNearerEdge) {
    struct Case {
        const char *what;
        int startWidth, startHeight;
        int toWidth, toHeight;
        sim::Rect before, after;
    };
    // 16-pixel cursor at the centre (120, 160) of 240 x 320: its centre
    // (128, 168) is right of and below the middle, so the distances to the
    // right and bottom edges are scaled: x = 320 - round(104 * 4 / 3) - 16,
    // y = 240 - round(144 * 3 / 4) - 16.
    const Case cases[] = {
        {"portrait to landscape", 240, 320, 320, 240, {120, 160, 136, 176}, {165, 116, 181, 132}},
        {"landscape to portrait", 320, 240, 240, 320, {160, 120, 176, 136}, {116, 165, 132, 181}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d(sim::DeviceConfig{c.startWidth, c.startHeight, 96});
        sim::InstallPackage(d);
        StartCursor(d);
        EXPECT_EQ(CursorRect(d), c.before);
        d.SetScreen(c.toWidth, c.toHeight, 96);
        d.Wait(10);
        EXPECT_EQ(CursorRect(d), c.after);
    }
}

TEST(CursorDisplay, RotationPicksTheEdgeByTheCursorsCentre) {
    struct Case {
        int x, y;     // on 240 x 320
        int toX, toY; // on 320 x 240
    };
    // A 16-pixel cursor: a centre left of (or above) the middle keeps its
    // scaled distance to the left (top) edge, one on or past it to the right
    // (bottom) edge; the result is clamped to the new screen.
    const Case cases[] = {
        {111, 100, 148, 75},  // centre 119: round(111 x 4 / 3)
        {112, 100, 155, 75},  // centre 120: 320 - round((240 - 112 - 16) x 4 / 3) - 16
        {100, 151, 133, 113}, // centre 159: round(151 x 3 / 4)
        {100, 152, 133, 110}, // centre 160: 240 - round((320 - 152 - 16) x 3 / 4) - 16
        {232, 304, 312, 224}, // past the right edge, clamped
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        sim::Device d;
        sim::InstallPackage(d);
        StartCursor(d);
        DragCursorTo(d, c.x, c.y);
        ASSERT_EQ(CursorRect(d).left, c.x);
        ASSERT_EQ(CursorRect(d).top, c.y);
        d.SetScreen(320, 240, 96);
        d.Wait(10);
        EXPECT_EQ(CursorRect(d).left, c.toX);
        EXPECT_EQ(CursorRect(d).top, c.toY);
    }
}

TEST(CursorDisplay, RotationMultipliesBeforeItDivides) {
    sim::Device d;
    sim::InstallPackage(d);
    StartCursor(d);
    DragCursorTo(d, 54, 100);
    ASSERT_EQ(CursorRect(d).left, 54);
    // 54 x 260 / 240 is 58.5 exactly, which rounds up; 54 x (260 / 240)
    // falls just short of it.
    d.SetScreen(260, 320, 96);
    d.Wait(10);
    EXPECT_EQ(CursorRect(d).left, 59);
}

TEST(CursorProgram, AnIdleHourCostsLittle) {
    sim::Device d(sim::DeviceConfig{240, 320, 96, false});
    sim::InstallPackage(d);
    StartCursor(d);
    uint64_t switches = d.HostSwitches();
    d.Wait(3600000);
    EXPECT_TRUE(CursorVisible(d));
    // Timers 1, 2, 3 and 5 wake one thread; the driver wakes once.
    EXPECT_LT(d.HostSwitches() - switches, 10u);
}

TEST(CursorWindow, HasItsClassStylesAndMessageResults) {
    sim::Device d;
    sim::InstallPackage(d);
    uint32_t pid = StartCursor(d);
    LONG style = 0, exStyle = 0;
    std::vector<LRESULT> results;
    RunInside(d, [&] {
        HWND cursor = FindWindowW(u"QuorvaneCursorDisplayClass", nullptr);
        style = GetWindowLongW(cursor, GWL_STYLE);
        exStyle = GetWindowLongW(cursor, GWL_EXSTYLE);
        results.push_back(SendMessageW(cursor, WM_ERASEBKGND, 0, 0));
        results.push_back(SendMessageW(cursor, WM_TIMER, 77, 0));
        results.push_back(SendMessageW(cursor, WM_SETTING_PREVIEW, SP_CURSOR_IMAGE + 1, 0));
        results.push_back(SendMessageW(cursor, WM_SETTINGCHANGE, 0, 0));
        results.push_back(SendMessageW(cursor, WM_CLOSE, 0, 0));
        results.push_back(IsWindow(cursor)); // WM_CLOSE does not destroy the window itself
    });
    EXPECT_EQ(static_cast<DWORD>(style), DWORD(WS_POPUP | WS_CLIPSIBLINGS | WS_VISIBLE));
    EXPECT_EQ(static_cast<DWORD>(exStyle), DWORD(WS_EX_NOACTIVATE | WS_EX_TOPMOST));
    EXPECT_EQ(results, (std::vector<LRESULT>{1, 0, 1, 0, 1, TRUE}));
    // The loop ends the program after the next message it dispatches.
    d.Post(kCursorClass, WM_NULL, 0, 0);
    d.Wait(10);
    EXPECT_EQ(d.ExitCode(pid), 0u);
}

TEST(CursorWindow, ShowWindowFromOutsideTogglesAndTheShellCheckKeepsRunning) {
    sim::Device d;
    sim::InstallPackage(d);
    StartCursor(d);
    d.Post(kCursorClass, WM_SHOWWINDOW, 0, 0);
    d.Wait(10);
    EXPECT_FALSE(CursorVisible(d));
    d.Post(kCursorClass, WM_SHOWWINDOW, 0, 0);
    d.Wait(10);
    EXPECT_TRUE(CursorVisible(d));
}

TEST(CursorPreview, ALargerImageAtTheBottomRightCornerMovesUpAndLeft) {
    sim::Device d(sim::DeviceConfig{240, 320, 96, false});
    sim::InstallPackage(d);
    StartCursor(d);
    DragCursorTo(d, 400, 400); // clamped to (232, 304)
    EXPECT_EQ(CursorRect(d), (sim::Rect{232, 304, 248, 320}));
    Preview(d, SP_CURSOR_IMAGE, 8);
    EXPECT_EQ(CursorRect(d), (sim::Rect{192, 272, 240, 320}));
}

TEST(CursorProgram, MovingPaintingAndPreviewsLeakNothing) {
    sim::Device d;
    sim::InstallPackage(d);
    SetValue(d, kSettingsKey, u"MenuNavigationMethod", REG_DWORD, Le32(MENU_NAVIGATION_CURSOR));
    uint32_t pid = StartCursor(d);
    size_t gdi = d.GdiObjectCount(pid), handles = d.HandleCount(pid);
    for (int round = 0; round < 3; ++round) {
        Preview(d, SP_CURSOR_IMAGE, 1 + round);
        // Over a menu in cursor mode the menu's picture comes and goes.
        d.CreateScriptWindow(u"MNU", u"Menu", sim::Rect{60, 100, 200, 220}, true);
        d.Wait(100);
        HoldKey(d, VK_RIGHT, 300);
        d.Wait(20);
        ASSERT_TRUE(d.FindTopmost(u"PointrelScreenCapWindow"));
        EXPECT_GT(d.GdiObjectCount(pid), gdi);
        d.DestroyScriptWindow(u"MNU");
        d.Wait(100);
        ASSERT_FALSE(d.FindTopmost(u"PointrelScreenCapWindow"));
        DragCursorTo(d, 120, 160);
    }
    Preview(d, SP_CURSOR_IMAGE, 0);
    EXPECT_EQ(d.GdiObjectCount(pid), gdi);
    EXPECT_EQ(d.HandleCount(pid), handles);
    EXPECT_EQ(d.ExitCode(pid), STILL_ACTIVE);
}

// The program's buffers are sized by STRING_CAPACITY; a longer string would
// be cut short on screen.
TEST(CursorProgram, EveryStringOfItsTableFitsItsBuffers) {
    const UINT ids[] = {IDS_ERROR_TITLE, IDS_STARTUP_IMAGE_ERROR, IDS_PREVIEW_IMAGE_ERROR};
    for (UINT id : ids) {
        SCOPED_TRACE(id);
        sim::Device d;
        std::u16string buffer(STRING_CAPACITY + 1, u'#');
        int result = -1;
        RunInside(
            d, [&] { result = LoadStringW(nullptr, id, buffer.data(), int(buffer.size())); },
            "Pointrel");
        EXPECT_GT(result, 0);
        EXPECT_LT(result, STRING_CAPACITY);
    }
}
