// Device scripts working a dialog's controls: control ... tap, select,
// slide and tab, and print dialog's lines.
#include "ScriptRunner.h"
#include "support/ControlsDialog.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::pair<int, std::string> RunWithDialog(const std::string &script) {
    std::istringstream in("shell off\n" + script);
    std::ostringstream out;
    sim::ScriptHooks hooks;
    hooks.begin = [](sim::Device &d) {
        d.SetShell(false);
        test::StartControlsDialog(d);
    };
    int status = sim::RunScript(in, out, hooks);
    return {status, out.str()};
}

} // namespace

TEST(ScriptControls, PrintDialogListsEveryControlDepthFirstWithWhatItHolds) {
    auto [status, out] = RunWithDialog("print dialog Controls\n");
    EXPECT_EQ(0, status);
    EXPECT_EQ(out, "T=0 process start 1 \"\\Windows\\controls.exe\"\n"
                   "dialog \"Controls\" 0 26 240 268 visible\n"
                   "control 1019 STATIC \"Choose how the cursor behaves.\" 11 49 195 13 visible "
                   "enabled\n"
                   "control 1047 STATIC \"[?]\" 210 49 18 13 visible enabled\n"
                   "control 1012 BUTTON \"Show/Hide Cursor\" 72 68 99 23 visible enabled focus\n"
                   "control 1013 BUTTON \"Use Up and Down keys\" 17 98 209 16 visible enabled "
                   "checked\n"
                   "control 1014 BUTTON \"Continue to use the mouse\" 17 115 209 16 visible "
                   "enabled unchecked\n"
                   "control 1003 BUTTON \"Enable cursor acceleration\" 11 135 180 16 visible "
                   "enabled unchecked\n"
                   "control 1050 STATIC \"Slow\" 11 158 30 13 visible enabled\n"
                   "control 1004 msctls_trackbar32 \"\" 42 153 149 34 visible enabled position 19 "
                   "range 7 70\n"
                   "control 1018 SysListView32 \"\" 11 190 215 72 visible enabled rows 5 selected "
                   "-1 columns 120 75\n"
                   "row 0 \"Windows-Style Cursor\" \"Small\"\n"
                   "row 1 \"White Cursor\" \"Small\"\n"
                   "row 2 \"White Cursor\" \"Large\"\n"
                   "row 3 \"Black Cursor\" \"Small\"\n"
                   "row 4 \"Black Cursor\" \"Large\"\n"
                   "control 1001 SysTabControl32 \"\" 0 26 240 263 visible enabled tabs 4 "
                   "selected 0\n"
                   "tab 0 \"General\"\n"
                   "tab 1 \"Movement\"\n"
                   "tab 2 \"Buttons\"\n"
                   "tab 3 \"Display\"\n");
}

TEST(ScriptControls, CommandsWorkTheControlsAndRefuseWhatCannotBeWorked) {
    struct Case {
        const char *script;
        int status;
        std::string line; // a line the output holds
    };
    const Case cases[] = {
        {"control Controls 1003 tap\nprint dialog Controls\n", 0,
         "control 1003 BUTTON \"Enable cursor acceleration\" 11 135 180 16 visible enabled focus "
         "checked\n"},
        {"control Controls 1014 tap\nprint dialog Controls\n", 0,
         "control 1013 BUTTON \"Use Up and Down keys\" 17 98 209 16 visible enabled unchecked\n"},
        {"control Controls 1004 slide 50\nprint dialog Controls\n", 0,
         "visible enabled focus position 50 range 7 70\n"},
        {"control Controls 1018 select 4\nprint dialog Controls\n", 0,
         "visible enabled focus rows 5 selected 4 columns 120 75\n"},
        {"control Controls 1001 tab 2\nprint dialog Controls\n", 0, "tabs 4 selected 2\n"},
        {"control Controls 999 tap\n", 2,
         "ERROR line 2: control: no control 999 in \"Controls\"\n"},
        {"control Controls 1018 select 9\n", 2,
         "ERROR line 2: control: list view 1018 has no row 9\n"},
        {"control Controls 1003 poke\n", 2,
         "ERROR line 2: control takes tap, select, slide or tab\n"},
        {"control Controls 1003 tab\n", 2, "ERROR line 2: wrong number of arguments for control\n"},
        {"print dialog Nothing\n", 2, "ERROR line 2: no window titled \"Nothing\"\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        auto [status, out] = RunWithDialog(c.script);
        EXPECT_EQ(c.status, status);
        EXPECT_NE(std::string::npos, out.find(c.line)) << out;
    }
}
