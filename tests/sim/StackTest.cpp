// A simulated thread's stack is a device's: a program that recurses without
// end dies of a stack overflow, alone, while the device goes on.
#include "kernel/Stack.h"
#include "support/Devices.h"
#include "support/Win32.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace test;

namespace {

LRESULT CALLBACK SendsToItself(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER)
        return SendMessageW(hwnd, WM_USER, wParam + 1, 0) + 1;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

uint32_t RecurseThroughMessages() {
    RegisterWindowClass(u"Recursive", SendsToItself);
    HWND w = CreateWindowExW(0, u"Recursive", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
    return static_cast<uint32_t>(SendMessageW(w, WM_USER, 0, 0));
}

int RecurseWithSleeps(volatile int *depth) {
    volatile char frame[100];
    frame[0] = 1;
    Sleep(0);
    *depth = *depth + 1;
    int below = *depth > 0 ? RecurseWithSleeps(depth) : 0;
    asm volatile("" : : "r"(frame) : "memory");
    return below + frame[0];
}

// Calls nothing on the way down, so only the guard page below the stack
// catches it.
int RecurseWithoutCalls(volatile int *depth, volatile char *caller) {
    volatile char frame[200];
    frame[0] = caller[0];
    *depth = *depth + 1;
    // Each frame's address escapes, so the frames cannot be folded into a loop.
    int below = *depth > 0 ? RecurseWithoutCalls(depth, frame) : 0;
    asm volatile("" : : "r"(frame) : "memory");
    return below + frame[0];
}

// Stacks up at least `bytes` of frames, calling the platform in each.
void RecurseFor(size_t bytes) {
    volatile char frame[1000];
    frame[0] = 0;
    GetTickCount();
    if (bytes > sizeof(frame))
        RecurseFor(bytes - sizeof(frame));
    (void)frame[0];
}

} // namespace

TEST(Stack, ARecursionWithoutEndEndsOnlyItsProcessWithAStackOverflow) {
    struct Case {
        const char *what;
        std::function<uint32_t()> body;
    };
    const Case cases[] = {
        {"through messages sent to itself", RecurseThroughMessages},
        {"through sleeps",
         [] {
             volatile int depth = 1;
             return static_cast<uint32_t>(RecurseWithSleeps(&depth));
         }},
        {"calling nothing",
         [] {
             volatile int depth = 1;
             volatile char top[1] = {0};
             return static_cast<uint32_t>(RecurseWithoutCalls(&depth, top));
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        sim::InstallPackage(d);
        StartCursor(d, 500);
        uint32_t pid = d.StartFunction(u"\\Temp\\recurse.exe", c.body);
        d.Wait(100);
        EXPECT_EQ(d.ExitCode(pid), sim::kStatusStackOverflow);
        auto exits = EventsStarting(d, "process exit " + std::to_string(pid));
        ASSERT_EQ(exits.size(), 1u);
        EXPECT_EQ(exits[0].text, "process exit " + std::to_string(pid) + " code 3221225725");

        // The rest of the device lives on: the cursor still moves.
        EXPECT_TRUE(d.IsRunning(kPointrel));
        int x = CursorRect(d).left;
        HoldKey(d, VK_RIGHT, 200);
        d.Wait(100);
        EXPECT_GT(CursorRect(d).left, x);
    }
}

TEST(Stack, AThreadMayUseTheDevicesStackUpToItsEnd) {
    struct Case {
        const char *what;
        size_t bytes; // of frames the recursion stacks up
        uint32_t exitCode;
    };
    const size_t limit = sim::HostStackLimit();
    const Case cases[] = {
        {"three quarters", limit * 3 / 4, 7},
        {"a quarter more", limit * 5 / 4, sim::kStatusStackOverflow},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d;
        uint32_t pid = d.StartFunction(u"\\Temp\\deep.exe", [&c] {
            RecurseFor(c.bytes);
            return 7u;
        });
        d.Wait(100);
        EXPECT_EQ(d.ExitCode(pid), c.exitCode);
        EXPECT_GE(d.StackPeak(pid), std::min(c.bytes, limit));
        EXPECT_EQ(d.StackPeak(pid) > limit, c.bytes > limit);
    }
}
