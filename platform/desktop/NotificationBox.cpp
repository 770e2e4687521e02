// Shell notifications on desktop Windows, shown as message boxes.
//
// Desktop Windows differs from Windows CE: it has no notification bubble.
// SHNotificationAdd shows the notification's text (its HTML with the tags
// taken out) in a message box titled with the notification's title, on a
// thread of its own, so the call returns at once as on the device and the
// caller may free its strings. The sink window is sent nothing, and
// SHNotificationRemove closes the box of the same class and id. One box per
// class and id: adding it again replaces the text of the one shown.
#include <aygshell.h>

#include "HtmlText.h"

namespace {

const int TEXT_CAPACITY = 2048;
const int TITLE_CAPACITY = 128;
const int BOX_CAPACITY = 8;

struct NotificationBox {
    bool used;
    CLSID clsid;
    DWORD id;
    DWORD thread;
    WCHAR title[TITLE_CAPACITY];
    WCHAR text[TEXT_CAPACITY];
};

// What the table keeps of each box shown; the text stays with its thread.
struct ShownBox {
    bool used;
    CLSID clsid;
    DWORD id;
    DWORD thread;
};

ShownBox boxes[BOX_CAPACITY];
SRWLOCK boxesLock = SRWLOCK_INIT;

void CopyBounded(WCHAR *out, int capacity, LPCWSTR text) {
    int i = 0;
    for (; text != NULL && text[i] != 0 && i < capacity - 1; ++i)
        out[i] = text[i];
    out[i] = 0;
}

BOOL CALLBACK CloseBox(HWND window, LPARAM) {
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

// Closes the box of entry `i`; the caller holds the lock exclusively.
void CloseEntry(int i) {
    if (boxes[i].used && boxes[i].thread != 0)
        EnumThreadWindows(boxes[i].thread, CloseBox, 0);
    boxes[i].used = false;
}

DWORD WINAPI BoxThread(LPVOID parameter) {
    NotificationBox *box = (NotificationBox *)parameter;
    MessageBoxW(NULL, box->text, box->title, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
    HeapFree(GetProcessHeap(), 0, box);
    // A box the user closed frees its place.
    AcquireSRWLockExclusive(&boxesLock);
    for (int i = 0; i < BOX_CAPACITY; ++i)
        if (boxes[i].used && boxes[i].thread == GetCurrentThreadId())
            boxes[i].used = false;
    ReleaseSRWLockExclusive(&boxesLock);
    return 0;
}

int Find(const CLSID &clsid, DWORD id) {
    for (int i = 0; i < BOX_CAPACITY; ++i)
        if (boxes[i].used && boxes[i].id == id && IsEqualCLSID(boxes[i].clsid, clsid))
            return i;
    return -1;
}

} // namespace

LRESULT WINAPI SHNotificationAdd(SHNOTIFICATIONDATA *data) {
    if (!data)
        return ERROR_INVALID_PARAMETER;
    // From the process heap, not operator new: new would link the C++
    // runtime's exception support and triple the program's size.
    NotificationBox *box =
        static_cast<NotificationBox *>(HeapAlloc(GetProcessHeap(), 0, sizeof(NotificationBox)));
    if (!box)
        return ERROR_NOT_ENOUGH_MEMORY;
    box->used = true;
    box->clsid = data->clsid;
    box->id = data->dwID;
    box->thread = 0;
    CopyBounded(box->title, TITLE_CAPACITY, data->pszTitle);
    HtmlToPlainText(data->pszHTML, box->text, TEXT_CAPACITY);

    AcquireSRWLockExclusive(&boxesLock);
    int slot = Find(data->clsid, data->dwID);
    if (slot >= 0)
        CloseEntry(slot);
    else
        for (int i = 0; i < BOX_CAPACITY && slot < 0; ++i)
            if (!boxes[i].used)
                slot = i;
    LRESULT result = ERROR_SUCCESS;
    if (slot < 0) {
        result = ERROR_NOT_ENOUGH_MEMORY;
        HeapFree(GetProcessHeap(), 0, box);
    } else {
        boxes[slot].used = true;
        boxes[slot].clsid = box->clsid;
        boxes[slot].id = box->id;
        boxes[slot].thread = 0;
        // The thread owns `box` from here on; the table keeps a copy.
        HANDLE thread = CreateThread(NULL, 0, BoxThread, box, 0, &boxes[slot].thread);
        if (thread == NULL) {
            boxes[slot].used = false;
            HeapFree(GetProcessHeap(), 0, box);
            result = ERROR_NOT_ENOUGH_MEMORY;
        } else {
            CloseHandle(thread);
        }
    }
    ReleaseSRWLockExclusive(&boxesLock);
    return result;
}

LRESULT WINAPI SHNotificationRemove(const CLSID *clsid, DWORD id) {
    if (!clsid || id == 0)
        return ERROR_INVALID_PARAMETER;
    AcquireSRWLockExclusive(&boxesLock);
    int slot = Find(*clsid, id);
    if (slot >= 0)
        CloseEntry(slot);
    ReleaseSRWLockExclusive(&boxesLock);
    return slot >= 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}
