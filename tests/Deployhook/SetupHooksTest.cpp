// The hooks as the device's installer calls them: the sequence at exact
// device times, the folder with and without its final backslash, a folder
// too long for the programs' paths, and the browser for the feedback page.
#include "package/Installer.h"
#include "shell/Browser.h"
#include "support/Devices.h"

#include <gtest/gtest.h>

namespace {

// The trace from the installer's start on, without the shell's events.
std::vector<std::string> Events(const sim::Device &d, uint64_t from = 0) {
    std::vector<std::string> out;
    for (const sim::TraceEvent &e : d.Trace())
        if (e.time >= from && e.text.find("shell32.exe") == std::string::npos)
            out.push_back("T=" + std::to_string(e.time) + " " + e.text);
    return out;
}

const char kWelcome[] =
    "\"Welcome\" \"Welcome to Pointrel!\\n\\nPointrel has started, and you can start moving the "
    "cursor with your D-Pad.\\n\\nTake a look at the Settings to setup Pointrel to your "
    "liking.\" 0x40";

// Whether a top-level window has this title (the welcome box beside the
// settings program's dialog, both of the class "Dialog").
bool HasWindowTitled(sim::Device &d, const std::u16string &title) {
    for (const sim::WindowInfo &w : d.TopLevelWindows())
        if (w.title == title)
            return true;
    return false;
}

} // namespace

TEST(SetupHooks, InstallingStartsTheCursorProgramAndWelcomesTheUser1200MsLater) {
    struct Case {
        const char *what;
        std::u16string folder;
        std::string quoted, program, settings;
    };
    const Case cases[] = {
        {"without a final backslash", u"\\Program Files\\Pointrel", "\"\\Program Files\\Pointrel\"",
         "\"\\Program Files\\Pointrel\\Pointrel.exe\"",
         "\"\\Program Files\\Pointrel\\PLSettings.exe\""},
        {"with a final backslash", u"\\Program Files\\Pointrel\\",
         "\"\\Program Files\\Pointrel\\\\\"", "\"\\Program Files\\Pointrel\\Pointrel.exe\"",
         "\"\\Program Files\\Pointrel\\PLSettings.exe\""},
        {"another folder", u"\\Storage Card\\PL", "\"\\Storage Card\\PL\"",
         "\"\\Storage Card\\PL\\Pointrel.exe\"", "\"\\Storage Card\\PL\\PLSettings.exe\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        d.Wait(500);
        sim::StartSetupInstall(d, c.folder);
        d.Wait(1199);
        EXPECT_FALSE(HasWindowTitled(d, u"Welcome"));
        d.Wait(1);
        ASSERT_TRUE(HasWindowTitled(d, u"Welcome"));
        d.Wait(300);
        EXPECT_TRUE(d.Answer(u"Welcome", IDOK));
        d.Wait(10);
        // The settings program opens its dialog at once, under the wait
        // cursor.
        std::vector<std::string> expected = {
            "T=500 process start 2 \"\\Windows\\wceload.exe\"",
            "T=500 hook Install_Init 1 " + c.quoted + " returned 0",
            "T=500 process start 3 " + c.program,
            "T=500 process start 4 " + c.settings,
            "T=500 waitcursor 4 on",
            "T=500 waitcursor 4 off",
            "T=1700 messagebox 2 " + std::string(kWelcome),
            "T=2000 messagebox 2 closed 1",
            "T=2000 hook Install_Exit " + c.quoted + " 0 0 0 0 0 returned 0",
            "T=2000 process exit 2 code 0",
        };
        EXPECT_EQ(Events(d), expected);
        EXPECT_EQ(sim::InstalledFolder(d), c.folder);
    }
}

TEST(SetupHooks, AFolderTooLongForTheProgramsStartsNothingAndStillWelcomes) {
    sim::Device d;
    // 250 characters: the folder's own files cannot be written, and the
    // programs' paths would pass 260 characters.
    std::u16string folder = u"\\" + std::u16string(249, u'x');
    sim::StartSetupInstall(d, folder);
    d.Wait(1200);
    EXPECT_TRUE(d.Answer(u"Welcome", IDOK));
    d.Wait(10);
    for (const sim::TraceEvent &e : test::EventsStarting(d, "process start"))
        EXPECT_EQ(e.text.find("xxx"), std::string::npos) << e.text;
    std::vector<sim::TraceEvent> exits = test::EventsStarting(d, "hook Install_Exit");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_NE(exits[0].text.find(" returned 0"), std::string::npos);
    EXPECT_EQ(exits[0].time, 1200u);
}

TEST(SetupHooks, ARemovalAfterAResetAsksAndYesOpensTheFeedbackPage) {
    struct Case {
        const char *what;
        int answer;
        bool browserPresent;
        std::vector<std::string> after; // events from the answer on
    };
    const std::string page =
        "\"http://www.quorvane.com/pointrel/uninstalled.html#uninstall_feedback\"";
    const Case cases[] = {
        {"yes opens the page",
         IDYES,
         true,
         {"T=3000 messagebox 6 closed 6",
          "T=3000 process start 7 \"\\Windows\\iexplore.exe\" " + page,
          "T=3000 hook Uninstall_Exit returned 0", "T=3000 process exit 6 code 0"}},
        {"no opens nothing",
         IDNO,
         true,
         {"T=3000 messagebox 6 closed 7", "T=3000 hook Uninstall_Exit returned 0",
          "T=3000 process exit 6 code 0"}},
        {"a missing browser is reported",
         IDYES,
         false,
         {"T=3000 messagebox 6 closed 6",
          "T=3000 messagebox 6 \"Internet Explorer Error\" \"Opening Internet Explorer "
          "failed.\\n\\nPlease send your product feedback by e-mail to "
          "feedback@quorvane.com.\\n\\nThank you!\" 0x30"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        sim::StartSetupInstall(d, sim::kPackageFolder);
        d.Wait(1200);
        d.Answer(u"Welcome", IDOK);
        d.Wait(800);
        // The reset empties the volatile folder, and the marker with it.
        d.Reset();
        if (!c.browserPresent)
            d.files().Delete(sim::kBrowserPath);
        EXPECT_NE(sim::StartSetupUninstall(d), 0u);
        d.Wait(1000);
        EXPECT_FALSE(d.files().Exists(u"\\Program Files\\Pointrel\\Pointrel.exe"));
        EXPECT_FALSE(d.files().Exists(u"\\Windows\\Start Menu\\Programs\\Toggle Pointrel.lnk"));
        ASSERT_TRUE(d.Answer(u"Uninstall Feedback", c.answer));
        d.Wait(10);
        EXPECT_EQ(Events(d, 3000), c.after);
        EXPECT_EQ(d.FindTopmost(sim::kBrowserClass).has_value(),
                  c.answer == IDYES && c.browserPresent);
    }
}

TEST(SetupHooks, ResetEndsEveryProgramEmptiesTheVolatileFolderAndKeepsTheRest) {
    sim::Device d;
    ASSERT_TRUE(sim::InstallPackage(d));
    test::WriteFile(d, u"\\Application Data\\Volatile\\sub\\a.txt", {1});
    test::WriteFile(d, u"\\Application Data\\kept.txt", {2});
    test::SetValue(d, u"HKLM\\SOFTWARE\\Quorvane\\Pointrel", u"CursorSpeed", REG_DWORD,
                   {5, 0, 0, 0});
    d.Start(test::kPointrel);
    d.Wait(500);
    d.Reset();
    std::vector<sim::ProcessInfo> running = d.Processes();
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(running[0].path, u"\\Windows\\shell32.exe");
    std::vector<sim::FsEntry> volatileFiles;
    ASSERT_EQ(d.files().List(u"\\Application Data\\Volatile", &volatileFiles), sim::FsStatus::Ok);
    EXPECT_TRUE(volatileFiles.empty());
    EXPECT_TRUE(d.files().Exists(u"\\Application Data\\kept.txt"));
    EXPECT_TRUE(test::GetValue(d, u"HKLM\\SOFTWARE\\Quorvane\\Pointrel", u"CursorSpeed"));
    EXPECT_TRUE(d.FindTopmost(u"HHTaskBar"));
    // The programs start again after a reset.
    d.Start(test::kPointrel);
    d.Wait(500);
    EXPECT_TRUE(d.FindTopmost(test::kCursorClass));
}
