#include "kernel/Calendar.h"

#include <cstdio>

namespace sim {

namespace {

bool IsLeap(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int64_t year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 to the first of January of `year`; 1601 begins a
// 400-year cycle of the Gregorian calendar, so whole cycles count 146097.
int64_t DaysBeforeYear(int64_t year) {
    int64_t y = year - 1601;
    return y * 365 + y / 4 - y / 100 + y / 400;
}

const uint64_t kMsPerDay = 86400000;

} // namespace

std::optional<uint64_t> MsFromCalendar(const CalendarTime &t) {
    if (t.year < 1601 || t.year > kLastYear || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
        t.minute > 59 || t.second < 0 || t.second > 59 || t.milliseconds < 0 ||
        t.milliseconds > 999)
        return std::nullopt;
    int64_t days = DaysBeforeYear(t.year);
    for (int m = 1; m < t.month; ++m)
        days += DaysInMonth(t.year, m);
    days += t.day - 1;
    return static_cast<uint64_t>(days) * kMsPerDay +
           static_cast<uint64_t>(((t.hour * 60 + t.minute) * 60 + t.second) * 1000 +
                                 t.milliseconds);
}

std::optional<CalendarTime> CalendarFromMs(uint64_t ms) {
    uint64_t days = ms / kMsPerDay;
    uint64_t inDay = ms % kMsPerDay;
    CalendarTime t;
    // 1601-01-01 was a Monday.
    t.dayOfWeek = static_cast<int>((days + 1) % 7);
    int64_t year = 1601 + static_cast<int64_t>(days / 146097) * 400;
    int64_t rest = static_cast<int64_t>(days % 146097);
    while (rest >= (IsLeap(year) ? 366 : 365)) {
        rest -= IsLeap(year) ? 366 : 365;
        ++year;
    }
    if (year > kLastYear)
        return std::nullopt;
    int month = 1;
    while (rest >= DaysInMonth(year, month)) {
        rest -= DaysInMonth(year, month);
        ++month;
    }
    t.year = static_cast<int>(year);
    t.month = month;
    t.day = static_cast<int>(rest) + 1;
    t.hour = static_cast<int>(inDay / 3600000);
    t.minute = static_cast<int>(inDay / 60000 % 60);
    t.second = static_cast<int>(inDay / 1000 % 60);
    t.milliseconds = static_cast<int>(inDay % 1000);
    return t;
}

std::optional<CalendarTime> ParseCalendar(const std::string &text) {
    CalendarTime t;
    int used = 0;
    char tail = 0;
    // Every field in its exact width, so "2007-6-1" or "10:5" are refused.
    auto digitsAt = [&](size_t from, size_t count) {
        for (size_t i = from; i < from + count; ++i)
            if (i >= text.size() || text[i] < '0' || text[i] > '9')
                return false;
        return true;
    };
    bool shape = text.size() >= 16 && digitsAt(0, 4) && text[4] == '-' && digitsAt(5, 2) &&
                 text[7] == '-' && digitsAt(8, 2) && text[10] == ' ' && digitsAt(11, 2) &&
                 text[13] == ':' && digitsAt(14, 2) &&
                 (text.size() == 16 || (text.size() == 19 && text[16] == ':' && digitsAt(17, 2)));
    if (!shape)
        return std::nullopt;
    int n = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%n:%2d%n%c", &t.year, &t.month, &t.day,
                        &t.hour, &t.minute, &used, &t.second, &used, &tail);
    if (n < 5 || n > 6 || !MsFromCalendar(t))
        return std::nullopt;
    return CalendarFromMs(*MsFromCalendar(t));
}

std::string FormatCalendar(const CalendarTime &t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

uint64_t DefaultCalendarMs() {
    CalendarTime t;
    t.year = 2007;
    t.month = 6;
    t.day = 1;
    t.hour = 10;
    return *MsFromCalendar(t);
}

} // namespace sim
