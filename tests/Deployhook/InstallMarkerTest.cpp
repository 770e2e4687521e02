// The marker of an installation under way: the recency rule with its signed
// differences, and what Install_Init and Uninstall_Exit do with the file.
#include <ce_setup.h>

#include "InstallMarker.h"
#include "kernel/Calendar.h"
#include "support/Devices.h"

#include <gtest/gtest.h>

namespace {

const std::u16string kMarker = u"\\Application Data\\Volatile\\pl_installing.dat";

SYSTEMTIME At(int day, int hour, int minute) {
    SYSTEMTIME t{};
    t.wYear = 2007;
    t.wMonth = 6;
    t.wDay = WORD(day);
    t.wHour = WORD(hour);
    t.wMinute = WORD(minute);
    return t;
}

uint64_t CalendarAt(int day, int hour, int minute) {
    sim::CalendarTime t;
    t.year = 2007;
    t.month = 6;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    return *sim::MsFromCalendar(t);
}

std::optional<sim::FsEntry> Marker(sim::Device &d) {
    sim::FsEntry entry;
    if (d.files().Stat(kMarker, &entry) != sim::FsStatus::Ok)
        return std::nullopt;
    return entry;
}

} // namespace

TEST(InstallMarker, IsRecentByTheSignedDifferencesOfDayHourAndMinute) {
    struct Case {
        const char *what;
        SYSTEMTIME marker, now;
        bool recent;
    };
    const Case cases[] = {
        {"the same minute", At(1, 10, 0), At(1, 10, 0), true},
        {"five minutes later", At(1, 10, 0), At(1, 10, 5), true},
        {"six minutes later", At(1, 10, 0), At(1, 10, 6), false},
        {"an hour and four minutes later", At(1, 10, 0), At(1, 11, 4), true},
        {"an hour and a half later", At(1, 10, 0), At(1, 11, 30), false},
        {"two hours later", At(1, 10, 0), At(1, 12, 0), false},
        {"another day of the month", At(1, 10, 0), At(2, 10, 0), false},
        // Signed: an earlier hour or minute is a negative difference.
        {"the minute before", At(1, 10, 30), At(1, 10, 29), true},
        {"an hour before", At(1, 10, 0), At(1, 9, 0), true},
        {"across the hour, minutes negative", At(1, 10, 58), At(1, 11, 2), true},
        {"across midnight to the next day", At(1, 23, 59), At(2, 0, 1), false},
        {"the same day of another month", At(1, 10, 0),
         [] {
             SYSTEMTIME t = At(1, 10, 3);
             t.wMonth = 7;
             return t;
         }(),
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsMarkerRecent(c.marker, c.now), c.recent);
    }
}

TEST(InstallMarker, InstallInitMakesKeepsOrRemakesTheMarkerOnlyOnTheFirstCall) {
    struct Case {
        const char *what;
        bool markerBefore;
        int firstCall;
        int nowHour, nowMinute;
        // Creation time of the marker afterwards, or -1 for none.
        int createdHour, createdMinute;
    };
    const Case cases[] = {
        {"no marker: made", false, 1, 10, 0, 10, 0},
        {"not the first call: nothing made", false, 0, 10, 0, -1, -1},
        {"a recent marker stays", true, 1, 10, 5, 10, 0},
        {"a stale marker is made again, with a new creation time", true, 1, 10, 6, 10, 6},
        {"not the first call: a stale marker is not checked", true, 0, 11, 30, 10, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d(test::NoShell());
        if (c.markerBefore) {
            d.SetCalendar(CalendarAt(1, 10, 0));
            test::WriteFile(d, kMarker, {});
        }
        d.SetCalendar(CalendarAt(1, c.nowHour, c.nowMinute));
        test::RunInside(d, [&] {
            EXPECT_EQ(Install_Init(NULL, c.firstCall, FALSE, TEXT("\\Program Files\\Pointrel")),
                      codeINSTALL_INIT_CONTINUE);
        });
        std::optional<sim::FsEntry> marker = Marker(d);
        ASSERT_EQ(marker.has_value(), c.createdHour >= 0);
        if (marker) {
            EXPECT_EQ(marker->created, CalendarAt(1, c.createdHour, c.createdMinute));
        }
    }
}

TEST(InstallMarker, ARemovalThatFindsTheMarkerDeletesItSilentlyAndTheNextAsks) {
    sim::Device d(test::NoShell());
    test::RunInside(d, [] { Install_Init(NULL, TRUE, FALSE, TEXT("\\Program Files\\Pointrel")); });
    ASSERT_TRUE(Marker(d));
    test::RunInside(d, [] { EXPECT_EQ(Uninstall_Exit(NULL), codeUNINSTALL_EXIT_DONE); });
    EXPECT_FALSE(Marker(d));
    EXPECT_TRUE(test::EventsStarting(d, "messagebox").empty());

    // The second removal asks; No starts nothing.
    uint32_t pid =
        d.StartFunction(u"\\Temp\\probe.exe", [] { return uint32_t(Uninstall_Exit(NULL)); });
    d.Wait(10);
    ASSERT_TRUE(d.Answer(u"Uninstall Feedback", IDNO));
    d.Wait(10);
    EXPECT_EQ(d.ExitCode(pid), 0u);
    for (const sim::TraceEvent &e : test::EventsStarting(d, "process start"))
        EXPECT_EQ(e.text.find("iexplore"), std::string::npos) << e.text;
    std::vector<sim::TraceEvent> boxes = test::EventsStarting(d, "messagebox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0].text.find("\"Uninstall Feedback\" \"Please help us"), std::string::npos);
    EXPECT_EQ(boxes[0].text.substr(boxes[0].text.size() - 5), " 0x24");
}

TEST(InstallMarker, AMarkerThatCannotBeMadeIsNotRetried) {
    sim::Device d(test::NoShell());
    d.files().Delete(u"\\Application Data\\Volatile");
    test::RunInside(d, [] {
        EXPECT_EQ(Install_Init(NULL, TRUE, FALSE, TEXT("\\Program Files\\Pointrel")),
                  codeINSTALL_INIT_CONTINUE);
    });
    EXPECT_FALSE(Marker(d));
    EXPECT_EQ(d.Calls(1)["CreateFileW"], 1u);
}
