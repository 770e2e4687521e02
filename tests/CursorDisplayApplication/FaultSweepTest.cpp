// Fault sweeps of the programs' starts: each allocation, file open and
// registry write the cursor program and the settings program make while
// starting fails in turn; every case states how the program ended up, what
// the registry holds and what the user was told.
#include "support/FaultSweep.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

using namespace test;

namespace {

const std::u16string kSettings = u"\\Program Files\\Pointrel\\PLSettings.exe";

struct Kind {
    const char *call;
    sim::Fault fault;
    uint32_t error;
};
const Kind kKinds[] = {
    {"LocalAlloc", sim::Fault::LocalAlloc, ERROR_NOT_ENOUGH_MEMORY},
    {"CreateFileW", sim::Fault::FileOpen, ERROR_FILE_NOT_FOUND},
    {"RegSetValueExW", sim::Fault::RegistryWrite, ERROR_ACCESS_DENIED},
    {"RegCreateKeyExW", sim::Fault::RegistryCreate, ERROR_ACCESS_DENIED},
};

struct Outcome {
    bool runs = false;
    std::vector<std::string> told;
    std::vector<std::string> stored;
};

// Starts `program` on a device with the package (the shell settled first),
// with fault `kind` on its call `skip` when `fail`; the calls of that kind
// the program made in its first two seconds.
Outcome StartProgram(const std::u16string &program, const Kind &kind, bool fail, uint32_t skip,
                     uint64_t *calls) {
    sim::Device d;
    sim::InstallPackage(d);
    d.Wait(500);
    auto before = Snapshot(d, {kSettingsKey});
    size_t from = d.Trace().size();
    if (fail)
        d.FailNext(kind.fault, kind.error, skip);
    uint32_t pid = d.Start(program);
    d.Wait(2000);
    Outcome o;
    o.runs = d.ExitCode(pid) == STILL_ACTIVE;
    o.told = BoxesSince(d, from);
    o.stored = Changes(before, Snapshot(d, {kSettingsKey}));
    if (calls) {
        auto made = d.Calls(pid);
        *calls = made.count(kind.call) ? made[kind.call] : 0;
    }
    return o;
}

std::string Join(const std::vector<std::string> &items) {
    std::string out;
    for (const std::string &item : items)
        out += (out.empty() ? "" : ", ") + item;
    return out.empty() ? "nothing" : out;
}

} // namespace

TEST(FaultSweep, EachCallOfAStartFailsInTurnWithoutACrashOrAFalseRecord) {
    for (const std::u16string &program : {kPointrel, kSettings}) {
        for (const Kind &kind : kKinds) {
            uint64_t calls = 0;
            Outcome clean = StartProgram(program, kind, false, 0, &calls);
            ASSERT_TRUE(clean.runs);
            // A start allocates nothing itself, opens two files and stores the
            // record once.
            const std::map<std::string, uint64_t> kCalls = {{"LocalAlloc", 0},
                                                            {"CreateFileW", 2},
                                                            {"RegSetValueExW", 7},
                                                            {"RegCreateKeyExW", 1}};
            EXPECT_EQ(calls, kCalls.at(kind.call))
                << kind.call << " calls changed: add their cases";
            for (uint32_t i = 0; i < calls; ++i) {
                SCOPED_TRACE(sim::Narrow(program) + ": " + kind.call + " " + std::to_string(i) +
                             " fails");
                Outcome o = StartProgram(program, kind, true, i, nullptr);
                // Whatever the record then holds is what a clean start stores,
                // or part of it: never another value.
                for (const std::string &value : o.stored)
                    EXPECT_NE(std::find(clean.stored.begin(), clean.stored.end(), value),
                              clean.stored.end())
                        << value;
                // A start goes on with what it could not read or store: the
                // defaults stand in, and the record is stored at the next Save.
                EXPECT_TRUE(o.runs);
                EXPECT_EQ(o.told, std::vector<std::string>{});
                std::cout << sim::Narrow(program) << ", " << kind.call << " #" << i
                          << " fails: " << (o.runs ? "runs" : "ended") << ", record "
                          << (o.stored == clean.stored ? "as a clean start stores" : Join(o.stored))
                          << "; told " << Join(o.told) << "\n";
            }
        }
    }
}
