#!/usr/bin/env bash
# The conformance suite, cross-built for Windows, under Wine on a virtual X
# display and in a Wine prefix of its own. Arguments after the folder go to
# the suite (a --gtest_filter while looking at one case).
#   conformance.sh BINARY_DIR [GTEST_ARGUMENTS...]
set -euo pipefail
bin=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
started=$(date +%s%N)

fail() {
    echo "FAIL: $*"
    exit 1
}
source "$here/session.sh" 640 480

# Cases where Wine and DeviceSim still disagree and it is not yet settled
# which side is right; they run on DeviceSim as before. Each is a lead:
unsettled=(
    # The list view moves the focus apart from the selection: the old row
    # loses LVIS_SELECTED, the new row's LVN_ITEMCHANGING comes, then the old
    # row loses LVIS_FOCUSED, then the new row's LVN_ITEMCHANGED; DeviceSim
    # moves both in one change of each row.
    Controls.ListViewSelectionLeavesTheOldRowBeforeTheNewOneGainsIt
    # With TCS_BOTTOM the tabs' rectangles end 2 pixels above the client
    # area's bottom edge; on DeviceSim they reach it.
    Controls.TabChangeAsksTheParentWhichMayRefuse
)
filter=--gtest_filter=-$(IFS=:; echo "${unsettled[*]}")

# No window manager runs on the virtual display, so windows are left
# unmanaged: a managed window that is hidden or destroyed makes Wine wait up
# to 2 s for a window manager to withdraw it.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
    fail "the X11 driver could not be set up"

# The file tests work at the root of the current drive: the prefix's C:.
cd "$WINEPREFIX/drive_c"
rc=0
wine "$bin/conformance.exe" --gtest_color=no "$filter" "$@" 2>&1 | tr -d '\r' || rc=$?
echo "conformance under Wine: ran in $((($(date +%s%N) - started) / 1000000)) ms"
exit $rc
