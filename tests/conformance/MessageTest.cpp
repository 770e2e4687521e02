// Conformance of messages: what creating, showing, moving and destroying a
// window sends, sending and posting within and across threads, the queue's
// order, and the WM_PAINT and WM_TIMER the system makes.
#include "conformance/Conformance.h"

#include <windows.h>

#include <string.h>

using namespace conformance;

namespace {

// The suite's own messages: one answers twice its wParam, one only arrives.
const UINT WM_CONFORMANCE_DOUBLE = WM_APP + 1;
const UINT WM_CONFORMANCE_NOTE = WM_APP + 2;

const UINT kNoActivate = SWP_NOZORDER | SWP_NOACTIVATE;

LRESULT CALLBACK AnsweringProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    RecordMessage(hwnd, msg, wParam, lParam);
    if (msg == WM_CONFORMANCE_DOUBLE)
        return (LRESULT)(wParam * 2);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A hidden 30 x 40 pop-up at (10, 20) whose procedure answers.
HWND AnsweringWindow() {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = AnsweringProc;
    wc.lpszClassName = TEXT("ConformanceAnswering");
    RegisterClassW(&wc);
    return CreateWindowExW(0, TEXT("ConformanceAnswering"), TEXT(""), WS_POPUP, 10, 20, 30, 40,
                           NULL, NULL, NULL, NULL);
}

// Shown without activation, with the paint that showing causes done.
void ShowAndPaint(HWND hwnd) {
    ShowWindow(hwnd, SW_SHOWNA);
    PumpMessages();
    flush_sequence();
}

const message WmCreatePopupSeq[] = {
    {WM_CREATE, sent},
    {WM_SIZE, sent | wparam | lparam, SIZE_RESTORED, MAKELPARAM(30, 40)},
    {WM_MOVE, sent | lparam, 0, MAKELPARAM(10, 20)},
    {0}};
const message WmShowSeq[] = {
    {WM_SHOWWINDOW, sent | wparam | lparam, TRUE, 0}, {WM_ERASEBKGND, sent | optional}, {0}};
const message WmHideSeq[] = {{WM_SHOWWINDOW, sent | wparam | lparam, FALSE, 0}, {0}};
const message WmEraseAtMostSeq[] = {{WM_ERASEBKGND, sent | optional}, {0}};
const message WmMoveSizeSeq[] = {
    {WM_MOVE, sent | lparam, 0, MAKELPARAM(50, 60)},
    {WM_SIZE, sent | wparam | lparam, SIZE_RESTORED, MAKELPARAM(70, 80)},
    {0}};
const message WmMoveSeq[] = {{WM_MOVE, sent | lparam, 0, MAKELPARAM(50, 60)}, {0}};
const message WmSizeSeq[] = {{WM_SIZE, sent | wparam | lparam, SIZE_RESTORED, MAKELPARAM(70, 80)},
                             {0}};
const message WmNothingSeq[] = {{0}};

void CALLBACK RecordingTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD) {
    RecordMessage(hwnd, msg, id, 0);
}

struct Sender {
    HWND target;
    LRESULT answer;
};

DWORD WINAPI SendThenPost(LPVOID param) {
    Sender *s = (Sender *)param;
    s->answer = SendMessageW(s->target, WM_CONFORMANCE_DOUBLE, 4, 0);
    PostMessageW(s->target, WM_CONFORMANCE_NOTE, 5, 0);
    return 0;
}

} // namespace

CONFORMANCE_TEST(MessageConformance, CreatingShowingMovingAndDestroyingSendTheirMessagesInOrder) {
    HWND hwnd = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_POPUP, 10, 20, 30, 40, NULL, NULL,
                                NULL, NULL);
    ok_sequence(WmCreatePopupSeq, "CreateWindowExW of a hidden pop-up");
    DestroyWindow(hwnd);

    // Each call is ShowWindow(show) or, when show is -1, SetWindowPos.
    const UINT kShow = SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | kNoActivate;
    struct Case {
        const char *what;
        bool visible; // before the call
        int show, x, y, cx, cy;
        UINT flags;
        const message *expected;
    } cases[] = {
        {"SW_SHOWNA of a hidden window", false, SW_SHOWNA, 0, 0, 0, 0, 0, WmShowSeq},
        {"SW_SHOWNA of a visible window", true, SW_SHOWNA, 0, 0, 0, 0, 0, WmNothingSeq},
        {"SW_HIDE of a visible window", true, SW_HIDE, 0, 0, 0, 0, 0, WmHideSeq},
        {"SW_HIDE of a hidden window", false, SW_HIDE, 0, 0, 0, 0, 0, WmNothingSeq},
        {"SWP_SHOWWINDOW: no WM_SHOWWINDOW", false, -1, 0, 0, 0, 0, kShow, WmEraseAtMostSeq},
        {"moving and sizing: WM_MOVE first", false, -1, 50, 60, 70, 80, kNoActivate, WmMoveSizeSeq},
        {"moving only", false, -1, 50, 60, 0, 0, SWP_NOSIZE | kNoActivate, WmMoveSeq},
        {"sizing only", false, -1, 0, 0, 70, 80, SWP_NOMOVE | kNoActivate, WmSizeSeq},
        {"the same place and size", false, -1, 10, 20, 30, 40, kNoActivate, WmNothingSeq},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        hwnd = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_POPUP, 10, 20, 30, 40, NULL, NULL,
                               NULL, NULL);
        if (c.visible)
            ShowAndPaint(hwnd);
        flush_sequence();
        if (c.show >= 0)
            ShowWindow(hwnd, c.show);
        else
            SetWindowPos(hwnd, NULL, c.x, c.y, c.cx, c.cy, c.flags);
        ok_sequence(c.expected, c.what);
        DestroyWindow(hwnd);
        PumpMessages();
    }

    // WM_DESTROY goes to what the window owns, then to the window, then to
    // its children and theirs.
    HWND parent = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_POPUP, 0, 0, 50, 50, NULL, NULL,
                                  NULL, NULL);
    HWND child = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_CHILD, 0, 0, 20, 20, parent,
                                 (HMENU)(UINT_PTR)1, NULL, NULL);
    CreateWindowExW(0, RecordingClass(), TEXT(""), WS_CHILD, 0, 0, 10, 10, child,
                    (HMENU)(UINT_PTR)2, NULL, NULL);
    HWND owned = CreateWindowExW(0, RecordingClass(), TEXT(""), WS_POPUP, 0, 0, 10, 10, parent,
                                 NULL, NULL, NULL);
    flush_sequence();
    DestroyWindow(parent);
    static const message WmDestroyFamilySeq[] = {{WM_DESTROY, sent | id, 0, 0, 0},
                                                 {WM_DESTROY, sent | id, 0, 0, 0},
                                                 {WM_DESTROY, sent | id, 0, 0, 1},
                                                 {WM_DESTROY, sent | id, 0, 0, 2},
                                                 {0}};
    ok_sequence(WmDestroyFamilySeq, "DestroyWindow of an owner with a child and a grandchild");
    EXPECT_FALSE(IsWindow(owned));
}

CONFORMANCE_TEST(MessageConformance, SendCallsTheProcedureAtOnceAndPostWaitsInTheQueue) {
    HWND hwnd = AnsweringWindow();
    HWND other = AnsweringWindow();
    flush_sequence();
    EXPECT_EQ(42, SendMessageW(hwnd, WM_CONFORMANCE_DOUBLE, 21, 0));
    static const message WmSentSeq[] = {{WM_CONFORMANCE_DOUBLE, sent | wparam, 21}, {0}};
    ok_sequence(WmSentSeq, "SendMessageW");

    EXPECT_TRUE(PostMessageW(hwnd, WM_CONFORMANCE_DOUBLE, 3, 7));
    ok_sequence(WmNothingSeq, "PostMessageW delivers nothing by itself");
    struct Case {
        const char *what;
        HWND filter;
        UINT first, last, remove;
        BOOL found;
    } cases[] = {
        {"a range that leaves it out", NULL, WM_USER, WM_USER, PM_NOREMOVE, FALSE},
        {"another window's messages", other, 0, 0, PM_NOREMOVE, FALSE},
        {"a look without removing", hwnd, 0, 0, PM_NOREMOVE, TRUE},
        {"a range holding just it, removing", NULL, WM_CONFORMANCE_DOUBLE, WM_CONFORMANCE_DOUBLE,
         PM_REMOVE, TRUE},
        {"nothing once removed", NULL, 0, 0, PM_REMOVE, FALSE},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        MSG msg;
        EXPECT_EQ(c.found, PeekMessageW(&msg, c.filter, c.first, c.last, c.remove));
        if (!c.found)
            continue;
        EXPECT_EQ(hwnd, msg.hwnd);
        EXPECT_EQ(WM_CONFORMANCE_DOUBLE, msg.message);
        EXPECT_EQ(3u, msg.wParam);
        EXPECT_EQ(7, msg.lParam);
        if (c.remove == PM_REMOVE) {
            EXPECT_EQ(6, Dispatch(&msg)) << "dispatching gives the procedure's answer";
        }
    }
    static const message WmPostedSeq[] = {{WM_CONFORMANCE_DOUBLE, posted | wparam | lparam, 3, 7},
                                          {0}};
    ok_sequence(WmPostedSeq, "a posted message, dispatched");

    // Pointers cannot be posted; a gone window takes nothing.
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(PostMessageW(hwnd, WM_SETTEXT, 0, (LPARAM)TEXT("text")));
    EXPECT_LAST_ERROR(ERROR_MESSAGE_SYNC_ONLY);
    DestroyWindow(other);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(PostMessageW(other, WM_CONFORMANCE_NOTE, 0, 0));
    EXPECT_LAST_ERROR(ERROR_INVALID_WINDOW_HANDLE);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, SendMessageW(other, WM_CONFORMANCE_DOUBLE, 1, 0));
    EXPECT_LAST_ERROR(ERROR_INVALID_WINDOW_HANDLE);
    MSG msg;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(-1, GetMessageW(&msg, other, 0, 0)) << "fails rather than waits";
    EXPECT_LAST_ERROR(ERROR_INVALID_WINDOW_HANDLE);
    DestroyWindow(hwnd);
}

CONFORMANCE_TEST(MessageConformance, TheQueueGivesPostedMessagesThenQuitThenPaintThenTimers) {
    HWND hwnd = AnsweringWindow();
    ShowAndPaint(hwnd);
    InvalidateRect(hwnd, NULL, TRUE);
    EXPECT_NE(0u, SetTimer(hwnd, 5, 10, NULL));
    PostMessageW(hwnd, WM_CONFORMANCE_NOTE, 1, 0);
    PostMessageW(hwnd, WM_CONFORMANCE_NOTE, 2, 0);
    PostQuitMessage(3);
    Sleep(20); // the timer is due
    struct Expected {
        BOOL result;
        UINT message;
        WPARAM wParam;
    } expected[] = {
        {TRUE, WM_CONFORMANCE_NOTE, 1},
        {TRUE, WM_CONFORMANCE_NOTE, 2},
        {FALSE, WM_QUIT, 3},
        {TRUE, WM_PAINT, 0},
        {TRUE, WM_TIMER, 5},
    };
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
        SCOPED_TRACE(i);
        MSG msg;
        EXPECT_EQ(expected[i].result, GetMessageW(&msg, NULL, 0, 0));
        EXPECT_EQ(expected[i].message, msg.message);
        EXPECT_EQ(expected[i].wParam, msg.wParam);
        if (msg.message == WM_TIMER)
            KillTimer(hwnd, 5);
        Dispatch(&msg);
    }
    // Painting erases first, as InvalidateRect asked.
    static const message WmQueueSeq[] = {{WM_CONFORMANCE_NOTE, posted | wparam, 1},
                                         {WM_CONFORMANCE_NOTE, posted | wparam, 2},
                                         {WM_PAINT, posted},
                                         {WM_ERASEBKGND, sent},
                                         {WM_TIMER, posted | wparam, 5},
                                         {0}};
    ok_sequence(WmQueueSeq, "the queue, dispatched");
    DestroyWindow(hwnd);
}

CONFORMANCE_TEST(MessageConformance, APaintMessageRepeatsUntilTheWindowIsValidated) {
    HWND hwnd = AnsweringWindow();
    ShowAndPaint(hwnd);
    RECT r;
    EXPECT_FALSE(GetUpdateRect(hwnd, &r, FALSE)) << "nothing to paint after painting";
    RECT area = {2, 3, 8, 9};
    InvalidateRect(hwnd, &area, FALSE);
    memset(&r, 0xbd, sizeof r);
    EXPECT_TRUE(GetUpdateRect(hwnd, &r, FALSE));
    EXPECT_TRUE(EqualRect(&area, &r));

    MSG msg;
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) << "taken but not painted";
        EXPECT_EQ(WM_PAINT, msg.message);
        EXPECT_EQ(hwnd, msg.hwnd);
    }
    ValidateRect(hwnd, NULL);
    EXPECT_FALSE(PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) << "validated";

    // Dispatched to DefWindowProc, BeginPaint and EndPaint validate.
    InvalidateRect(hwnd, NULL, FALSE);
    ASSERT_TRUE(PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE));
    Dispatch(&msg);
    static const message WmPaintSeq[] = {{WM_PAINT, posted}, {0}};
    ok_sequence(WmPaintSeq, "a paint without erasing");
    EXPECT_FALSE(GetUpdateRect(hwnd, &r, FALSE));
    EXPECT_FALSE(PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE));
    DestroyWindow(hwnd);
}

CONFORMANCE_TEST(MessageConformance, ATimerFiresAfterItsPeriodAndMissedTicksFoldIntoOne) {
    HWND hwnd = AnsweringWindow();
    EXPECT_NE(0u, SetTimer(hwnd, 7, 100, NULL));
    MSG msg;
    Sleep(50);
    EXPECT_FALSE(PeekMessageW(&msg, NULL, WM_TIMER, WM_TIMER, PM_REMOVE)) << "not yet due";
    Sleep(300);
    ASSERT_TRUE(PeekMessageW(&msg, NULL, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(hwnd, msg.hwnd);
    EXPECT_EQ(7u, msg.wParam);
    EXPECT_FALSE(PeekMessageW(&msg, NULL, WM_TIMER, WM_TIMER, PM_REMOVE))
        << "three periods, one message";
    EXPECT_TRUE(KillTimer(hwnd, 7));
    EXPECT_FALSE(KillTimer(hwnd, 7));
    Sleep(200);
    EXPECT_FALSE(PeekMessageW(&msg, NULL, WM_TIMER, WM_TIMER, PM_REMOVE)) << "killed";

    // A timer with a callback: dispatching calls it instead of the procedure.
    SetTimer(hwnd, 9, 10, RecordingTimerProc);
    Sleep(20);
    flush_sequence();
    ASSERT_TRUE(GetMessageW(&msg, NULL, WM_TIMER, WM_TIMER));
    // Wine differs: it puts its own handle for the procedure in lParam,
    // where WM_TIMER documents "a pointer to an application-defined callback
    // function that was passed to the SetTimer function".
    if (!conformance::IsWine()) {
        EXPECT_EQ((LPARAM)RecordingTimerProc, msg.lParam);
    }
    Dispatch(&msg);
    KillTimer(hwnd, 9);
    static const message WmTimerCallbackSeq[] = {{WM_TIMER, posted | wparam, 9}, {0}};
    ok_sequence(WmTimerCallbackSeq, "a timer callback");
    DestroyWindow(hwnd);
}

CONFORMANCE_TEST(MessageConformance, AMessageSentFromAnotherThreadIsHandledWhileTheReceiverWaits) {
    Sender sender = {AnsweringWindow(), 0};
    flush_sequence();
    HANDLE thread = CreateThread(NULL, 0, SendThenPost, &sender, 0, NULL);
    ASSERT_NE((HANDLE)NULL, thread);
    // GetMessage handles the sent message inside and returns the posted one.
    MSG msg;
    EXPECT_TRUE(GetMessageW(&msg, NULL, 0, 0));
    EXPECT_EQ(WM_CONFORMANCE_NOTE, msg.message);
    Dispatch(&msg);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, INFINITE));
    CloseHandle(thread);
    EXPECT_EQ(8, sender.answer);
    static const message WmCrossThreadSeq[] = {
        {WM_CONFORMANCE_DOUBLE, sent | wparam, 4}, {WM_CONFORMANCE_NOTE, posted | wparam, 5}, {0}};
    ok_sequence(WmCrossThreadSeq, "a send and a post from another thread");
    DestroyWindow(sender.target);
}
