// DeviceSim: the device's calendar — dates and times of day in UTC, counted
// as the platform's file times count them, in milliseconds since
// 1601-01-01 00:00:00.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

struct CalendarTime {
    int year = 1601;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
    int dayOfWeek = 1; // 0 Sunday; filled in by CalendarFromMs
};

// One FILETIME unit is 100 ns.
inline constexpr uint64_t kFileTimeUnitsPerMs = 10000;
// The platform's file times reach to the year 30827; SYSTEMTIME's year too.
inline constexpr int kLastYear = 30827;

// Milliseconds since 1601 for a date and time, or nothing when a field is out
// of its range (month 13, 31 April, 29 February of a common year, hour 24 ...).
std::optional<uint64_t> MsFromCalendar(const CalendarTime &t);
// The date and time of a count of milliseconds since 1601, or nothing past
// the last year.
std::optional<CalendarTime> CalendarFromMs(uint64_t ms);
// "YYYY-MM-DD HH:MM[:SS]" as a device script writes it.
std::optional<CalendarTime> ParseCalendar(const std::string &text);
// "YYYY-MM-DD HH:MM:SS".
std::string FormatCalendar(const CalendarTime &t);

// The calendar at device start: 2007-06-01 10:00:00 UTC.
uint64_t DefaultCalendarMs();

} // namespace sim
