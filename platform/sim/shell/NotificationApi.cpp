// DeviceSim: shell notifications — SHNotificationAdd and SHNotificationRemove.
// The device shell shows the latest one as a bubble.
#include <aygshell.h>

#include "kernel/Context.h"
#include "kernel/Kernel.h"
#include "shell/ShellState.h"

#include <cstddef>
#include <cstring>

using namespace sim;

namespace {

// The two records as the device's 32-bit programs lay them out: up to
// lParam, and with the soft keys and the Today-screen texts. A record built
// for this host is longer; both are read by the fields the caller filled.
const DWORD kShortRecord = 56;
const DWORD kLongRecord = 88;

bool SameClass(const CLSID &a, const CLSID &b) {
    return std::memcmp(&a, &b, sizeof(CLSID)) == 0;
}

std::u16string Text(LPCWSTR s) {
    return s ? std::u16string(s) : std::u16string();
}

} // namespace

LRESULT WINAPI SHNotificationAdd(SHNOTIFICATIONDATA *data) {
    sim::CountCall("SHNotificationAdd");
    if (!data || data->cbStruct < kShortRecord)
        return ERROR_INVALID_PARAMETER;
    // Differs from the platform: the bubble stays until it is closed, whatever
    // csDuration says, and there is no tray icon (hicon) or sound.
    NotificationRecord n{};
    n.clsid = data->clsid;
    n.id = data->dwID;
    n.title = Text(data->pszTitle);
    n.html = Text(data->pszHTML);
    n.sink = data->hwndSink;
    n.longForm = data->cbStruct >= kLongRecord;
    if (n.longForm) {
        n.softKey = Text(data->rgskn[0].pszTitle);
        n.softKeyCommand = data->rgskn[0].skc.wpCmd;
    }
    Kernel &kernel = CurrentKernel();
    kernel.Record("notification " + QuoteText(n.title) + " " + QuoteText(n.html));
    ShellState &shell = ShellOf(kernel);
    // A notification of the same class and id replaces the one shown.
    std::erase_if(shell.notifications, [&](const NotificationRecord &old) {
        return SameClass(old.clsid, n.clsid) && old.id == n.id;
    });
    n.serial = shell.nextSerial++;
    shell.notifications.push_back(std::move(n));
    TellShell();
    return ERROR_SUCCESS;
}

LRESULT WINAPI SHNotificationRemove(const CLSID *clsid, DWORD id) {
    sim::CountCall("SHNotificationRemove");
    if (!clsid || id == 0)
        return ERROR_INVALID_PARAMETER;
    ShellState &shell = ShellOf(CurrentKernel());
    size_t removed = std::erase_if(shell.notifications, [&](const NotificationRecord &n) {
        return SameClass(n.clsid, *clsid) && n.id == id;
    });
    if (!removed)
        return ERROR_NOT_FOUND;
    TellShell();
    return ERROR_SUCCESS;
}
