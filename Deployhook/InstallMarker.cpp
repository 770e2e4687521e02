// The marker file "\Application Data\Volatile\pl_installing.dat": only its
// presence and its creation time count.
#include "InstallMarker.h"

namespace {

const WCHAR MARKER_PATH[] = TEXT("\\Application Data\\Volatile\\pl_installing.dat");

// Whether the marker's creation time could be read and is recent. A marker
// that cannot be opened or whose times cannot be read is left as it is.
bool ShouldKeepMarker() {
    HANDLE file = CreateFileW(MARKER_PATH, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return true;
    FILETIME created;
    SYSTEMTIME marker;
    SYSTEMTIME now;
    bool keep = true;
    if (GetFileTime(file, &created, NULL, NULL) && FileTimeToSystemTime(&created, &marker)) {
        GetSystemTime(&now);
        keep = IsMarkerRecent(marker, now);
    }
    CloseHandle(file);
    return keep;
}

void CreateMarker() {
    HANDLE file = CreateFileW(MARKER_PATH, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

} // namespace

bool IsMarkerRecent(const SYSTEMTIME &marker, const SYSTEMTIME &now) {
    int hours = static_cast<int>(now.wHour) - static_cast<int>(marker.wHour);
    int minutes = static_cast<int>(now.wMinute) - static_cast<int>(marker.wMinute);
    return now.wDay == marker.wDay && hours <= 1 && minutes <= 5;
}

void RefreshInstallMarker() {
    if (GetFileAttributesW(MARKER_PATH) == INVALID_FILE_ATTRIBUTES) {
        CreateMarker();
        return;
    }
    if (ShouldKeepMarker())
        return;
    // Overwriting a file keeps its creation time, so a stale marker is
    // deleted first: only a new file carries the time of this installation.
    DeleteFileW(MARKER_PATH);
    CreateMarker();
}

bool TakeInstallMarker() {
    if (GetFileAttributesW(MARKER_PATH) == INVALID_FILE_ATTRIBUTES)
        return false;
    DeleteFileW(MARKER_PATH);
    return true;
}
