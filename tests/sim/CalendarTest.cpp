// The device's calendar: conversions between dates and file times, the
// calendar running with the virtual clock, and file times taken from it.
#include "kernel/Calendar.h"
#include "support/Devices.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Calendar, SystemTimesAndFileTimesConvertBothWaysAndRefuseWhatIsNoDate) {
    struct Case {
        const char *what;
        SYSTEMTIME in;
        bool valid;
        uint64_t units; // FILETIME, when valid
        WORD dayOfWeek;
    };
    const Case cases[] = {
        {"the first moment", {1601, 1, 0, 1, 0, 0, 0, 0}, true, 0, 1},
        {"the device's start", {2007, 6, 0, 1, 10, 0, 0, 0}, true, 128251656000000000ull, 5},
        {"a leap day", {2008, 2, 0, 29, 23, 59, 59, 999}, true, 128488031999990000ull, 5},
        {"a day after a century's end",
         {2000, 3, 0, 1, 0, 0, 0, 0},
         true,
         125963424000000000ull,
         3},
        {"29 February of a common year", {2007, 2, 0, 29, 0, 0, 0, 0}, false, 0, 0},
        {"month 13", {2007, 13, 0, 1, 0, 0, 0, 0}, false, 0, 0},
        {"day 0", {2007, 6, 0, 0, 0, 0, 0, 0}, false, 0, 0},
        {"hour 24", {2007, 6, 0, 1, 24, 0, 0, 0}, false, 0, 0},
        {"before 1601", {1600, 12, 0, 31, 0, 0, 0, 0}, false, 0, 0},
    };
    sim::Device d(test::NoShell());
    test::RunInside(d, [&] {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.what);
            FILETIME ft{0xdeadbeef, 0xdeadbeef};
            SetLastError(0xdeadbeef);
            BOOL ok = SystemTimeToFileTime(&c.in, &ft);
            ASSERT_EQ(ok != FALSE, c.valid);
            if (!c.valid) {
                EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
                continue;
            }
            EXPECT_EQ(uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime, c.units);
            SYSTEMTIME back{};
            ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
            SYSTEMTIME expected = c.in;
            expected.wDayOfWeek = c.dayOfWeek;
            EXPECT_EQ(std::memcmp(&back, &expected, sizeof back), 0);
        }
        FILETIME negative{0, 0x80000000u};
        SYSTEMTIME unchanged{};
        EXPECT_FALSE(FileTimeToSystemTime(&negative, &unchanged));
    });
}

TEST(Calendar, RunsWithTheVirtualClockFromWhereTheClockCommandSetsIt) {
    sim::Device d(test::NoShell());
    test::RunInside(d, [] {
        SYSTEMTIME now{};
        GetSystemTime(&now);
        EXPECT_EQ(now.wYear, 2007);
        EXPECT_EQ(now.wMonth, 6);
        EXPECT_EQ(now.wDay, 1);
        EXPECT_EQ(now.wHour, 10);
        EXPECT_EQ(now.wMinute, 0);
    });
    d.SetCalendar(*sim::MsFromCalendar(*sim::ParseCalendar("2008-12-31 23:59:30")));
    d.Wait(45000);
    test::RunInside(d, [] {
        SYSTEMTIME now{}, local{};
        GetSystemTime(&now);
        GetLocalTime(&local);
        EXPECT_EQ(now.wYear, 2009);
        EXPECT_EQ(now.wMonth, 1);
        EXPECT_EQ(now.wDay, 1);
        EXPECT_EQ(now.wSecond, 15);
        EXPECT_EQ(std::memcmp(&now, &local, sizeof now), 0);
        // A file made now carries the calendar's time, and a later write only
        // moves its write time.
        HANDLE f = CreateFileW(u"\\Temp\\t.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        Sleep(61000);
        DWORD written = 0;
        WriteFile(f, "x", 1, &written, nullptr);
        FILETIME created{}, access{}, write{};
        ASSERT_TRUE(GetFileTime(f, &created, &access, &write));
        CloseHandle(f);
        SYSTEMTIME c{}, w{};
        FileTimeToSystemTime(&created, &c);
        FileTimeToSystemTime(&write, &w);
        EXPECT_EQ(c.wMinute, 0);
        EXPECT_EQ(c.wSecond, 15);
        EXPECT_EQ(w.wMinute, 1);
        EXPECT_EQ(w.wSecond, 16);
        EXPECT_FALSE(GetFileTime(nullptr, &created, nullptr, nullptr));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    });
}

TEST(Calendar, ScriptDatesAreReadInTheirExactForm) {
    struct Case {
        const char *text;
        bool valid;
        const char *printed;
    };
    const Case cases[] = {
        {"2007-06-01 10:00", true, "2007-06-01 10:00:00"},
        {"2012-02-29 23:59:59", true, "2012-02-29 23:59:59"},
        {"2011-02-29 10:00", false, ""},
        {"2007-6-1 10:00", false, ""},
        {"2007-06-01 10:00:", false, ""},
        {"2007-06-01 10:60", false, ""},
        {"2007-06-01T10:00", false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        std::optional<sim::CalendarTime> t = sim::ParseCalendar(c.text);
        ASSERT_EQ(t.has_value(), c.valid);
        if (t) {
            EXPECT_EQ(sim::FormatCalendar(*t), c.printed);
        }
    }
}
