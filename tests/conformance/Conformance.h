// The conformance suite's harness: runs each test body on the platform under
// test and checks message sequences the way Wine's ok_sequence does.
//
// Test files include only <windows.h>, the standard library and this header,
// so the same files can be built for Windows and run there or under Wine.
// Which platform a body runs on is decided by the harness's .cpp files alone.
#ifndef CONFORMANCE_H
#define CONFORMANCE_H

#include <windows.h>

#include <gtest/gtest.h>

namespace conformance {

// Runs body on a thread of a new process of the platform under test and
// waits until it has returned. image names a program whose compiled
// resources the process has ("" for none).
void Run(void (*body)(), const char *image);

// ---------------------------------------------------------------- platforms

// Windows CE and desktop Windows differ in a few calls the suite checks, and
// Wine in a few more from the Windows it imitates. A test branches on these
// where they differ, beside a comment that names the documented behaviour of
// each side: "Windows CE: ..." for the device's platform, "Wine differs: ..."
// for a fault of Wine against desktop Windows' documentation. Everything
// else is expected alike everywhere.
bool IsWindowsCe(); // DeviceSim, the platform the deliverables are written for
bool IsWine();      // desktop Windows as Wine imitates it

// ---------------------------------------------------------------- messages

// What a recorded message must match. A sequence ends with message 0.
enum MessageFlags {
    sent = 0x1,     // delivered to the window procedure by a send
    posted = 0x2,   // taken from the queue and dispatched (see Dispatch)
    wparam = 0x4,   // wParam must match
    lparam = 0x8,   // lParam must match
    id = 0x10,      // the window's GWL_ID must match
    optional = 0x20 // may be missing
};

// Fields left out of a table entry are zero.
struct message {
    UINT message;
    unsigned flags = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LONG id = 0;
};

// Records a message that reached a window procedure; tests' own procedures
// call it first. Messages the suite does not check (non-client, position
// and activation bookkeeping) are left out.
void RecordMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// A window procedure that records every message and then passes it to
// DefWindowProcW.
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The name of a class with RecordingProc, registered in the calling process.
LPCWSTR RecordingClass();
// DispatchMessageW, with the dispatched message recorded as posted.
LRESULT Dispatch(const MSG *msg);
// Dispatches whatever the calling thread's queue holds now.
void PumpMessages();
void FlushSequence();
void CheckSequence(const message *expected, const char *context, const char *file, int line);

} // namespace conformance

// Wine's names for the same helpers.
#define flush_sequence() conformance::FlushSequence()
#define ok_sequence(expected, context)                                                             \
    conformance::CheckSequence((expected), (context), __FILE__, __LINE__)

// GetLastError() compared with a header name of type long.
#define EXPECT_LAST_ERROR(code) EXPECT_EQ((DWORD)(code), GetLastError())

// A test whose body runs on the platform, optionally in a process that has
// the named program's compiled resources.
#define CONFORMANCE_TEST_IN(suite, name, image)                                                    \
    static void suite##_##name##_Body();                                                           \
    TEST(suite, name) {                                                                            \
        conformance::Run(suite##_##name##_Body, image);                                            \
    }                                                                                              \
    static void suite##_##name##_Body()
#define CONFORMANCE_TEST(suite, name) CONFORMANCE_TEST_IN(suite, name, "")

#endif
