// The harness's message recorder and sequence check; written against
// <windows.h> only, as the tests are.
#include "conformance/Conformance.h"

#include <cstdio>
#include <string>
#include <vector>

// Messages the platform sends that this suite does not check; not every
// platform header names them.
#ifndef WM_NCDESTROY
#define WM_NCDESTROY 0x0082
#endif
#ifndef WM_NCHITTEST
#define WM_NCHITTEST 0x0084
#endif
#ifndef WM_NCPAINT
#define WM_NCPAINT 0x0085
#endif
#ifndef WM_NCACTIVATE
#define WM_NCACTIVATE 0x0086
#endif
#ifndef WM_SYNCPAINT
#define WM_SYNCPAINT 0x0088
#endif
#ifndef WM_ACTIVATEAPP
#define WM_ACTIVATEAPP 0x001C
#endif
#ifndef WM_CHILDACTIVATE
#define WM_CHILDACTIVATE 0x0022
#endif
#ifndef WM_GETOBJECT
#define WM_GETOBJECT 0x003D
#endif
#ifndef WM_GETICON
#define WM_GETICON 0x007F
#endif
#ifndef WM_PARENTNOTIFY
#define WM_PARENTNOTIFY 0x0210
#endif
#ifndef WM_IME_SETCONTEXT
#define WM_IME_SETCONTEXT 0x0281
#endif
#ifndef WM_IME_NOTIFY
#define WM_IME_NOTIFY 0x0282
#endif
#ifndef WM_QUERYNEWPALETTE
#define WM_QUERYNEWPALETTE 0x030F
#endif
#ifndef WM_DWMNCRENDERINGCHANGED
#define WM_DWMNCRENDERINGCHANGED 0x031F
#endif

namespace conformance {
namespace {

struct Recorded {
    UINT message;
    unsigned kind; // sent or posted
    WPARAM wParam;
    LPARAM lParam;
    LONG id;
};

std::vector<Recorded> recorded;
// The message Dispatch is handing to a window procedure, until it arrives.
const MSG *dispatching = NULL;

bool Ignored(UINT msg) {
    static const UINT ignored[] = {
        WM_NCCREATE,
        WM_NCCALCSIZE,
        WM_NCDESTROY,
        WM_NCHITTEST,
        WM_NCPAINT,
        WM_NCACTIVATE,
        WM_SYNCPAINT,
        WM_ACTIVATEAPP,
        WM_CHILDACTIVATE,
        WM_GETMINMAXINFO,
        WM_GETOBJECT,
        WM_GETICON,
        WM_GETTEXT,
        WM_SETCURSOR,
        WM_PARENTNOTIFY,
        WM_WINDOWPOSCHANGING,
        WM_WINDOWPOSCHANGED,
        WM_STYLECHANGING,
        WM_STYLECHANGED,
        WM_IME_SETCONTEXT,
        WM_IME_NOTIFY,
        WM_QUERYNEWPALETTE,
        WM_DWMNCRENDERINGCHANGED,
    };
    for (size_t i = 0; i < sizeof ignored / sizeof ignored[0]; ++i)
        if (ignored[i] == msg)
            return true;
    // Undocumented messages some versions send while windows change.
    return msg >= 0x0090 && msg <= 0x0094;
}

std::string Describe(UINT msg, unsigned flags, WPARAM wParam, LPARAM lParam, LONG windowId) {
    char text[120];
    std::snprintf(text, sizeof text, "0x%04x%s%s wParam=%#llx lParam=%#llx id=%ld", msg,
                  flags & sent ? " sent" : "", flags & posted ? " posted" : "",
                  (unsigned long long)wParam, (unsigned long long)lParam, (long)windowId);
    return text;
}

} // namespace

void RecordMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    unsigned kind = sent;
    if (dispatching && dispatching->hwnd == hwnd && dispatching->message == msg) {
        kind = posted;
        dispatching = NULL;
    }
    if (Ignored(msg))
        return;
    // Recording must not disturb the last error a test is about to check.
    DWORD error = GetLastError();
    Recorded r = {msg, kind, wParam, lParam, hwnd ? GetWindowLongW(hwnd, GWL_ID) : 0};
    recorded.push_back(r);
    SetLastError(error);
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    RecordMessage(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LPCWSTR RecordingClass() {
    static const WCHAR name[] = TEXT("ConformanceRecorder");
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = name;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    // A second registration in the same process fails and changes nothing.
    RegisterClassW(&wc);
    return name;
}

LRESULT Dispatch(const MSG *msg) {
    dispatching = msg;
    LRESULT result = DispatchMessageW(msg);
    dispatching = NULL;
    return result;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE))
        Dispatch(&msg);
}

void FlushSequence() {
    recorded.clear();
}

void CheckSequence(const message *expected, const char *context, const char *file, int line) {
    std::vector<Recorded> actual;
    actual.swap(recorded);
    size_t got = 0;
    std::string failure;
    for (const message *e = expected; e->message && failure.empty();) {
        if (got == actual.size()) {
            if (!(e->flags & optional))
                failure = "missing " + Describe(e->message, e->flags, e->wParam, e->lParam, e->id);
            ++e;
            continue;
        }
        const Recorded &a = actual[got];
        bool same =
            a.message == e->message && (!(e->flags & (sent | posted)) || (e->flags & a.kind)) &&
            (!(e->flags & wparam) || a.wParam == e->wParam) &&
            (!(e->flags & lparam) || a.lParam == e->lParam) && (!(e->flags & id) || a.id == e->id);
        if (same) {
            ++e;
            ++got;
        } else if (e->flags & optional) {
            ++e;
        } else {
            failure = "expected " + Describe(e->message, e->flags, e->wParam, e->lParam, e->id) +
                      ", got " + Describe(a.message, a.kind, a.wParam, a.lParam, a.id);
        }
    }
    if (failure.empty() && got < actual.size())
        failure = "unexpected " + Describe(actual[got].message, actual[got].kind,
                                           actual[got].wParam, actual[got].lParam, actual[got].id);
    if (failure.empty())
        return;
    std::string all;
    for (size_t i = 0; i < actual.size(); ++i)
        all += "\n  " + Describe(actual[i].message, actual[i].kind, actual[i].wParam,
                                 actual[i].lParam, actual[i].id);
    ADD_FAILURE_AT(file, line) << context << ": " << failure << "; the whole sequence:" << all;
}

} // namespace conformance
