// Fault sweep of an installation: each file open made while the package
// installs (the hooks' marker, the programs they start) fails in turn; each
// case states what ran, whether the marker was left and what the user saw,
// then whether an immediate removal asks for feedback.
#include "support/FaultSweep.h"
#include "package/Installer.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace test;

namespace {

const std::u16string kMarker = u"\\Application Data\\Volatile\\pl_installing.dat";
const std::u16string kSettings = u"\\Program Files\\Pointrel\\PLSettings.exe";

// The ids of the processes started so far.
std::vector<uint32_t> StartedPids(const sim::Device &d) {
    std::vector<uint32_t> pids;
    for (const sim::TraceEvent &e : EventsStarting(d, "process start "))
        pids.push_back(uint32_t(std::stoul(e.text.substr(14))));
    return pids;
}

struct Install {
    sim::Device d;
    std::vector<std::string> told;
    explicit Install(std::optional<uint32_t> failedOpen) {
        d.Wait(500);
        size_t from = d.Trace().size();
        if (failedOpen)
            d.FailNext(sim::Fault::FileOpen, ERROR_ACCESS_DENIED, *failedOpen);
        sim::StartSetupInstall(d, sim::kPackageFolder);
        d.Wait(1300);
        told = BoxesSince(d, from);
    }
};

} // namespace

TEST(FaultSweep, EachFileOpenOfAnInstallationFailsInTurn) {
    uint64_t opens = 0;
    {
        Install clean(std::nullopt);
        opens = CallsOf(clean.d, StartedPids(clean.d), "CreateFileW");
        ASSERT_TRUE(clean.d.files().Exists(kMarker));
    }
    const std::string kWelcome =
        "\"Welcome\" \"Welcome to Pointrel!\\n\\nPointrel has started, and you can start moving "
        "the cursor with your D-Pad.\\n\\nTake a look at the Settings to setup Pointrel to your "
        "liking.\" 0x40";
    struct Case {
        const char *open;
        bool marker;
    };
    const Case cases[] = {
        {"the marker, written by Install_Init", false},
        {"the cursor program's first file", true},
        {"the cursor program's second file", true},
        {"the settings program's file", true},
    };
    ASSERT_EQ(opens, std::size(cases)) << "a case for each file open of a clean installation";
    for (uint32_t i = 0; i < opens; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(std::string(c.open) + " fails to open");
        Install run(i);
        bool marker = run.d.files().Exists(kMarker);
        EXPECT_EQ(marker, c.marker);
        EXPECT_TRUE(run.d.IsRunning(kPointrel));
        EXPECT_TRUE(run.d.IsRunning(kSettings));
        EXPECT_EQ(run.told, std::vector<std::string>{kWelcome});
        std::cout << "install, open of " << c.open << " fails: marker "
                  << (marker ? "written" : "missing") << ", both programs run; told "
                  << run.told.size() << " box(es), the welcome\n";
    }
}
