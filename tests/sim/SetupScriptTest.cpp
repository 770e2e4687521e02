// The script commands of installation, calendar and reset: their answers and
// the lines they refuse.
#include "ScriptRunner.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(SetupScript, ClockFileSetupAndResetAnswerAndRefuseAsTheContractSays) {
    struct Case {
        const char *script;
        int status;
        std::string output;
    };
    const Case cases[] = {
        {"print file \"\\Temp\\gone.txt\"\n", 0, "file \"\\Temp\\gone.txt\" absent\n"},
        {"print file \\Temp\n", 0, "file \"\\Temp\" absent\n"},
        {"clock 2009-03-04 05:06:07\nfile write \\Temp\\a.txt abc\nprint file \\Temp\\a.txt\n", 0,
         "file \"\\Temp\\a.txt\" 3 created 2009-03-04 05:06:07 written 2009-03-04 05:06:07\n"},
        {"clock 2009-02-29 10:00\n", 2,
         "ERROR line 1: clock needs a date and time YYYY-MM-DD HH:MM[:SS]\n"},
        {"clock 2009-03-04\n", 2, "ERROR line 1: wrong number of arguments for clock\n"},
        {"setup uninstall\n", 2, "ERROR line 1: setup uninstall: no package is installed\n"},
        {"setup remove\n", 2, "ERROR line 1: setup takes install [FOLDER] or uninstall\n"},
        {"reset now\n", 2, "ERROR line 1: wrong number of arguments for reset\n"},
        {"shell off\nfile write \"\\Application Data\\Volatile\\v.txt\" x\nreset\n"
         "print file \"\\Application Data\\Volatile\\v.txt\"\n",
         0, "file \"\\Application Data\\Volatile\\v.txt\" absent\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        std::istringstream in(c.script);
        std::ostringstream out;
        EXPECT_EQ(sim::RunScript(in, out), c.status);
        EXPECT_EQ(out.str(), c.output);
    }
}
