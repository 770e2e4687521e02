// DeviceSim: the calendar calls — the device's date and time and the
// conversions between SYSTEMTIME and FILETIME.
#include <windows.h>

#include "kernel/Calendar.h"
#include "kernel/Context.h"

using namespace sim;

namespace {

SYSTEMTIME ToSystemTime(const CalendarTime &t) {
    return SYSTEMTIME{WORD(t.year), WORD(t.month),  WORD(t.dayOfWeek), WORD(t.day),
                      WORD(t.hour), WORD(t.minute), WORD(t.second),    WORD(t.milliseconds)};
}

void Now(LPSYSTEMTIME out) {
    // The calendar cannot run past the last year in a device's life; the
    // script's clock command refuses later dates.
    if (out)
        *out = ToSystemTime(*CalendarFromMs(CurrentCalendar()));
}

} // namespace

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    sim::CountCall("GetSystemTime");
    Now(lpSystemTime);
}

// Differs from the platform: the device has no time zone set, so local time
// is UTC.
void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    sim::CountCall("GetLocalTime");
    Now(lpSystemTime);
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME *lpFileTime, LPSYSTEMTIME lpSystemTime) {
    sim::CountCall("FileTimeToSystemTime");
    if (!lpFileTime || !lpSystemTime) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    uint64_t units = uint64_t(lpFileTime->dwHighDateTime) << 32 | lpFileTime->dwLowDateTime;
    // File times are signed 64-bit counts: the top bit set is no time at all.
    std::optional<CalendarTime> t;
    if (units < (uint64_t(1) << 63))
        t = CalendarFromMs(units / kFileTimeUnitsPerMs);
    if (!t) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpSystemTime = ToSystemTime(*t);
    return TRUE;
}

// The day of the week is ignored, as the platform ignores it.
BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME *lpSystemTime, LPFILETIME lpFileTime) {
    sim::CountCall("SystemTimeToFileTime");
    if (!lpSystemTime || !lpFileTime) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CalendarTime t;
    t.year = lpSystemTime->wYear;
    t.month = lpSystemTime->wMonth;
    t.day = lpSystemTime->wDay;
    t.hour = lpSystemTime->wHour;
    t.minute = lpSystemTime->wMinute;
    t.second = lpSystemTime->wSecond;
    t.milliseconds = lpSystemTime->wMilliseconds;
    std::optional<uint64_t> ms = MsFromCalendar(t);
    if (!ms) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    uint64_t units = *ms * kFileTimeUnitsPerMs;
    *lpFileTime = FILETIME{DWORD(units), DWORD(units >> 32)};
    return TRUE;
}
