// The marker file that tells a removal an installation is under way.
#ifndef DEPLOYHOOK_INSTALLMARKER_H
#define DEPLOYHOOK_INSTALLMARKER_H

#include <windows.h>

// Whether a marker made at `marker` still counts as recent at `now`: the same
// day of the month, the hour at most 1 and the minute at most 5 later, the
// differences taken as signed numbers (an earlier hour or minute counts).
bool IsMarkerRecent(const SYSTEMTIME &marker, const SYSTEMTIME &now);

// On the installer's first call: makes the marker unless a recent one is
// there. A marker that cannot be made is not retried.
void RefreshInstallMarker();

// Deletes the marker; true when there was one.
bool TakeInstallMarker();

#endif
