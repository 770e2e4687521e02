// The device-script contract: syntax, answers, failures and exit statuses.
#include "ScriptRunner.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The device's shell is its first process.
#define SHELL "T=0 process start 1 \"\\Windows\\shell32.exe\"\n"
// A window of another program, on a device without the shell.
#define WINDOW_T "T=0 process start 1 \"\\Windows\\scriptwindows.exe\"\nT=0 window T activated\n"

std::pair<int, std::string> RunText(const std::string &script) {
    std::istringstream in(script);
    std::ostringstream out;
    int status = sim::RunScript(in, out);
    return {status, out.str()};
}

} // namespace

TEST(ScriptRunner, StatusesAndMessages) {
    struct Case {
        const char *script;
        int status;
        std::string output;
    };
    const Case cases[] = {
        {"# only a comment\n\n", 0, ""},
        {"print time\nwait 0x10\nprint time\n", 0, "time 0\n" SHELL "time 16\n"},
        {"frobnicate\n", 2, "ERROR line 1: unknown command: frobnicate\n"},
        {"wait 10\nwait ten\n", 2, SHELL "ERROR line 2: bad number: ten\n"},
        {"wait 1\nshell off\n", 2,
         SHELL "ERROR line 2: shell belongs before the first start, install or wait\n"},
        {"expect cursor 1 2\nprint time\n", 1,
         "FAIL line 1: expected cursor at 1 2, found cursor none\n"},
        {"expect absent Foo\nexpect running \"\\A B.exe\"\n", 1,
         "FAIL line 2: expected \\A B.exe running\n"},
        {"answer \"Pointrel Error\" OK\n", 2,
         "ERROR line 1: no message box \"Pointrel Error\" with button OK\n"},
        {"start \"unterminated\n", 2, "ERROR line 1: unterminated quote\n"},
        {"key press NOKEY\n", 2,
         "ERROR line 1: unknown key: NOKEY (keys: UP DOWN LEFT RIGHT RETURN F6 F7 APP1..APP6 "
         "SHIFT CONTROL ALT, or a virtual-key number 1 to 254)\n"},
        {"key press 0\n", 2,
         "ERROR line 1: unknown key: 0 (keys: UP DOWN LEFT RIGHT RETURN F6 F7 APP1..APP6 "
         "SHIFT CONTROL ALT, or a virtual-key number 1 to 254)\n"},
        // What a new user types, and the program that is not there.
        {"shell off\nkey press enter\nkey press Ctrl\n", 0, ""},
        {"print processes\nstart \\Windows\\none.exe\nprint processes\n", 2,
         "ERROR line 2: cannot start \\Windows\\none.exe: no such file\n"},
        {"start \\Windows\\\\shell32.exe\n", 2,
         "ERROR line 1: cannot start \\Windows\\\\shell32.exe: no such file\n"},
        {"start \\Windows\n", 2, "ERROR line 1: cannot start \\Windows: a folder, not a program\n"},
        {"file write \\a.exe text\nstart \\a.exe\n", 2,
         "ERROR line 2: cannot start \\a.exe: not a program\n"},
        {"file delete \\none.txt\nfile delete \\no\\none.txt\n", 0, ""},
        {"install \"\"\n", 2, "ERROR line 1: install needs a folder (or none, for the default)\n"},
        {"wait 1\nkeys repeat 300 50\n", 2,
         SHELL "ERROR line 2: keys belongs before the first start, install or wait\n"},
        {"registry set HKLM\\X v dword -4294967295\n", 2,
         "ERROR line 1: number out of the 32-bit range: -4294967295\n"},
        {"registry set HKLM\\X v dword -1\nprint registry HKLM\\X\n", 0,
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\X]\n\"v\"=dword:ffffffff\n\n"},
        {"shell off\nwindow create T T 0 0 9 9\npost T -1 0 0\n", 2,
         WINDOW_T "ERROR line 3: message number out of range (0 to 0xFFFF): -1\n"},
        {"shell off\nwait 5\nprint processes\n", 0, ""},
        // Numbers are digits only, and a repeat time must fit the device's.
        {"wait 0x+5\n", 2, "ERROR line 1: bad number: 0x+5\n"},
        {"wait \"0x 5\"\n", 2, "ERROR line 1: bad number: 0x 5\n"},
        {"wait \" 5\"\n", 2, "ERROR line 1: bad number:  5\n"},
        {"keys repeat 2147483648 100\n", 2,
         "ERROR line 1: keys repeat needs times from 1 to 2147483647\n"},
        // Messages with pointer parameters cannot be posted; a posted
        // WM_TIMER with a stranger's lParam calls nothing.
        {"shell off\nwindow create T t 0 0 50 50\npost T 1 0 0\n", 2,
         WINDOW_T "ERROR line 3: message 1 carries pointers and cannot be posted\n"},
        {"shell off\nwindow create T t 0 0 50 50\npost T 0x113 1 0x41\nwait 1\nprint time\n", 0,
         WINDOW_T "time 1\n"},
        // An install that cannot write its files says so; installing twice is fine.
        {"shell off\ninstall \"\\a|b\"\n", 2, "ERROR line 2: install failed for \\a|b\n"},
        {"shell off\ninstall "
         "\"\\ddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd"
         "ddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd"
         "dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd\"\n",
         2,
         "ERROR line 2: install failed for "
         "\\ddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd"
         "ddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd"
         "dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd\n"},
        {"shell off\ninstall\ninstall\n", 0, ""},
        // Deleting what is not there is fine; a key without a root is not.
        {"registry delete HKLM\\Nothing\\Here\nregistry delete HKLM\\Software None\n", 0, ""},
        {"registry delete NOROOT\\x\n", 2, "ERROR line 1: bad registry key: NOROOT\\x\n"},
        {"registry delete NOROOT\\x name\n", 2, "ERROR line 1: bad registry key: NOROOT\\x\n"},
        // Scripts are UTF-8, a leading byte-order mark is ignored, and a
        // quoted word ends with a backslash as \\.
        {"\xEF\xBB\xBFprint time\n", 0, "time 0\n"},
        {"print time\nwait \xff\n", 2, "time 0\nERROR line 2: the line is not UTF-8 text\n"},
        {"shell off\nwindow create \"A B\" \"caf\xC3\xA9\" 0 0 50 50\nprint windows\n", 0,
         "T=0 process start 1 \"\\Windows\\scriptwindows.exe\"\nT=0 window \"A B\" activated\n"
         "window \"A B\" \"caf\xC3\xA9\" 0 0 50 50 visible\n"},
        {"shell off\ninstall \"\\My Folder\\\\\"\nexpect running \"\\My Folder\\Pointrel.exe\"\n",
         1, "FAIL line 3: expected \\My Folder\\Pointrel.exe running\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        auto [status, output] = RunText(c.script);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(output, c.output);
    }
}

TEST(ScriptRunner, RegistryAndFilesRoundTrip) {
    auto [status, output] = RunText("registry set HKLM\\Software\\T \"A \\\"b\\\"\" sz \"x\\y\"\n"
                                    "registry set HKLM\\Software\\T N dword 0x1c\n"
                                    "registry set HKLM\\Software\\T @ binary -\n"
                                    "registry set HKLM\\Software\\T Gone binary 01\n"
                                    "registry delete HKLM\\Software\\T Gone\n"
                                    "print registry HKLM\\Software\\T\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\T]\n"
                      "\"A \\\"b\\\"\"=\"x\\\\y\"\n\"N\"=dword:0000001c\n@=hex:\n\n");
}

TEST(ScriptRunner, TheCursorProgramAnswersAndToggles) {
    auto [status, output] = RunText("shell off\n"
                                    "install\n"
                                    "start \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"
                                    "wait 100\n"
                                    "expect visible QuorvaneCursorDisplayClass\n"
                                    "expect cursor 120 160\n"
                                    "print cursor\n"
                                    "start \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"
                                    "wait 100\n"
                                    "expect absent QuorvaneCursorDisplayClass\n"
                                    "expect stopped \"\\Program Files\\Pointrel\\Pointrel.exe\"\n");
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "T=0 process start 1 \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"
                      "cursor 120 160 16 16 visible\n"
                      "T=100 process start 2 \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"
                      "T=100 process exit 2 code 0\n"
                      "T=100 process exit 1 code 0\n");
}

TEST(ScriptRunner, ShellCommandsWorkTheSoftKeysMenusAndFaults) {
    struct Case {
        const char *script;
        int status;
        std::string output;
    };
    const Case cases[] = {
        // As with tap, a release happens when device time next passes.
        {"print softkeys\nprint menu\nsoftkey right\nprint menu\nmenu Help\nwait 1\nprint menu\n",
         0,
         SHELL "softkeys \"Calendar\" \"Menu\"\nmenu none\nmenu \"Settings\" \"Help\" \"About\"\n"
               "T=200 menu \"Menu\" chose \"Help\"\nmenu none\n"},
        {"softkey left\nwait 1\n", 0, SHELL "T=100 softkey \"Calendar\"\n"},
        {"shell off\nprint softkeys\nsoftkey left\n", 2,
         "softkeys \"\" \"\"\nERROR line 3: there is no soft-key bar: the device runs without its "
         "shell\n"},
        {"softkey middle\n", 2, "ERROR line 1: softkey takes left or right\n"},
        {"menu Help\n", 2, SHELL "ERROR line 1: no menu is open\n"},
        {"softkey right\nmenu Nothing\n", 2,
         SHELL "ERROR line 2: the open menu has no item \"Nothing\"\n"},
        {"ok\n", 2, SHELL "ERROR line 1: the task bar shows no ok button\n"},
        {"os 4 21\nwait 1\nos 5 2\n", 2,
         SHELL "ERROR line 3: os belongs before the first start, install or wait\n"},
        {"fault disk all\n", 2, "ERROR line 1: fault takes registry-write or process-start\n"},
        {"fault registry-write\n", 2, "ERROR line 1: wrong number of arguments for fault\n"},
        {"shell off\ninstall\nfault process-start \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"
         "start \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"
         "expect stopped \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"
         "fault process-start off\nstart \"\\Program Files\\Pointrel\\Pointrel.exe\"\n",
         0, "T=0 process start 1 \"\\Program Files\\Pointrel\\Pointrel.exe\"\n"},
        // A window that hangs hears WM_CLOSE and stays; another closes.
        {"shell off\nwindow create T t 0 0 50 50 noclose topmost\npost T 0x10 0 0\nwait 1\n"
         "expect visible T\nwindow create U u 60 0 50 50 topmost\npost U 0x10 0 0\nwait 1\n"
         "expect absent U\n",
         0, WINDOW_T "T=0 window T close\nT=1 window U activated\nT=1 window U close\n"},
        {"window create T t 0 0 50 50 noclose noclose\n", 2,
         "ERROR line 1: window create: the last words may only be topmost and noclose\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        auto [status, output] = RunText(c.script);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(output, c.output);
    }
}
