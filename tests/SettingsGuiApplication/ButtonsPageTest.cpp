// The Buttons page as a user, the registry and the device's shell see it:
// the list of buttons, Assign with its backup, Restore, and every message.
#include "../../SettingsGuiApplication/resource.h"
#include "support/Bytes.h"
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace test;

namespace {

const std::u16string kSettings = u"\\Program Files\\Pointrel\\PLSettings.exe";
const std::u16string kTitle = u"Cursor Settings";
const std::u16string kKeys = u"HKLM\\SOFTWARE\\Microsoft\\Shell\\Keys\\";
const std::u16string kBackup = u"HKLM\\SOFTWARE\\Quorvane\\Pointrel\\HwKeyDataBackup\\";
const std::u16string kCommand = u"\"\\Program Files\\Pointrel\\Shortcuts\\Pointrel Monodex.lnk\"";
const std::u16string kCalendar = u"\\Windows\\Start Menu\\Programs\\Calendar.lnk";

std::optional<std::u16string> Text(sim::Device &d, const std::u16string &key,
                                   const std::u16string &name) {
    auto v = GetValue(d, key, name);
    if (!v || v->data.size() < 2)
        return std::nullopt;
    return std::u16string(reinterpret_cast<const char16_t *>(v->data.data()),
                          v->data.size() / 2 - 1);
}

std::optional<uint32_t> Number(sim::Device &d, const std::u16string &key,
                               const std::u16string &name) {
    auto v = GetValue(d, key, name);
    if (!v || v->data.size() != 4)
        return std::nullopt;
    return uint32_t(v->data[0] | v->data[1] << 8 | v->data[2] << 16 | v->data[3] << 24);
}

// A device with the package and the settings program open on the Buttons
// page; `prepare` changes the registry before the page reads it.
std::unique_ptr<sim::Device> OpenButtonsPage(const std::function<void(sim::Device &)> &prepare = {},
                                             const std::u16string &folder = u"") {
    auto d = std::make_unique<sim::Device>();
    if (folder.empty())
        sim::InstallPackage(*d);
    else
        sim::InstallPackage(*d, folder);
    if (prepare)
        prepare(*d);
    d->Start((folder.empty() ? std::u16string(u"\\Program Files\\Pointrel") : folder) +
             u"\\PLSettings.exe");
    d->Wait(500);
    std::string why;
    EXPECT_TRUE(d->TapTab(kTitle, IDC_TABS, 2, &why)) << why;
    d->Wait(200);
    return d;
}

// The rows of the list: "NAME" "ASSIGNMENT".
std::vector<std::string> Rows(sim::Device &d) {
    auto report = d.DescribeDialog(kTitle);
    for (const sim::ControlInfo &c : report->controls)
        if (c.id == IDC_BUTTON_LIST)
            return c.lines;
    return {};
}

// Taps a command of the page (after selecting `row` unless it is -1) and
// gives the message boxes it opened, as "TITLE" "TEXT" FLAGS, answering each.
std::vector<std::string> Command(sim::Device &d, int id, int row) {
    std::string why;
    if (row >= 0) {
        EXPECT_TRUE(d.SelectRow(kTitle, IDC_BUTTON_LIST, row, &why)) << why;
        d.Wait(100);
    }
    size_t from = d.Trace().size();
    EXPECT_TRUE(d.TapControl(kTitle, id, &why)) << why;
    d.Wait(300);
    std::vector<std::string> boxes;
    for (int i = 0; i < 3; ++i) {
        std::string title;
        for (size_t e = from; e < d.Trace().size(); ++e) {
            const std::string &t = d.Trace()[e].text;
            if (t.rfind("messagebox ", 0) == 0 && t.find(" closed ") == std::string::npos) {
                size_t q = t.find('"');
                boxes.push_back(t.substr(q));
                title = t.substr(q + 1, t.find('"', q + 1) - q - 1);
                from = e + 1;
                break;
            }
        }
        if (title.empty())
            break;
        if (!d.Answer(sim::Widen(title), IDOK))
            break;
        d.Wait(200);
    }
    return boxes;
}

const std::string kSuccess =
    "\"Success\" \"Success. Note: If pressing the button doesn't show/hide Pointrel after 30 "
    "seconds, you may have to soft reset your device to update Windows.\" 0x40";
const std::string kButtonError =
    "\"Button Error\" \"Could not assign button. Please report this error to Quorvane.\" 0x30";
const std::string kAlready =
    "\"Pointrel Settings\" \"Pointrel has already been assigned to another button. Please remove "
    "the current Pointrel button assignment before changing buttons.\" 0x30";
const std::string kRestored =
    "\"Pointrel Buttons\" \"Success. Previous button setting restored.\" 0x0";
const std::string kNotRead = "\"Pointrel Buttons\" \"Could not retrieve backup data. Please "
                             "report this error to Quorvane (support@quorvane.example)\" 0x10";

} // namespace

TEST(ButtonsPage, ListsEachReadableButtonInKeyOrderAndAssignsTheRowsOwnKey) {
    auto d = OpenButtonsPage([](sim::Device &d) {
        SetValue(d, kKeys + u"40C2", u"Flags", REG_SZ, Utf16z(u"0")); // unreadable
        d.registry().DeleteValuePath(kKeys + u"40C4", u"Name");       // unreadable
        SetValue(d, kKeys + u"40C5", u"Name", REG_SZ, Utf16z(u"Side"));
        SetValue(d, kKeys + u"40C5", u"Flags", REG_DWORD, Le32(99));
        SetValue(d, kKeys + u"40C6", u"Name", REG_SZ, Utf16z(u"Notes key"));
        SetValue(d, kKeys + u"40C6", u"Flags", REG_DWORD, Le32(0));
        SetValue(d, kKeys + u"40C6", u"", REG_SZ,
                 Utf16z(u"\\Windows\\Start Menu\\Programs\\Notes.lnk"));
        SetValue(d, kKeys + u"40C3", u"Flags", REG_DWORD, Le32(3));
    });
    EXPECT_EQ(Rows(*d), (std::vector<std::string>{"row 0 \"Button 1\" \"Calendar\"",
                                                  "row 1 \"Button 3\" \"<Custom/Unknown>\"",
                                                  "row 2 \"Side\" \"<Custom/Unknown>\"",
                                                  "row 3 \"Notes key\" \"Notes\""}));
    // The last row belongs to 40C6, though two keys before it were skipped.
    EXPECT_EQ(Command(*d, IDC_ASSIGN, 3), std::vector<std::string>{kSuccess});
    EXPECT_EQ(Text(*d, kKeys + u"40C6", u""), kCommand);
    EXPECT_EQ(Rows(*d)[3], "row 3 \"Notes key\" \"Pointrel Monodex\"");
    EXPECT_EQ(Text(*d, kBackup + u"40C6", u""), u"\\Windows\\Start Menu\\Programs\\Notes.lnk");
}

TEST(ButtonsPage, AssignRunsTheShortcutFromTheButtonAndRestoreGivesTheOldActionBack) {
    auto d = OpenButtonsPage();
    EXPECT_EQ(Command(*d, IDC_ASSIGN, 0), std::vector<std::string>{kSuccess});
    EXPECT_EQ(Number(*d, kKeys + u"40C1", u"Flags"), 0u);
    EXPECT_EQ(Text(*d, kKeys + u"40C1", u"Name"), u"Button 1");
    EXPECT_EQ(Text(*d, kBackup + u"40C1", u"Name"), u"Button 1");
    EXPECT_EQ(Number(*d, kBackup + u"40C1", u"Flags"), 0u);
    EXPECT_EQ(Text(*d, kBackup + u"40C1", u""), kCalendar);
    EXPECT_EQ(Number(*d, kSettingsKey, u"ShowHideCursorButtonSet"), 1u);

    // The shell runs the shortcut: the cursor shows, then goes.
    HoldKey(*d, VK_APP1, 100);
    d->Wait(1000);
    ASSERT_TRUE(d->FindTopmost(kCursorClass));
    EXPECT_TRUE(d->FindTopmost(kCursorClass)->visible);
    HoldKey(*d, VK_APP1, 100);
    d->Wait(1000);
    EXPECT_FALSE(d->IsRunning(kPointrel));

    EXPECT_EQ(Command(*d, IDC_RESTORE, -1), std::vector<std::string>{kRestored});
    EXPECT_EQ(Text(*d, kKeys + u"40C1", u""), kCalendar);
    EXPECT_FALSE(d->registry().FindKey(kBackup + u"40C1"));
    EXPECT_EQ(Number(*d, kSettingsKey, u"ShowHideCursorButtonSet"), 0u);
    EXPECT_EQ(Rows(*d)[0], "row 0 \"Button 1\" \"Calendar\"");
    HoldKey(*d, VK_APP1, 100);
    d->Wait(500);
    EXPECT_TRUE(d->FindTopmost(u"Calendar"));
}

TEST(ButtonsPage, ATodayButtonComesBackWithItsLabelAsTheCommand) {
    auto d = OpenButtonsPage();
    EXPECT_EQ(Command(*d, IDC_ASSIGN, 2), std::vector<std::string>{kSuccess});
    EXPECT_EQ(Number(*d, kBackup + u"40C3", u"Flags"), 4u);
    EXPECT_EQ(Text(*d, kBackup + u"40C3", u""), u"<Today>");
    EXPECT_EQ(Command(*d, IDC_RESTORE, 2), std::vector<std::string>{kRestored});
    EXPECT_EQ(Number(*d, kKeys + u"40C3", u"Flags"), 4u);
    EXPECT_EQ(Text(*d, kKeys + u"40C3", u""), u"<Today>");
    EXPECT_EQ(Rows(*d)[2], "row 2 \"Button 3\" \"<Today>\"");
}

TEST(ButtonsPage, AssigningTwiceIsRefusedAndKeepsTheFirstBackup) {
    auto d = OpenButtonsPage();
    Command(*d, IDC_ASSIGN, 1);
    auto backup = d->registry().Export(kBackup + u"40C2");
    EXPECT_EQ(Command(*d, IDC_ASSIGN, 1), std::vector<std::string>{kAlready});
    EXPECT_EQ(d->registry().Export(kBackup + u"40C2"), backup);
}

TEST(ButtonsPage, TwoButtonsAssignedOneRestoredLeavesTheOther) {
    auto d = OpenButtonsPage([](sim::Device &d) {
        SetValue(d, kKeys + u"40C4", u"", REG_SZ, Utf16z(u"\\Windows\\calc.exe"));
    });
    Command(*d, IDC_ASSIGN, 3);
    Command(*d, IDC_ASSIGN, 0);
    EXPECT_EQ(Command(*d, IDC_RESTORE, 3), std::vector<std::string>{kRestored});
    EXPECT_EQ(Text(*d, kKeys + u"40C4", u""), u"\\Windows\\calc.exe");
    EXPECT_EQ(Rows(*d)[3], "row 3 \"Button 4\" \"calc\"");
    EXPECT_FALSE(d->registry().FindKey(kBackup + u"40C4"));
    EXPECT_EQ(Text(*d, kKeys + u"40C1", u""), kCommand);
    EXPECT_TRUE(d->registry().FindKey(kBackup + u"40C1"));
    EXPECT_EQ(Number(*d, kSettingsKey, u"ShowHideCursorButtonSet"), 0u);
}

TEST(ButtonsPage, AssignCreatesAMissingSettingsKey) {
    auto d = OpenButtonsPage();
    d->registry().DeleteKeyPath(kSettingsKey);
    EXPECT_EQ(Command(*d, IDC_ASSIGN, 0), std::vector<std::string>{kSuccess});
    EXPECT_EQ(Number(*d, kSettingsKey, u"ShowHideCursorButtonSet"), 1u);
    EXPECT_TRUE(d->registry().FindKey(kBackup + u"40C1"));
}

TEST(ButtonsPage, AFailedAssignShowsTheButtonErrorAndLeavesTheShellsEntry) {
    struct Case {
        const char *what;
        std::function<void(sim::Device &)> fault;
        bool backupKey; // whether the backup's key was made before the failure
    } cases[] = {
        {"the backup's key cannot be made",
         [](sim::Device &d) { d.FailNext(sim::Fault::RegistryCreate, ERROR_ACCESS_DENIED); },
         false},
        {"the backup's Flags cannot be written",
         [](sim::Device &d) { d.FailRegistryWrites(u"Flags"); }, true},
        {"the backup's command cannot be written",
         [](sim::Device &d) { d.FailRegistryWrites(u""); }, true},
        {"no write at all", [](sim::Device &d) { d.FailRegistryWrites(std::nullopt, true); },
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto d = OpenButtonsPage();
        std::string why;
        ASSERT_TRUE(d->SelectRow(kTitle, IDC_BUTTON_LIST, 0, &why)) << why;
        d->Wait(100);
        c.fault(*d);
        EXPECT_EQ(Command(*d, IDC_ASSIGN, -1), std::vector<std::string>{kButtonError});
        EXPECT_EQ(Text(*d, kKeys + u"40C1", u""), kCalendar);
        EXPECT_EQ(Rows(*d)[0], "row 0 \"Button 1\" \"Calendar\"");
        EXPECT_EQ(d->registry().FindKey(kBackup + u"40C1") != nullptr, c.backupKey);
        EXPECT_FALSE(Number(*d, kSettingsKey, u"ShowHideCursorButtonSet"));
    }
}

TEST(ButtonsPage, AProgramFolderTooLongForTheCommandLineFailsAssignWithNothingWritten) {
    // 240 characters: the program's own path fits in 260, the quoted
    // shortcut beside it does not fit in 262.
    std::u16string folder = u"\\" + std::u16string(239, u'p');
    auto d = OpenButtonsPage({}, folder);
    ASSERT_TRUE(d->FindTopmost(u"Dialog"));
    EXPECT_EQ(Command(*d, IDC_ASSIGN, 0), std::vector<std::string>{kButtonError});
    EXPECT_EQ(Text(*d, kKeys + u"40C1", u""), kCalendar);
    EXPECT_FALSE(d->registry().FindKey(u"HKLM\\SOFTWARE\\Quorvane\\Pointrel\\HwKeyDataBackup"));
}

TEST(ButtonsPage, RestoreReportsEachStateOfTheBackup) {
    const std::string kNotUsed =
        "\"Restore Button\" \"This button was not used by Pointrel. Please select the button "
        "currently assigned to Pointrel and press \\\"Restore\\\" again.\" 0x40";
    const std::string kTooLong =
        "\"Pointrel Buttons Error\" \"The path to the application is too long. Please move the "
        "program, or contact us for help.\" 0x30";
    struct Case {
        const char *what;
        std::function<void(sim::Device &)> backup; // after an Assign of Button 1
        std::vector<std::string> messages;
        bool restored;
    } cases[] = {
        {"never assigned",
         [](sim::Device &d) { d.registry().DeleteKeyPath(kBackup + u"40C1"); },
         {kNotUsed},
         false},
        {"the backup's command is missing",
         [](sim::Device &d) { d.registry().DeleteValuePath(kBackup + u"40C1", u""); },
         {kNotRead},
         false},
        {"the backup's Flags is a string",
         [](sim::Device &d) { SetValue(d, kBackup + u"40C1", u"Flags", REG_SZ, Utf16z(u"0")); },
         {kNotRead},
         false},
        {"a command of 259 characters fills the buffer",
         [](sim::Device &d) {
             SetValue(d, kBackup + u"40C1", u"", REG_SZ, Utf16z(std::u16string(259, u'x')));
         },
         {kTooLong, kNotRead},
         false},
        {"a command of 258 characters fits",
         [](sim::Device &d) {
             SetValue(d, kBackup + u"40C1", u"", REG_SZ, Utf16z(std::u16string(258, u'x')));
         },
         {kRestored},
         true},
        {"a backup with keys below it goes whole",
         [](sim::Device &d) {
             SetValue(d, kBackup + u"40C1\\Below\\Deeper", u"x", REG_DWORD, Le32(1));
             SetValue(d, kBackup + u"40C1\\Beside", u"x", REG_DWORD, Le32(1));
         },
         {kRestored},
         true},
        {"a command too long for the buffer",
         [](sim::Device &d) {
             SetValue(d, kBackup + u"40C1", u"", REG_SZ, Utf16z(std::u16string(300, u'x')));
         },
         {kNotRead},
         false},
        {"the shell's entry cannot be written",
         [](sim::Device &d) { d.FailRegistryWrites(std::nullopt, true); },
         {},
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto d = OpenButtonsPage();
        Command(*d, IDC_ASSIGN, 0);
        c.backup(*d);
        auto backup = d->registry().Export(kBackup + u"40C1");
        EXPECT_EQ(Command(*d, IDC_RESTORE, -1), c.messages);
        if (c.restored) {
            EXPECT_FALSE(d->registry().FindKey(kBackup + u"40C1"));
            EXPECT_EQ(Number(*d, kSettingsKey, u"ShowHideCursorButtonSet"), 0u);
        } else {
            EXPECT_EQ(d->registry().Export(kBackup + u"40C1"), backup) << "the backup stays";
            EXPECT_EQ(Text(*d, kKeys + u"40C1", u""), kCommand);
            EXPECT_EQ(Rows(*d)[0], "row 0 \"Button 1\" \"Pointrel Monodex\"");
            EXPECT_EQ(Number(*d, kSettingsKey, u"ShowHideCursorButtonSet"), 1u);
        }
    }
}

TEST(ButtonsPage, RestoreWithoutMemoryShowsOutOfMemoryAndEndsTheProgramWith14) {
    auto d = OpenButtonsPage();
    Command(*d, IDC_ASSIGN, 0);
    uint32_t pid = 0;
    for (const sim::ProcessInfo &p : d->Processes())
        if (p.path == kSettings)
            pid = p.pid;
    d->FailNext(sim::Fault::LocalAlloc, ERROR_NOT_ENOUGH_MEMORY);
    std::string why;
    ASSERT_TRUE(d->TapControl(kTitle, IDC_RESTORE, &why)) << why;
    d->Wait(300);
    auto boxes = EventsStarting(*d, "messagebox " + std::to_string(pid) + " \"Out of memory\"");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("Pointrel Settings will now exit.\" 0x30"), std::string::npos);
    ASSERT_TRUE(d->Answer(u"Out of memory", IDOK));
    d->Wait(200);
    EXPECT_EQ(d->ExitCode(pid), 14u);
    EXPECT_EQ(Text(*d, kKeys + u"40C1", u""), kCommand) << "nothing restored";
    EXPECT_TRUE(d->registry().FindKey(kBackup + u"40C1"));
}

TEST(ButtonsPage, CommandsWithoutASelectedRowAskForOneButTheHelpLabelDoesNot) {
    auto d = OpenButtonsPage();
    const std::string kSelect = "\"Please Select\" \"Please select a button\" 0x40";
    EXPECT_EQ(Command(*d, IDC_ASSIGN, -1), std::vector<std::string>{kSelect});
    EXPECT_EQ(Command(*d, IDC_RESTORE, -1), std::vector<std::string>{kSelect});
    EXPECT_TRUE(Command(*d, IDC_HELP_BUTTONS, -1).empty());
}
