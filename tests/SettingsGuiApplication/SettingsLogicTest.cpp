// The settings program's pure rules: where the cursor program is found,
// which control previews with which code, the trackbar clamps and the help
// bubble's body.
#include "../../SettingsGuiApplication/CursorProgram.h"
#include "../../SettingsGuiApplication/HelpLinks.h"
#include "../../SettingsGuiApplication/MovementPage.h"
#include "../../SettingsGuiApplication/resource.h"
#include "CursorSettings.h"
#include "support/Devices.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace test;

namespace {

std::u16string Folder(size_t length) {
    // A folder of exactly `length` characters, ending with a backslash.
    std::u16string f = u"\\";
    while (f.size() + 1 < length)
        f += u'd';
    return f + u"\\";
}

} // namespace

TEST(SettingsLogic, TheCursorProgramIsTakenFromTheSettingsProgramsFolder) {
    const std::u16string program = u"Pointrel.exe";
    struct Case {
        const char *what;
        std::u16string module;
        bool built;
        std::u16string path;
    };
    const Case cases[] = {
        {"installed", u"\\Program Files\\Pointrel\\PLSettings.exe", true,
         u"\\Program Files\\Pointrel\\Pointrel.exe"},
        {"in the root", u"\\PLSettings.exe", true, u"\\Pointrel.exe"},
        {"no folder at all", u"PLSettings.exe", true, u"Pointrel.exe"},
        {"a folder that just fits", Folder(247) + u"a.exe", true, Folder(247) + program},
        {"a folder one too long", Folder(248) + u"a.exe", false, u""},
        {"a folder far too long", Folder(258) + u"a", false, u""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        char16_t path[CURSOR_PROGRAM_PATH_CAPACITY + 8];
        std::fill(std::begin(path), std::end(path), u'\xbdbd');
        bool built =
            BuildCursorProgramPath(reinterpret_cast<LPCWSTR>(c.module.c_str()),
                                   reinterpret_cast<LPWSTR>(path), CURSOR_PROGRAM_PATH_CAPACITY);
        EXPECT_EQ(built, c.built);
        EXPECT_EQ(std::u16string(path), c.path);
        EXPECT_EQ(path[CURSOR_PROGRAM_PATH_CAPACITY], u'\xbdbd') << "nothing past the buffer";
    }
}

TEST(SettingsLogic, AProgramPathTooLongForTheCursorProgramsNameStartsNothing) {
    sim::Device d(NoShell());
    sim::InstallPackage(d);
    // A settings program whose own name is short enough to run where the
    // cursor program's name would not fit.
    const std::u16string folder = Folder(250);
    LONG start = -1;
    LONG restart = -1;
    uint32_t pid = d.StartFunction(folder + u"s.exe", [&] {
        start = StartCursorProgram();
        restart = RestartCursorProgram();
        return 0u;
    });
    for (int i = 0; i < 100 && d.ExitCode(pid) == STILL_ACTIVE; ++i)
        d.Wait(100);
    EXPECT_EQ(start, CURSOR_PROGRAM_NOT_STARTED);
    EXPECT_EQ(restart, CURSOR_PROGRAM_NOT_STARTED);
    EXPECT_EQ(d.Calls(pid)["CreateProcessW"], 0u);
}

TEST(SettingsLogic, EachPreviewingControlHasItsCode) {
    struct Case {
        int control;
        UINT code;
    };
    const Case cases[] = {
        {IDC_SPEED, SP_CURSOR_SPEED},
        {IDC_ACCELERATION_SPEED, SP_ACCELERATION_SPEED},
        {IDC_ACCELERATION, SP_ACCELERATION},
        {IDC_MENU_KEYS, SP_MENU_KEYS_ON},
        {IDC_MENU_CURSOR, SP_MENU_KEYS_OFF},
        {IDC_IMAGE_LIST, SP_CURSOR_IMAGE},
        {IDC_SHOW_HIDE_CURSOR, 0},
        {IDC_HELP_IMAGE, 0},
        {IDOK, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PreviewCodeFor(c.control), c.code) << "control " << c.control;
}

TEST(SettingsLogic, TrackbarPositionsAreClampedToTheirStoredRanges) {
    struct Case {
        LRESULT position;
        LONG low, high, stored;
    };
    const Case cases[] = {
        {6, 7, 70, 7},   {7, 7, 70, 7},   {28, 7, 70, 28},
        {70, 7, 70, 70}, {71, 7, 70, 70}, {-1, 7, 70, 7},
        {0, 1, 3, 1},    {4, 1, 3, 3},    {LRESULT(1) << 40, 1, 3, 3},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ClampPosition(c.position, c.low, c.high), c.stored) << c.position;
}

TEST(SettingsLogic, EveryHelpLabelHasItsOwnTopic) {
    const int labels[] = {IDC_HELP_MENU_BEHAVIOUR, IDC_HELP_SHOW_HIDE, IDC_HELP_SPEED,
                          IDC_HELP_ACCELERATION,   IDC_HELP_BUTTONS,   IDC_HELP_IMAGE};
    std::set<std::u16string> seen;
    for (int id : labels) {
        LPCWSTR text = HelpTopicText(id);
        ASSERT_NE(text, nullptr) << id;
        std::u16string topic(reinterpret_cast<const char16_t *>(text));
        EXPECT_EQ(topic.rfind(u"<HTML><BODY>", 0), 0u) << id;
        EXPECT_EQ(topic.find(u"</BODY>"), std::u16string::npos) << "left open: " << id;
        seen.insert(topic);
    }
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_EQ(HelpTopicText(IDC_IMAGE_LIST), nullptr);
}

TEST(SettingsLogic, TheBubbleBodyClosesTheTopicInEitherForm) {
    const std::u16string topic =
        u"<HTML><BODY>This sets the speed of the cursor. You may want to try a few different "
        u"speed settings to see which one you prefer.<BR><BR>";
    struct Case {
        const char *what;
        bool longForm;
        std::u16string body;
    };
    const Case cases[] = {
        {"short form", false,
         topic + u"<p align=right><input type=button name='cmd:3' value='Close'></p>"
                 u"</BODY></HTML>"},
        {"long form", true, topic + u"</BODY></HTML>"},
    };
    LPCWSTR text = HelpTopicText(IDC_HELP_SPEED);
    ASSERT_EQ(std::u16string(reinterpret_cast<const char16_t *>(text)), topic);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        size_t length = HelpBodyLength(text, c.longForm);
        EXPECT_EQ(length, c.body.size());
        std::u16string body(length + 1, u'?');
        EXPECT_EQ(
            BuildHelpBody(text, c.longForm, reinterpret_cast<LPWSTR>(body.data()), length + 1),
            S_OK);
        EXPECT_EQ(body.substr(0, length), c.body);
        // One character short: refused, never written past the buffer.
        std::u16string cut(length + 1, u'?');
        EXPECT_TRUE(
            FAILED(BuildHelpBody(text, c.longForm, reinterpret_cast<LPWSTR>(cut.data()), length)));
        EXPECT_EQ(cut[length], u'?');
    }
}
