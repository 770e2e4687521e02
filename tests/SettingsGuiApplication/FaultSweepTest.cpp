// Fault sweeps of the settings program: each registry write of Save, of
// Assign (with its backup and the button flag) and of Restore fails in turn,
// and so does each start of the cursor program; every case states what the
// registry then holds and what the user was told.
#include "support/FaultSweep.h"
#include "../../SettingsGuiApplication/resource.h"
#include "package/Installer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>

using namespace test;

namespace {

const std::u16string kSettings = u"\\Program Files\\Pointrel\\PLSettings.exe";
const std::u16string kTitle = u"Cursor Settings";
const std::u16string kButton = u"HKLM\\SOFTWARE\\Microsoft\\Shell\\Keys\\40C1";
const std::u16string kBackup = u"HKLM\\SOFTWARE\\Quorvane\\Pointrel\\HwKeyDataBackup";
const char16_t *const kRecord[] = {
    u"CursorSpeed",      u"CursorAcceleration",   u"CursorAccelerationSpeed",
    u"SnapToSipLetters", u"MenuNavigationMethod", u"CursorImage",
    u"DeviceModel"};

// The settings program open, its record then overwritten with values no Save
// writes, so that every value a Save writes shows as a change.
struct SaveRun {
    std::unique_ptr<sim::Device> d = std::make_unique<sim::Device>();
    uint32_t pid = 0;
    std::map<std::string, std::string> before;
    SaveRun() {
        sim::InstallPackage(*d);
        pid = d->Start(kSettings);
        d->Wait(500);
        for (const char16_t *name : kRecord)
            SetValue(*d, kSettingsKey, name, REG_BINARY, {0xEE});
        before = Snapshot(*d, {kSettingsKey});
    }
    // Saves with the menu's Save; the boxes it opened, each answered.
    std::vector<std::string> Save() {
        size_t from = d->Trace().size();
        EXPECT_TRUE(d->Post(u"Dialog", WM_COMMAND, IDM_SAVE, 0));
        d->Wait(300);
        std::vector<std::string> boxes = BoxesSince(*d, from);
        if (!boxes.empty()) {
            std::string title = boxes[0].substr(1, boxes[0].find('"', 1) - 1);
            EXPECT_TRUE(d->Answer(sim::Widen(title), IDOK));
            d->Wait(200);
        }
        return boxes;
    }
};

uint64_t Writes(sim::Device &d, uint32_t pid) {
    auto calls = d.Calls(pid);
    return calls.count("RegSetValueExW") ? calls["RegSetValueExW"] : 0;
}

} // namespace

TEST(FaultSweep, EachWriteOfASaveFailsInTurnAndOnlyThatValueKeepsItsOldContent) {
    SaveRun clean;
    uint64_t at = Writes(*clean.d, clean.pid);
    EXPECT_EQ(clean.Save(), std::vector<std::string>{});
    uint64_t writes = Writes(*clean.d, clean.pid) - at;
    std::vector<std::string> written = Changes(clean.before, Snapshot(*clean.d, {kSettingsKey}));
    ASSERT_EQ(writes, 7u) << "one write per value of the record";
    ASSERT_EQ(written.size(), 7u);

    // The value each failed write leaves as it was, in the order of the writes.
    const std::vector<std::string> kept = {"CursorSpeed",          "CursorAccelerationSpeed",
                                           "SnapToSipLetters",     "CursorAcceleration",
                                           "MenuNavigationMethod", "CursorImage",
                                           "DeviceModel"};
    for (uint32_t i = 0; i < writes; ++i) {
        SCOPED_TRACE("write " + std::to_string(i) + " fails");
        SaveRun run;
        run.d->FailNext(sim::Fault::RegistryWrite, ERROR_ACCESS_DENIED, i);
        std::vector<std::string> boxes = run.Save();
        std::vector<std::string> held = Changes(run.before, Snapshot(*run.d, {kSettingsKey}));
        // Every other value is written; the failed one keeps what it held.
        std::vector<std::string> missing;
        for (const std::string &w : written)
            if (std::find(held.begin(), held.end(), w) == held.end())
                missing.push_back(w.substr(w.rfind('\\') + 1, w.find('=') - w.rfind('\\') - 1));
        EXPECT_EQ(held.size(), 6u);
        EXPECT_EQ(missing, std::vector<std::string>{kept[i]});
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], "\"Pointrel Error\" \"Error saving settings. Please report the "
                            "following error code to Quorvane: \\n\\nError Code: 144\" 0x0");
        std::cout << "save, write " << i << " (" << kept[i]
                  << ") fails: it keeps its old content, the other six are stored; told "
                  << boxes[0] << "\n";
        EXPECT_EQ(run.d->ExitCode(run.pid), STILL_ACTIVE) << "the dialog stays open";
    }
}

namespace {

const std::string kSuccess =
    "\"Success\" \"Success. Note: If pressing the button doesn't show/hide Pointrel after 30 "
    "seconds, you may have to soft reset your device to update Windows.\" 0x40";
const std::string kButtonError =
    "\"Button Error\" \"Could not assign button. Please report this error to Quorvane.\" 0x30";
const std::string kRestored =
    "\"Pointrel Buttons\" \"Success. Previous button setting restored.\" 0x0";
// The shell's action as ShowValue shows it: the quoted shortcut, in quotes.
const std::string kCommand = "\"\"\\Program Files\\Pointrel\\Shortcuts\\Pointrel Monodex.lnk\"\"";

// The settings program open on the Buttons page, its first row (the shell's
// entry 40C1) selected.
struct ButtonsRun {
    std::unique_ptr<sim::Device> d = std::make_unique<sim::Device>();
    uint32_t pid = 0;
    ButtonsRun() {
        sim::InstallPackage(*d);
        pid = d->Start(kSettings);
        d->Wait(500);
        std::string why;
        EXPECT_TRUE(d->TapTab(kTitle, IDC_TABS, 2, &why)) << why;
        d->Wait(200);
        EXPECT_TRUE(d->SelectRow(kTitle, IDC_BUTTON_LIST, 0, &why)) << why;
        d->Wait(100);
    }
    // Taps a command; the boxes it opened, each answered.
    std::vector<std::string> Tap(int id) {
        size_t from = d->Trace().size();
        std::string why;
        EXPECT_TRUE(d->TapControl(kTitle, id, &why)) << why;
        d->Wait(300);
        std::vector<std::string> boxes = BoxesSince(*d, from);
        for (const std::string &box : boxes) {
            EXPECT_TRUE(d->Answer(sim::Widen(box.substr(1, box.find('"', 1) - 1)), IDOK));
            d->Wait(200);
        }
        return boxes;
    }
    std::string Flag() {
        auto v = GetValue(*d, kSettingsKey, u"ShowHideCursorButtonSet");
        return v ? ShowValue(*v) : "absent";
    }
    // The shell's entry and its backup, value by value, as "NAME=VALUE".
    std::map<std::string, std::string> Entry(const std::u16string &key) {
        std::map<std::string, std::string> out;
        for (const char16_t *name : {u"Name", u"Flags", u""})
            if (auto v = GetValue(*d, key, name))
                out[sim::Narrow(name)] = ShowValue(*v);
        return out;
    }
};

// The shell's entry is never left changed without a whole backup of what it
// held: Restore can always bring the old action back.
void ExpectRestorable(ButtonsRun &run, const std::map<std::string, std::string> &before) {
    std::map<std::string, std::string> entry = run.Entry(kButton);
    if (entry != before) {
        EXPECT_EQ(run.Entry(kBackup + u"\\40C1"), before) << "changed without a whole backup";
    }
}

} // namespace

TEST(FaultSweep, EachWriteOfAssignFailsInTurnAndTheOldActionStaysRecoverable) {
    ButtonsRun clean;
    std::map<std::string, std::string> before = clean.Entry(kButton);
    ASSERT_EQ(before.size(), 3u);
    uint64_t at = Writes(*clean.d, clean.pid);
    EXPECT_EQ(clean.Tap(IDC_ASSIGN), std::vector<std::string>{kSuccess});
    uint64_t writes = Writes(*clean.d, clean.pid) - at;
    EXPECT_EQ(clean.Entry(kButton).at(""), kCommand);

    // A failed backup stays as far as it was written (a backup goes only with
    // a successful Restore), so a later Restore reads it: whole enough, it
    // puts back what the entry already holds; without Flags or the action, it
    // reports the backup as unreadable. The entry itself is never lost.
    const std::string kNotRead = "\"Pointrel Buttons\" \"Could not retrieve backup data. Please "
                                 "report this error to Quorvane (support@quorvane.example)\" 0x10";
    struct Case {
        const char *write;
        std::string told;
        std::vector<std::string> backup; // the backup's values then held
        bool assigned;                   // the shell's entry holds the command
        std::string flag;
        std::string thenRestore; // what a Restore then tells
    };
    const Case cases[] = {
        {"backup Name", kButtonError, {"", "Flags"}, false, "absent", kRestored},
        {"backup Flags", kButtonError, {"", "Name"}, false, "absent", kNotRead},
        {"backup action", kButtonError, {"Flags", "Name"}, false, "absent", kNotRead},
        {"button Flags", kButtonError, {"", "Flags", "Name"}, false, "absent", kRestored},
        {"button action", kButtonError, {"", "Flags", "Name"}, false, "absent", kRestored},
        {"button flag", kSuccess, {"", "Flags", "Name"}, true, "absent", kRestored},
    };
    ASSERT_EQ(writes, std::size(cases)) << "a case for each write of a clean Assign";
    for (uint32_t i = 0; i < writes; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(std::string(c.write) + " fails");
        ButtonsRun run;
        run.d->FailNext(sim::Fault::RegistryWrite, ERROR_ACCESS_DENIED, i);
        std::vector<std::string> boxes = run.Tap(IDC_ASSIGN);
        EXPECT_EQ(boxes, std::vector<std::string>{c.told});
        std::vector<std::string> backup;
        for (const auto &[name, value] : run.Entry(kBackup + u"\\40C1"))
            backup.push_back(name);
        EXPECT_EQ(backup, c.backup);
        std::map<std::string, std::string> entry = run.Entry(kButton);
        EXPECT_EQ(entry.count("") && entry.at("") == kCommand, c.assigned);
        EXPECT_EQ(run.Flag(), c.flag);
        ExpectRestorable(run, before);
        std::vector<std::string> restore = run.Tap(IDC_RESTORE);
        EXPECT_EQ(restore, std::vector<std::string>{c.thenRestore});
        EXPECT_EQ(run.Entry(kButton), before);
        std::cout << "  then Restore: told " << (restore.empty() ? "nothing" : restore[0])
                  << "; entry " << (run.Entry(kButton) == before ? "as before" : "changed")
                  << ", backup " << run.Entry(kBackup + u"\\40C1").size() << "\n";
        std::cout << "assign, " << c.write << " fails: button entry "
                  << (entry == before            ? "unchanged"
                      : entry.at("") == kCommand ? "assigned"
                                                 : "half written")
                  << ", backup holds " << backup.size() << " of 3 values, flag " << run.Flag()
                  << "; told " << (boxes.empty() ? "nothing" : boxes[0]) << "\n";
    }
}

TEST(FaultSweep, EachWriteOfRestoreFailsInTurnAndTheBackupStaysUntilTheEntryIsBack) {
    struct Case {
        const char *write;
        std::vector<std::string> told;
        bool backupKept;
        bool restored; // the shell's entry holds its old action again
        std::string flag;
    };
    const Case cases[] = {
        {"button Flags", {}, true, false, "1"},
        {"button action", {}, true, false, "1"},
        {"button flag", {kRestored}, false, true, "1"},
    };
    uint64_t writes = 0;
    {
        ButtonsRun clean;
        clean.Tap(IDC_ASSIGN);
        uint64_t at = Writes(*clean.d, clean.pid);
        EXPECT_EQ(clean.Tap(IDC_RESTORE), std::vector<std::string>{kRestored});
        writes = Writes(*clean.d, clean.pid) - at;
    }
    ASSERT_EQ(writes, std::size(cases)) << "a case for each write of a clean Restore";
    for (uint32_t i = 0; i < writes; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(std::string(c.write) + " fails");
        ButtonsRun run;
        std::map<std::string, std::string> before = run.Entry(kButton);
        EXPECT_EQ(run.Tap(IDC_ASSIGN), std::vector<std::string>{kSuccess});
        run.d->FailNext(sim::Fault::RegistryWrite, ERROR_ACCESS_DENIED, i);
        std::vector<std::string> boxes = run.Tap(IDC_RESTORE);
        EXPECT_EQ(boxes, c.told);
        std::map<std::string, std::string> entry = run.Entry(kButton);
        EXPECT_EQ(entry == before, c.restored);
        EXPECT_EQ(!run.Entry(kBackup + u"\\40C1").empty(), c.backupKept);
        EXPECT_EQ(run.Flag(), c.flag);
        ExpectRestorable(run, before);
        std::cout << "restore, " << c.write << " fails: button entry "
                  << (entry == before ? "restored" : "not restored") << ", backup "
                  << (c.backupKept ? "kept" : "deleted") << ", flag " << run.Flag() << "; told "
                  << (boxes.empty() ? "nothing" : boxes[0]) << "\n";
    }
}

// The keys that Save, Assign and Restore create or open for writing, and the
// flushes that make their writes last, fail in turn: a failure is either
// told or harmless, and the button's old action stays recoverable.
TEST(FaultSweep, EachKeyCreateAndFlushFailsInTurnAndIsToldOrHarmless) {
    const std::string kSaveError =
        "\"Pointrel Error\" \"Error saving settings. Please report "
        "the following error code to Quorvane: \\n\\nError Code: 144\" 0x0";
    struct Case {
        const char *operation;
        sim::Fault fault;
        const char *call;
        std::vector<std::vector<std::string>> told; // by the failing call's turn
    };
    const Case cases[] = {
        {"save", sim::Fault::RegistryCreate, "RegCreateKeyExW", {{kSaveError}}},
        {"save", sim::Fault::RegistryFlush, "RegFlushKey", {{kSaveError}}},
        {"assign",
         sim::Fault::RegistryCreate,
         "RegCreateKeyExW",
         {{kButtonError}, {kButtonError}, {kSuccess}}},
        {"assign",
         sim::Fault::RegistryFlush,
         "RegFlushKey",
         {{kButtonError}, {kButtonError}, {kSuccess}}},
        {"restore", sim::Fault::RegistryCreate, "RegCreateKeyExW", {{kRestored}}},
        {"restore", sim::Fault::RegistryFlush, "RegFlushKey", {{}, {kRestored}, {kRestored}}},
    };
    for (const Case &c : cases) {
        std::string operation = c.operation;
        // Runs the operation with the fault on call `turn` (none when -1);
        // returns the boxes it opened and how many such calls it made.
        auto run = [&](ButtonsRun &r, int turn, uint64_t *made) {
            if (operation == "restore") {
                EXPECT_EQ(r.Tap(IDC_ASSIGN), std::vector<std::string>{kSuccess});
            }
            uint64_t at = CallsOf(*r.d, {r.pid}, c.call);
            if (turn >= 0)
                r.d->FailNext(c.fault, ERROR_ACCESS_DENIED, uint32_t(turn));
            std::vector<std::string> boxes;
            if (operation == "save") {
                size_t from = r.d->Trace().size();
                EXPECT_TRUE(r.d->Post(u"Dialog", WM_COMMAND, IDM_SAVE, 0));
                r.d->Wait(300);
                boxes = BoxesSince(*r.d, from);
                for (const std::string &box : boxes) {
                    EXPECT_TRUE(r.d->Answer(sim::Widen(box.substr(1, box.find('"', 1) - 1)), IDOK));
                }
                r.d->Wait(200);
            } else {
                boxes = r.Tap(operation == "assign" ? IDC_ASSIGN : IDC_RESTORE);
            }
            *made = CallsOf(*r.d, {r.pid}, c.call) - at;
            return boxes;
        };
        uint64_t made = 0;
        {
            ButtonsRun clean;
            run(clean, -1, &made);
        }
        SCOPED_TRACE(operation + ", " + c.call);
        ASSERT_EQ(made, c.told.size()) << "a case for each such call of a clean run";
        for (uint32_t i = 0; i < made; ++i) {
            SCOPED_TRACE("call " + std::to_string(i) + " fails");
            ButtonsRun r;
            std::map<std::string, std::string> before = r.Entry(kButton);
            uint64_t ignored = 0;
            std::vector<std::string> boxes = run(r, int(i), &ignored);
            EXPECT_EQ(boxes, c.told[i]);
            ExpectRestorable(r, before);
            std::cout << operation << ", " << c.call << " " << i << " fails: told "
                      << (boxes.empty() ? "nothing" : boxes[0]) << "; button entry "
                      << (r.Entry(kButton) == before ? "as before" : "assigned") << ", backup "
                      << r.Entry(kBackup + u"\\40C1").size() << " values, flag " << r.Flag()
                      << "\n";
        }
    }
}

namespace {

// A way the deliverables start programs, worked from the first call on.
struct StartScenario {
    const char *what;
    std::function<void(sim::Device &)> prepare; // before the trace is marked
    std::function<void(sim::Device &)> act;
};

const StartScenario kStarts[] = {
    {"Show/Hide button",
     [](sim::Device &d) {
         sim::InstallPackage(d);
         d.Start(kSettings);
         d.Wait(500);
     },
     [](sim::Device &d) {
         std::string why;
         EXPECT_TRUE(d.TapControl(kTitle, IDC_SHOW_HIDE_CURSOR, &why)) << why;
         d.Wait(500);
     }},
    {"Cancel restarting the cursor",
     [](sim::Device &d) {
         sim::InstallPackage(d);
         StartCursor(d, 500);
         d.Start(kSettings);
         d.Wait(500);
     },
     [](sim::Device &d) {
         EXPECT_TRUE(d.Post(u"Dialog", WM_COMMAND, IDM_CANCEL, 0));
         d.Wait(3000);
     }},
    {"install hook", [](sim::Device &d) { d.Wait(500); },
     [](sim::Device &d) {
         sim::StartSetupInstall(d, u"\\Program Files\\Pointrel");
         d.Wait(1300);
     }}, // A removal long after the installation asks for feedback; Yes opens the
    // page in the browser.
    {"remove hook",
     [](sim::Device &d) {
         sim::StartSetupInstall(d, sim::kPackageFolder);
         d.Wait(1200);
         d.Answer(u"Welcome", IDOK);
         d.Wait(800);
         d.Reset();
     },
     [](sim::Device &d) {
         sim::StartSetupUninstall(d);
         d.Wait(1000);
         EXPECT_TRUE(d.Answer(u"Uninstall Feedback", IDYES));
         d.Wait(100);
     }},
};

// The programs a run started after trace event `from`, by path.
std::vector<std::string> Started(const sim::Device &d, size_t from) {
    std::vector<std::string> out;
    for (size_t e = from; e < d.Trace().size(); ++e) {
        const std::string &t = d.Trace()[e].text;
        if (t.rfind("process start ", 0) == 0 && t.find("wceload") == std::string::npos) {
            // The path, without the command line that may follow it.
            size_t open = t.find('"'), close = t.find('"', open + 1);
            out.push_back(t.substr(open + 1, close - open - 1));
        }
    }
    return out;
}

} // namespace

TEST(FaultSweep, EachProgramStartFailsInTurnAndIsReportedOrLeftAsBefore) {
    struct Outcome {
        const char *scenario;
        const char *program;
        std::vector<std::string> told;
        bool cursorRuns, settingsRuns;
    };
    const std::string kNotOpened = "\"Error opening Pointrel\" \"Could not open Pointrel Monodex. "
                                   "Please report this error to Quorvane.\" 0x10";
    const std::string kWelcome =
        "\"Welcome\" \"Welcome to Pointrel!\\n\\nPointrel has started, and you can start moving "
        "the cursor with your D-Pad.\\n\\nTake a look at the Settings to setup Pointrel to your "
        "liking.\" 0x40";
    const std::string kFeedback =
        "\"Uninstall Feedback\" \"Please help us make our product better by telling us why you "
        "uninstalled Pointrel.\\n\\nContinue? (Opens page in Internet Explorer.)\" 0x24";
    const std::string kNoBrowser =
        "\"Internet Explorer Error\" \"Opening Internet Explorer failed.\\n\\nPlease send your "
        "product feedback by e-mail to feedback@quorvane.com.\\n\\nThank you!\" 0x30";
    const Outcome expected[] = {
        {"Show/Hide button", "\\Program Files\\Pointrel\\Pointrel.exe", {kNotOpened}, false, true},
        {"Cancel restarting the cursor",
         "\\Program Files\\Pointrel\\Pointrel.exe",
         {},
         false,
         false},
        {"install hook", "\\Program Files\\Pointrel\\Pointrel.exe", {kWelcome}, false, true},
        {"install hook", "\\Program Files\\Pointrel\\PLSettings.exe", {kWelcome}, true, false},
        {"remove hook", "\\Windows\\iexplore.exe", {kFeedback, kNoBrowser}, false, false},
    };
    size_t row = 0;
    for (const StartScenario &s : kStarts) {
        std::vector<std::string> programs;
        {
            sim::Device clean;
            s.prepare(clean);
            size_t from = clean.Trace().size();
            s.act(clean);
            programs = Started(clean, from);
        }
        for (const std::string &program : programs) {
            SCOPED_TRACE(std::string(s.what) + ": " + program + " fails to start");
            ASSERT_LT(row, std::size(expected)) << "a row for each start of a clean run";
            const Outcome &o = expected[row++];
            EXPECT_EQ(o.scenario, std::string(s.what));
            EXPECT_EQ(o.program, program);
            sim::Device d;
            s.prepare(d);
            size_t from = d.Trace().size();
            d.FailProcessStart(sim::Widen(program));
            s.act(d);
            std::vector<std::string> boxes = BoxesSince(d, from);
            EXPECT_EQ(boxes, o.told);
            EXPECT_EQ(d.IsRunning(kPointrel), o.cursorRuns);
            EXPECT_EQ(d.IsRunning(kSettings), o.settingsRuns);
            std::cout << s.what << ", start of " << program << " fails: cursor "
                      << (d.IsRunning(kPointrel) ? "runs" : "stopped") << ", settings "
                      << (d.IsRunning(kSettings) ? "runs" : "closed") << "; told "
                      << (boxes.empty() ? "nothing" : boxes[0]) << "\n";
        }
    }
    EXPECT_EQ(row, std::size(expected));
}

TEST(FaultSweep, EachAllocationOfRestoreFailsInTurnAndTheAssignmentStaysRecoverable) {
    uint64_t allocations = 0;
    {
        ButtonsRun clean;
        clean.Tap(IDC_ASSIGN);
        auto before = clean.d->Calls(clean.pid);
        clean.Tap(IDC_RESTORE);
        auto after = clean.d->Calls(clean.pid);
        allocations = after["LocalAlloc"] - before["LocalAlloc"];
    }
    ASSERT_EQ(allocations, 1u) << "the backup's text";
    ButtonsRun run;
    std::map<std::string, std::string> before = run.Entry(kButton);
    run.Tap(IDC_ASSIGN);
    run.d->FailNext(sim::Fault::LocalAlloc, ERROR_NOT_ENOUGH_MEMORY);
    size_t from = run.d->Trace().size();
    std::string why;
    EXPECT_TRUE(run.d->TapControl(kTitle, IDC_RESTORE, &why)) << why;
    run.d->Wait(300);
    std::vector<std::string> boxes = BoxesSince(*run.d, from);
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "\"Out of memory\" \"The system seems to be running low on available "
                         "memory. Please close any uneeded programs. Pointrel Settings will now "
                         "exit.\" 0x30"});
    EXPECT_TRUE(run.d->Answer(u"Out of memory", IDOK));
    run.d->Wait(300);
    EXPECT_NE(run.d->ExitCode(run.pid), STILL_ACTIVE) << "the program ends";
    EXPECT_EQ(run.Entry(kButton).at(""), kCommand) << "still assigned";
    EXPECT_EQ(run.Entry(kBackup + u"\\40C1"), before) << "the backup is whole";
    EXPECT_EQ(run.Flag(), "1");
    std::cout << "restore, LocalAlloc fails: entry still assigned, backup whole, flag 1, program "
                 "ends; told "
              << (boxes.empty() ? "nothing" : boxes[0]) << "\n";
}
