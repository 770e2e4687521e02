// DeviceSim: failing stand-ins for the calls the settings program makes before
// DeviceSim's shell library provides them. Temporary: each goes
// when its own layer has it.
#include <windows.h>

#include "kernel/Context.h"

namespace {

template <class T> T NotYet(const char *name, T failure) {
    sim::CountCall(name);
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return failure;
}

} // namespace

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW) {
    return NotYet<BOOL>("GetVersionExW", FALSE);
}

BOOL SHInitDialog(PSHINITDLGINFO) {
    return NotYet<BOOL>("SHInitDialog", FALSE);
}

BOOL SHCreateMenuBar(SHMENUBARINFO *) {
    return NotYet<BOOL>("SHCreateMenuBar", FALSE);
}

BOOL SHHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO *, DWORD) {
    return NotYet<BOOL>("SHHandleWMActivate", FALSE);
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO *) {
    return NotYet<BOOL>("SHHandleWMSettingChange", FALSE);
}

LRESULT SHNotificationAdd(SHNOTIFICATIONDATA *) {
    return NotYet<LRESULT>("SHNotificationAdd", ERROR_CALL_NOT_IMPLEMENTED);
}
