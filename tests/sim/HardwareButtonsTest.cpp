// The hardware buttons: the shell reads Shell\Keys\40C1..40C6 at every press
// and runs the command, shortcut or built-in action it finds there; hot keys
// of programs come first; a fresh device's four buttons.
#include "support/Bytes.h"
#include "support/Devices.h"

#include "kernel/FileSystem.h"
#include "shell/HardwareButtons.h"
#include "shell/Shortcuts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace test;

namespace {

const std::u16string kButton1 = u"HKLM\\Software\\Microsoft\\Shell\\Keys\\40C1";

void Press(sim::Device &d, int vk) {
    HoldKey(d, vk, 100);
    d.Wait(100);
}

// What the press did: the button and process events, in order.
std::vector<std::string> Outcome(const sim::Device &d, size_t from) {
    std::vector<std::string> out;
    const auto &trace = d.Trace();
    for (size_t i = from; i < trace.size(); ++i)
        if (trace[i].text.rfind("button ", 0) == 0 || trace[i].text.rfind("process ", 0) == 0)
            out.push_back(trace[i].text);
    return out;
}

} // namespace

TEST(HardwareButtons, AFreshDeviceRunsCalendarContactsTodayAndMessaging) {
    struct Case {
        int vk;
        std::vector<std::string> events;
        const char16_t *windowClass; // the foreground window's class after the press
    } cases[] = {
        {VK_APP1,
         {R"(button APP1 "\Windows\Start Menu\Programs\Calendar.lnk")",
          R"(process start 2 "\Windows\calendar.exe")"},
         u"Calendar"},
        {VK_APP2,
         {R"(button APP2 "\Windows\Start Menu\Programs\Contacts.lnk")",
          R"(process start 2 "\Windows\poutlook.exe" "contacts")"},
         u"Contacts"},
        {VK_APP3, {"button APP3 action 4"}, u"DesktopExplorerWindow"},
        {VK_APP4,
         {R"(button APP4 "\Windows\Start Menu\Programs\Messaging.lnk")",
          R"(process start 2 "\Windows\tmail.exe")"},
         u"Messaging"},
        {VK_APP5, {}, u"DesktopExplorerWindow"},
        {VK_APP6, {}, u"DesktopExplorerWindow"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.vk);
        sim::Device d;
        d.Wait(0);
        size_t from = d.Trace().size();
        Press(d, c.vk);
        EXPECT_EQ(Outcome(d, from), c.events);
        ASSERT_TRUE(d.Foreground());
        EXPECT_EQ(d.Foreground()->className, c.windowClass);
    }
}

TEST(HardwareButtons, AStandInStartedAgainBringsItsWindowForward) {
    sim::Device d;
    Press(d, VK_APP1);
    Press(d, VK_APP3); // Today covers the calendar
    EXPECT_EQ(d.Foreground()->className, u"DesktopExplorerWindow");
    Press(d, VK_APP1);
    EXPECT_EQ(d.Foreground()->className, u"Calendar");
    int calendars = 0;
    for (const sim::WindowInfo &w : d.TopLevelWindows())
        calendars += w.className == u"Calendar";
    EXPECT_EQ(calendars, 1);
}

// Each case sets up button 1 (after removing the device's own entry) and the
// files it names, and says what one press of APP1 does.
TEST(HardwareButtons, TheEntryDecidesWhatAPressDoes) {
    struct Value {
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const std::optional<Value> none;
    struct Case {
        const char *what;
        std::optional<Value> flags, command;
        std::vector<std::string> events;
    } cases[] = {
        {"an unquoted path with spaces and arguments",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, Utf16z(u"\\Program Files\\My Tools\\tool.exe -a b")},
         {R"(button APP1 "\Program Files\My Tools\tool.exe -a b")",
          R"(process start 2 "\Program Files\My Tools\tool.exe" "-a b")"}},
        {"the shortest run of words that names a file",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, Utf16z(u"\\Program Files\\My Tools\\tool.exe")},
         {R"(button APP1 "\Program Files\My Tools\tool.exe")",
          R"(process start 2 "\Program Files\My Tools\tool.exe")"}},
        {"a quoted path with arguments, blanks around",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, Utf16z(u"  \"\\Program Files\\My Tools\\tool.exe\"   x  ")},
         {R"(button APP1 "\"\Program Files\My Tools\tool.exe\"   x")",
          R"(process start 2 "\Program Files\My Tools\tool.exe" "x")"}},
        {"a quoted path without its closing quote starts nothing",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, Utf16z(u"\"\\Program Files\\My Tools\\tool.exe")},
         {R"(button APP1 "\"\Program Files\My Tools\tool.exe")"}},
        {"a missing program starts nothing",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, Utf16z(u"\\Windows\\gone.exe")},
         {R"(button APP1 "\Windows\gone.exe")"}},
        {"a shortcut with arguments of its own and of the command line",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, Utf16z(u"\"\\Windows\\Start Menu\\Programs\\Contacts.lnk\" more")},
         {R"(button APP1 "\"\Windows\Start Menu\Programs\Contacts.lnk\" more")",
          R"(process start 2 "\Windows\poutlook.exe" "contacts more")"}},
        {"a shortcut whose target is missing",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, Utf16z(u"\\Temp\\Broken.lnk")},
         {R"(button APP1 "\Temp\Broken.lnk")"}},
        {"a shortcut that is not one",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, Utf16z(u"\\Temp\\Garbled.LNK")},
         {R"(button APP1 "\Temp\Garbled.LNK")"}},
        {"a shortcut file that is missing",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, Utf16z(u"\\Temp\\Nowhere.lnk")},
         {R"(button APP1 "\Temp\Nowhere.lnk")"}},
        {"REG_EXPAND_SZ is a command line too",
         Value{REG_DWORD, Le32(0)},
         Value{REG_EXPAND_SZ, Utf16z(u"\\Windows\\calendar.exe")},
         {R"(button APP1 "\Windows\calendar.exe")", R"(process start 2 "\Windows\calendar.exe")"}},
        {"a string without its terminator",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, {'\\', 0, 'W', 0, 'i', 0, 'n', 0, 'd', 0, 'o', 0, 'w', 0, 's', 0, '\\', 0,
                        't',  0, 'm', 0, 'a', 0, 'i', 0, 'l', 0, '.', 0, 'e', 0, 'x', 0, 'e',  0}},
         {R"(button APP1 "\Windows\tmail.exe")", R"(process start 2 "\Windows\tmail.exe")"}},
        {"no Flags counts as 0",
         none,
         Value{REG_SZ, Utf16z(u"\\Windows\\calendar.exe")},
         {R"(button APP1 "\Windows\calendar.exe")", R"(process start 2 "\Windows\calendar.exe")"}},
        {"Flags 0 without a command", Value{REG_DWORD, Le32(0)}, none, {}},
        {"a blank command", Value{REG_DWORD, Le32(0)}, Value{REG_SZ, Utf16z(u"   ")}, {}},
        {"a command that is a number", Value{REG_DWORD, Le32(0)}, Value{REG_DWORD, Le32(7)}, {}},
        {"a command of an odd byte length",
         Value{REG_DWORD, Le32(0)},
         Value{REG_SZ, {'\\', 0, 'x', 0, 'y'}},
         {}},
        {"Flags as a string",
         Value{REG_SZ, Utf16z(u"0")},
         Value{REG_SZ, Utf16z(u"\\Windows\\calendar.exe")},
         {}},
        {"Flags of two bytes",
         Value{REG_DWORD, {0, 0}},
         Value{REG_SZ, Utf16z(u"\\Windows\\calendar.exe")},
         {}},
        {"Flags 13 is no action", Value{REG_DWORD, Le32(13)}, none, {}},
        {"Flags 2, the input panel", Value{REG_DWORD, Le32(2)}, none, {"button APP1 action 2"}},
        {"Flags 9, none", Value{REG_DWORD, Le32(9)}, none, {"button APP1 action 9"}},
        {"Flags 12, rotate, with a command that is ignored",
         Value{REG_DWORD, Le32(12)},
         Value{REG_SZ, Utf16z(u"\\Windows\\calendar.exe")},
         {"button APP1 action 12"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        d.registry().DeleteKeyPath(kButton1);
        sim::RegKeyRef key;
        d.registry().CreateKeyPath(kButton1, &key);
        d.registry().SetValue(key, u"Name", REG_SZ, Utf16z(u"Button 1"));
        if (c.flags)
            d.registry().SetValue(key, u"Flags", c.flags->type, c.flags->data);
        if (c.command)
            d.registry().SetValue(key, u"", c.command->type, c.command->data);
        d.WriteProgramFile(u"\\Program Files\\My Tools\\tool.exe", "calendar");
        std::string broken = sim::ShortcutText(u"\\Windows\\gone.exe", u"");
        WriteFile(d, u"\\Temp\\Broken.lnk", std::vector<uint8_t>(broken.begin(), broken.end()));
        WriteFile(d, u"\\Temp\\Garbled.LNK", {'9', '9', '#', 'x'});
        d.Wait(0);
        size_t from = d.Trace().size();
        Press(d, VK_APP1);
        EXPECT_EQ(Outcome(d, from), c.events);
    }
}

TEST(HardwareButtons, BuiltInActionsThatTheDeviceCanShow) {
    {
        SCOPED_TRACE("Flags 1 opens the Start menu");
        sim::Device d;
        SetValue(d, kButton1, u"Flags", REG_DWORD, Le32(1));
        Press(d, VK_APP1);
        auto menu = d.OpenMenuItems();
        ASSERT_TRUE(menu);
        EXPECT_EQ(*menu,
                  (std::vector<std::u16string>{u"Today", u"Programs", u"Settings", u"Help"}));
    }
    {
        SCOPED_TRACE("Flags 10 closes the foreground program");
        sim::Device d;
        uint32_t pid = d.Start(u"\\Windows\\tmail.exe");
        d.Wait(100);
        SetValue(d, kButton1, u"Flags", REG_DWORD, Le32(10));
        Press(d, VK_APP1);
        EXPECT_EQ(d.ExitCode(pid), 0u);
        EXPECT_FALSE(d.FindTopmost(u"Messaging"));
    }
}

TEST(HardwareButtons, TheTableIsReadAgainAtEveryPress) {
    sim::Device d;
    Press(d, VK_APP1);
    SetValue(d, kButton1, u"", REG_SZ, Utf16z(u"\\Windows\\tmail.exe"));
    Press(d, VK_APP1);
    d.registry().DeleteKeyPath(kButton1);
    Press(d, VK_APP1);
    auto events = EventsStarting(d, "button ");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].text, R"(button APP1 "\Windows\tmail.exe")");
    EXPECT_TRUE(d.IsRunning(u"\\Windows\\tmail.exe"));
}

TEST(HardwareButtons, AProgramsHotKeyOnAButtonComesBeforeTheShell) {
    sim::Device d;
    d.CreateScriptWindow(u"Target", u"Target", sim::Rect{0, 26, 240, 268}, false);
    d.Wait(0);
    int hotKeys = 0;
    uint32_t pid = d.StartFunction(u"\\Temp\\keys.exe", [&hotKeys] {
        if (!RegisterHotKey(nullptr, 7, 0, VK_APP2))
            return 1u;
        MSG msg;
        while (hotKeys < 2 && GetMessageW(&msg, nullptr, 0, 0) > 0)
            hotKeys += msg.message == WM_HOTKEY && msg.wParam == 7;
        return 0u;
    });
    d.Wait(0);
    Press(d, VK_APP2);
    Press(d, VK_APP2);
    EXPECT_EQ(hotKeys, 2);
    EXPECT_EQ(d.ExitCode(pid), 0u);
    EXPECT_TRUE(EventsStarting(d, "button ").empty());
    // The program has ended and its hot key with it: the shell has the
    // button again. The focus window hears none of the presses.
    Press(d, VK_APP2);
    EXPECT_EQ(EventsStarting(d, "button ").size(), 1u);
    EXPECT_TRUE(EventsStarting(d, "window Target key").empty());
}

TEST(HardwareButtons, WithoutTheShellAButtonGoesToTheFocusLikeAnyKey) {
    sim::Device d(NoShell());
    d.CreateScriptWindow(u"Target", u"Target", sim::Rect{0, 0, 240, 320}, false);
    d.Wait(0);
    Press(d, VK_APP1);
    EXPECT_TRUE(EventsStarting(d, "button ").empty());
    EXPECT_EQ(EventsStarting(d, "window Target key down 0xc1").size(), 1u);
}

TEST(HardwareButtons, CommandLinesSplitIntoTheFileAndItsArguments) {
    sim::FileSystem files;
    files.CopyIn(u"\\Program Files\\A B\\c d.exe", {}, 0);
    files.CopyIn(u"\\Program Files\\A B\\c", {}, 0);
    files.CopyIn(u"\\Program Files\\A B\\e f.exe", {}, 0);
    files.CopyIn(u"\\x.exe", {}, 0);
    struct Case {
        const char16_t *line;
        bool split;
        const char16_t *path, *arguments;
    } cases[] = {
        {u"\\x.exe", true, u"\\x.exe", u""},
        {u"\\x.exe  one two ", true, u"\\x.exe", u"one two"},
        {u"\\Program Files\\A B\\e f.exe /s", true, u"\\Program Files\\A B\\e f.exe", u"/s"},
        // The shortest run that names a file wins, as on the platform.
        {u"\\Program Files\\A B\\c d.exe", true, u"\\Program Files\\A B\\c", u"d.exe"},
        {u"\"\\Program Files\\A B\\c d.exe\"", true, u"\\Program Files\\A B\\c d.exe", u""},
        {u"\"\\Program Files\\A B\\c d.exe\"/s", true, u"\\Program Files\\A B\\c d.exe", u"/s"},
        {u"\\missing file.exe a", true, u"\\missing", u"file.exe a"},
        {u"\"\\unclosed.exe a", false, u"", u""},
        {u"\"\" a", false, u"", u""},
        {u"    ", false, u"", u""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(sim::Narrow(c.line));
        auto split = sim::SplitCommandLine(c.line, files);
        ASSERT_EQ(split.has_value(), c.split);
        if (!split)
            continue;
        EXPECT_EQ(split->path, c.path);
        EXPECT_EQ(split->arguments, c.arguments);
    }
}
