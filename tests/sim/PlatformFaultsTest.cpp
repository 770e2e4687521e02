// Faults on demand that last until lifted, the platform version a device
// reports, and the command line a started program receives.
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

using namespace test;

namespace {

struct Results {
    LONG setNamed, setOther, setDefault, deleteNamed, createKey, deleteKey, flush, query;
};

// Every registry write path, and one read, under the device's current fault.
Results TryWrites(sim::Device &d) {
    Results r{};
    RunInside(d, [&r] {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Test", 0, KEY_WRITE, &key),
                  ERROR_SUCCESS);
        DWORD v = 7;
        auto set = [&](LPCWSTR name) {
            return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), sizeof v);
        };
        r.setNamed = set(u"cursorspeed"); // names match as the registry does, in any case
        r.setOther = set(u"Other");
        r.setDefault = set(nullptr);
        r.deleteNamed = RegDeleteValueW(key, u"CursorSpeed");
        HKEY sub = nullptr;
        DWORD disposition;
        r.createKey =
            RegCreateKeyExW(key, u"Sub", 0, nullptr, 0, KEY_WRITE, nullptr, &sub, &disposition);
        if (sub)
            RegCloseKey(sub);
        r.deleteKey = RegDeleteKeyW(key, u"Gone");
        r.flush = RegFlushKey(key);
        DWORD size = sizeof v;
        r.query =
            RegQueryValueExW(key, u"Kept", nullptr, nullptr, reinterpret_cast<BYTE *>(&v), &size);
        RegCloseKey(key);
    });
    return r;
}

} // namespace

TEST(PlatformFaults, RegistryWritesFailByNameOrAllUntilLifted) {
    const LONG ok = ERROR_SUCCESS, denied = ERROR_ACCESS_DENIED;
    struct Case {
        const char *what;
        std::optional<std::u16string> name;
        bool all;
        Results expected;
    } cases[] = {
        {"one value name", u"CursorSpeed", false, {denied, ok, ok, denied, ok, ok, ok, ok}},
        {"the default value", u"", false, {ok, ok, denied, ok, ok, ok, ok, ok}},
        {"every write",
         std::nullopt,
         true,
         {denied, denied, denied, denied, denied, denied, denied, ok}},
        {"lifted", std::nullopt, false, {ok, ok, ok, ok, ok, ok, ok, ok}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d(NoShell());
        SetValue(d, u"HKLM\\SOFTWARE\\Test", u"CursorSpeed", REG_DWORD, {1, 0, 0, 0});
        SetValue(d, u"HKLM\\SOFTWARE\\Test", u"Kept", REG_DWORD, {1, 0, 0, 0});
        SetValue(d, u"HKLM\\SOFTWARE\\Test\\Gone", u"x", REG_DWORD, {1, 0, 0, 0});
        d.FailRegistryWrites(u"Anything", false);
        d.FailRegistryWrites(c.name, c.all);
        Results r = TryWrites(d);
        const Results &e = c.expected;
        EXPECT_EQ(r.setNamed, e.setNamed);
        EXPECT_EQ(r.setOther, e.setOther);
        EXPECT_EQ(r.setDefault, e.setDefault);
        EXPECT_EQ(r.deleteNamed, e.deleteNamed);
        EXPECT_EQ(r.createKey, e.createKey);
        EXPECT_EQ(r.deleteKey, e.deleteKey);
        EXPECT_EQ(r.flush, e.flush);
        EXPECT_EQ(r.query, e.query);
        // A failed write changed nothing.
        if (e.setNamed == denied) {
            EXPECT_EQ(GetValue(d, u"HKLM\\SOFTWARE\\Test", u"CursorSpeed")->data,
                      (std::vector<uint8_t>{1, 0, 0, 0}));
        }
    }
}

TEST(PlatformFaults, AProcessStartFailsAsForAMissingFileUntilLifted) {
    sim::Device d(NoShell());
    InstallPackage(d, sim::kPackageFolder);
    d.FailProcessStart(u"\\program files\\pointrel\\POINTREL.EXE");
    BOOL started = TRUE;
    DWORD error = 0;
    RunInside(d, [&] {
        PROCESS_INFORMATION pi{};
        SetLastError(0xdeadbeef);
        started = CreateProcessW(kPointrel.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, nullptr, &pi);
        error = GetLastError();
    });
    EXPECT_FALSE(started);
    EXPECT_EQ(error, DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(d.IsRunning(kPointrel));
    d.FailProcessStart(std::nullopt);
    EXPECT_NE(d.Start(kPointrel), 0u);
}

TEST(PlatformFaults, AStartedProgramReceivesItsCommandLine) {
    std::u16string received;
    static std::u16string *sink = nullptr;
    sink = &received;
    sim::Device d(NoShell());
    d.AddProgram(sim::ProgramImage{"Echo",
                                   [](void *, void *, char16_t *line, int) {
                                       *sink = line;
                                       return 0;
                                   },
                                   nullptr, 0});
    d.WriteProgramFile(u"\\Windows\\echo.exe", "Echo");
    RunInside(d, [] {
        WCHAR line[] = u"/quiet \"a b\"";
        PROCESS_INFORMATION pi{};
        EXPECT_TRUE(CreateProcessW(u"\\Windows\\echo.exe", line, nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, nullptr, &pi));
        EXPECT_TRUE(CreateProcessW(u"\\Windows\\echo.exe", nullptr, nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, nullptr, &pi));
    });
    d.Wait(100);
    EXPECT_EQ(received, u"");
    std::vector<std::string> starts;
    for (const sim::TraceEvent &e : d.Trace())
        if (e.text.rfind("process start", 0) == 0 && e.text.find("echo") != std::string::npos)
            starts.push_back(e.text.substr(e.text.find(' ', 14) + 1));
    EXPECT_EQ(starts, (std::vector<std::string>{"\"\\Windows\\echo.exe\" \"/quiet \\\"a b\\\"\"",
                                                "\"\\Windows\\echo.exe\""}));
    sink = nullptr;
}

TEST(PlatformVersion, GetVersionExWReportsTheDevicesVersion) {
    struct Case {
        std::optional<std::pair<uint32_t, uint32_t>> set;
        DWORD major, minor;
    } cases[] = {{std::nullopt, 5, 2}, {std::pair{4u, 21u}, 4, 21}, {std::pair{5u, 1u}, 5, 1}};
    for (const Case &c : cases) {
        sim::Device d(NoShell());
        if (c.set)
            d.SetOsVersion(c.set->first, c.set->second);
        RunInside(d, [&] {
            OSVERSIONINFOW info;
            std::memset(&info, 0xbd, sizeof info);
            info.dwOSVersionInfoSize = sizeof info;
            ASSERT_TRUE(GetVersionExW(&info));
            EXPECT_EQ(info.dwMajorVersion, c.major);
            EXPECT_EQ(info.dwMinorVersion, c.minor);
            EXPECT_EQ(info.dwPlatformId, DWORD(VER_PLATFORM_WIN32_CE));
            EXPECT_EQ(info.szCSDVersion[0], 0);
            // A structure of an unknown size is left alone.
            OSVERSIONINFOW wrong;
            std::memset(&wrong, 0xbd, sizeof wrong);
            wrong.dwOSVersionInfoSize = sizeof wrong - 2;
            SetLastError(0xdeadbeef);
            EXPECT_FALSE(GetVersionExW(&wrong));
            EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
            EXPECT_EQ(wrong.dwMajorVersion, 0xbdbdbdbdu);
        });
    }
}

TEST(PlatformFaults, AnAllocationFailsOnceWhenAsked) {
    sim::Device d(NoShell());
    d.FailNext(sim::Fault::LocalAlloc, ERROR_NOT_ENOUGH_MEMORY);
    HLOCAL failed = reinterpret_cast<HLOCAL>(1), next = nullptr;
    DWORD error = 0;
    HLOCAL freedTwice = nullptr;
    bool zeroed = false;
    RunInside(d, [&] {
        SetLastError(0xdeadbeef);
        failed = LocalAlloc(LPTR, 260 * sizeof(WCHAR));
        error = GetLastError();
        next = LocalAlloc(LMEM_FIXED, 16);
        zeroed = next && static_cast<BYTE *>(next)[15] == 0;
        LocalFree(next);
        freedTwice = LocalFree(next);
        LocalAlloc(LPTR, 8); // left for the process's end to take back
    });
    EXPECT_EQ(failed, nullptr);
    EXPECT_EQ(error, DWORD(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_NE(next, nullptr);
    EXPECT_TRUE(zeroed);
    EXPECT_EQ(freedTwice, next) << "a block frees once";
}

TEST(PlatformFaults, ASkippedFaultLetsThatManySucceedFirst) {
    sim::Device d(NoShell());
    d.FailNext(sim::Fault::LocalAlloc, ERROR_NOT_ENOUGH_MEMORY, 2);
    std::vector<bool> got;
    RunInside(d, [&] {
        for (int i = 0; i < 4; ++i) {
            HLOCAL block = LocalAlloc(LPTR, 8);
            got.push_back(block != nullptr);
            LocalFree(block);
        }
    });
    EXPECT_EQ(got, (std::vector<bool>{true, true, false, true}));
}
