// Hot keys that report their release (MOD_KEYUP), which desktop Windows
// lacks, built from its ordinary hot keys and a low-level keyboard hook.
//
// Desktop Windows differs from Windows CE: RegisterHotKey knows no MOD_KEYUP
// (Wine accepts the flag and never posts the release). So the hot key is
// registered without the flag, which still takes the press (and its
// auto-repeat) from the foreground program, and a low-level keyboard hook
// posts the release as WM_HOTKEY with MOD_KEYUP in lParam's low word, as
// Windows CE would. The hook only watches: it passes every key on and never
// swallows one. It lives on a thread of its own, because the system drops a
// low-level hook that does not answer in time, and the program's user-
// interface thread sleeps for hundreds of milliseconds around a tap.
#include <windows.h>

namespace {

struct KeyUpHotKey {
    HWND window;
    int id;
    UINT modifiers; // without MOD_KEYUP
    UINT key;
};

// A program registers at most a few dozen hot keys; the cursor program 25.
const int TABLE_CAPACITY = 64;
const UINT MODIFIER_MASK = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

// The process's own hot-key state, as the system would keep it.
KeyUpHotKey table[TABLE_CAPACITY];
int tableCount = 0;
SRWLOCK tableLock = SRWLOCK_INIT;
LONG hookStarted = 0;

bool Down(int key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

UINT CurrentModifiers() {
    UINT modifiers = 0;
    if (Down(VK_MENU))
        modifiers |= MOD_ALT;
    if (Down(VK_CONTROL))
        modifiers |= MOD_CONTROL;
    if (Down(VK_SHIFT))
        modifiers |= MOD_SHIFT;
    if (Down(VK_LWIN) || Down(VK_RWIN))
        modifiers |= MOD_WIN;
    return modifiers;
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM lParam) {
    if (code == HC_ACTION && (message == WM_KEYUP || message == WM_SYSKEYUP)) {
        const KBDLLHOOKSTRUCT *event = (const KBDLLHOOKSTRUCT *)lParam;
        UINT modifiers = CurrentModifiers();
        AcquireSRWLockShared(&tableLock);
        for (int i = 0; i < tableCount; ++i)
            if (table[i].key == event->vkCode && table[i].modifiers == modifiers)
                PostMessageW(table[i].window, WM_HOTKEY, (WPARAM)table[i].id,
                             MAKELPARAM(modifiers | MOD_KEYUP, table[i].key));
        ReleaseSRWLockShared(&tableLock);
    }
    return CallNextHookEx(NULL, code, message, lParam);
}

DWORD WINAPI HookThread(LPVOID ready) {
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleW(NULL), 0);
    SetEvent((HANDLE)ready);
    if (hook == NULL)
        return 1;
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0)
        DispatchMessageW(&message);
    UnhookWindowsHookEx(hook);
    return 0;
}

// Starts the hook's thread once, and returns when the hook is in place, so
// that the release of a key pressed right after registration is seen.
void StartHook() {
    if (InterlockedCompareExchange(&hookStarted, 1, 0) != 0)
        return;
    HANDLE ready = CreateEventW(NULL, TRUE, FALSE, NULL);
    HANDLE thread = CreateThread(NULL, 0, HookThread, ready, 0, NULL);
    if (thread != NULL) {
        WaitForSingleObject(ready, 5000);
        CloseHandle(thread);
    }
    if (ready != NULL)
        CloseHandle(ready);
}

// Removes the entry of (window, id); the caller holds the lock exclusively.
void Forget(HWND window, int id) {
    for (int i = 0; i < tableCount; ++i)
        if (table[i].window == window && table[i].id == id) {
            table[i] = table[--tableCount];
            return;
        }
}

} // namespace

BOOL CeRegisterHotKey(HWND window, int id, UINT modifiers, UINT key) {
    BOOL registered = RegisterHotKey(window, id, modifiers & ~MOD_KEYUP, key);
    // A failed registration leaves what the id held before in force, on
    // desktop Windows as here: a program that registers its keys again
    // keeps their releases.
    if (!registered || !(modifiers & MOD_KEYUP))
        return registered;
    AcquireSRWLockExclusive(&tableLock);
    Forget(window, id);
    bool stored = tableCount < TABLE_CAPACITY;
    if (stored) {
        KeyUpHotKey &entry = table[tableCount++];
        entry.window = window;
        entry.id = id;
        entry.modifiers = modifiers & MODIFIER_MASK;
        entry.key = key;
    }
    ReleaseSRWLockExclusive(&tableLock);
    if (!stored) {
        UnregisterHotKey(window, id);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    StartHook();
    return TRUE;
}

BOOL CeUnregisterHotKey(HWND window, int id) {
    AcquireSRWLockExclusive(&tableLock);
    Forget(window, id);
    ReleaseSRWLockExclusive(&tableLock);
    return UnregisterHotKey(window, id);
}
