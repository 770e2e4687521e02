// DeviceSim's kernel and window manager as programs see them: virtual time,
// timers, threads, processes, mutexes, messages and resources.
#include "support/Devices.h"
#include "support/Win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

using namespace test;

namespace {

struct Ticks {
    std::vector<DWORD> at;
};

LRESULT CALLBACK CountTimers(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        static_cast<Ticks *>(GetPropW(hwnd, u"ticks"))->at.push_back(GetTickCount());
        if (wParam == 2)
            Sleep(30); // a slow handler does not shift the timer's schedule
        return 0;
    }
    if (msg == WM_USER)
        return static_cast<LRESULT>(wParam * 2);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeWindow(const char16_t *cls) {
    RegisterWindowClass(cls, CountTimers);
    return CreateWindowExW(0, cls, u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

// A visible 10 x 10 pop-up window of a class of its own.
HWND MakePopup(const char16_t *cls, DWORD exStyle, HWND owner = nullptr) {
    RegisterWindowClass(cls);
    return CreateWindowExW(exStyle, cls, u"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, owner, nullptr,
                           nullptr, nullptr);
}

void CALLBACK RecordCallback(HWND hwnd, UINT, UINT_PTR, DWORD) {
    static_cast<Ticks *>(GetPropW(hwnd, u"called"))->at.push_back(GetTickCount());
}

void CALLBACK StrangersCallback(HWND, UINT, UINT_PTR, DWORD) {
    ADD_FAILURE() << "a posted lParam was called";
}

} // namespace

TEST(Kernel, OnlyATimersOwnCallbackIsCalledAndPointerMessagesAreNotPosted) {
    sim::Device d;
    Ticks toWindow, toCallback;
    BOOL setTextPosted = TRUE;
    DWORD error = 0;
    RunInside(d, [&] {
        HWND w = MakeWindow(u"T");
        SetPropW(w, u"ticks", &toWindow);
        SetPropW(w, u"called", &toCallback);
        SetTimer(w, 5, 40, RecordCallback);
        // Anyone can post WM_TIMER; only SetTimer's own callback is called,
        // and one for another timer id or a stranger's function is dropped.
        PostMessageW(w, WM_TIMER, 5, reinterpret_cast<LPARAM>(StrangersCallback));
        PostMessageW(w, WM_TIMER, 7, reinterpret_cast<LPARAM>(RecordCallback));
        PostMessageW(w, WM_TIMER, 6, 0);
        setTextPosted = PostMessageW(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"x"));
        error = GetLastError();
        PumpFor(100);
    });
    EXPECT_EQ(toCallback.at, (std::vector<DWORD>{40, 80}));
    EXPECT_EQ(toWindow.at, (std::vector<DWORD>{0}));
    EXPECT_FALSE(setTextPosted);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY));
}

TEST(Kernel, TimersKeepTheirScheduleInVirtualTime) {
    sim::Device d;
    Ticks fast, slow;
    RunInside(d, [&] {
        HWND a = MakeWindow(u"A");
        SetPropW(a, u"ticks", &fast);
        SetTimer(a, 1, 50, nullptr);
        HWND b = MakeWindow(u"B");
        SetPropW(b, u"ticks", &slow);
        SetTimer(b, 2, 100, nullptr);
        PumpFor(510);
    });
    // Timers due together come newest first; the slow handler delays the
    // other timer's message but neither timer's schedule.
    EXPECT_EQ(fast.at, (std::vector<DWORD>{50, 130, 150, 230, 250, 330, 350, 430, 450}));
    EXPECT_EQ(slow.at, (std::vector<DWORD>{100, 200, 300, 400, 500}));
}

TEST(Kernel, TheTickCountWrapsAfter49DaysAndTimersRunOn) {
    // A device that has been on for a while when the session begins. The
    // tick count is a DWORD of milliseconds: past 2^31 it no longer fits a
    // signed 32-bit number, at 2^32 (49.7 days) it starts again from 0.
    struct Case {
        const char *what;
        uint64_t upTime;
        DWORD atStart;
        std::vector<DWORD> timers; // each WM_TIMER's time, and the tick count then
    };
    const Case cases[] = {
        {"fresh device", 0, 0, {50, 100, 150, 200}},
        {"past 2^31 ms",
         0x7FFFFFFFull - 99,
         0x7FFFFF9C,
         {0x7FFFFFCE, 0x80000000, 0x80000032, 0x80000064}},
        {"past 2^32 ms", 0xFFFFFFFFull - 119, 0xFFFFFF88, {0xFFFFFFBA, 0xFFFFFFEC, 30, 80}},
        {"a second time round", 2 * 0x100000000ull - 100, 0xFFFFFF9C, {0xFFFFFFCE, 0, 50, 100}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::DeviceConfig config = NoShell();
        config.upTime = c.upTime;
        sim::Device d(config);
        EXPECT_EQ(d.TickCount(), c.atStart);
        DWORD atStart = 0;
        std::vector<DWORD> messageTimes, tickCounts;
        RunInside(d, [&] {
            atStart = GetTickCount();
            HWND w = MakeWindow(u"T");
            SetTimer(w, 1, 50, nullptr);
            MSG msg;
            while (messageTimes.size() < c.timers.size() && GetMessageW(&msg, nullptr, 0, 0)) {
                if (msg.message != WM_TIMER)
                    continue;
                messageTimes.push_back(msg.time);
                tickCounts.push_back(GetTickCount());
            }
        });
        EXPECT_EQ(atStart, c.atStart);
        EXPECT_EQ(messageTimes, c.timers);
        EXPECT_EQ(tickCounts, c.timers);
        // Device time itself runs on from 0 whatever the device's uptime.
        EXPECT_EQ(d.Now(), 200u);
    }
}

TEST(Kernel, SleepAndThreadsInterleaveDeterministically) {
    std::string order;
    for (int run = 0; run < 3; ++run) {
        sim::Device d;
        std::string trace;
        RunInside(d, [&] {
            struct Arg {
                std::string *trace;
                char name;
            };
            auto body = [](LPVOID p) -> DWORD {
                Arg *a = static_cast<Arg *>(p);
                for (int i = 0; i < 3; ++i) {
                    *a->trace += a->name;
                    *a->trace += std::to_string(GetTickCount()) + " ";
                    Sleep(a->name == 'a' ? 10 : 15);
                }
                return 0;
            };
            Arg a{&trace, 'a'}, b{&trace, 'b'};
            HANDLE ta = CreateThread(nullptr, 0, body, &a, 0, nullptr);
            HANDLE tb = CreateThread(nullptr, 0, body, &b, 0, nullptr);
            EXPECT_EQ(WaitForSingleObject(ta, 1000), WAIT_OBJECT_0);
            EXPECT_EQ(GetTickCount(), 30u);
            EXPECT_EQ(WaitForSingleObject(tb, 0), WAIT_TIMEOUT);
            EXPECT_EQ(WaitForSingleObject(tb, INFINITE), WAIT_OBJECT_0);
            CloseHandle(ta);
            CloseHandle(tb);
        });
        if (run == 0)
            order = trace;
        EXPECT_EQ(trace, order);
    }
    EXPECT_EQ(order, "a0 b0 a10 b15 a20 b30 ");
}

TEST(Kernel, NamedMutexesAreSharedUntilTheLastHandleCloses) {
    sim::Device d;
    DWORD first = 0, second = 0, afterExit = 0;
    RunInside(d, [&] {
        CreateMutexW(nullptr, FALSE, u"Shared");
        first = GetLastError();
    });
    RunInside(d, [&] {
        HANDLE a = CreateMutexW(nullptr, FALSE, u"Unique");
        HANDLE b = CreateMutexW(nullptr, FALSE, u"unique");
        second = GetLastError();
        EXPECT_NE(a, b);
    });
    RunInside(d, [&] {
        CreateMutexW(nullptr, FALSE, u"Unique");
        afterExit = GetLastError();
    });
    EXPECT_EQ(first, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(second, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(afterExit, DWORD(ERROR_SUCCESS)) << "the first process's handles closed with it";
}

TEST(Kernel, ExitProcessFromAnotherThreadEndsTheProcess) {
    sim::Device d;
    uint32_t pid = d.StartFunction(u"\\Temp\\p.exe", [] {
        CreateThread(
            nullptr, 0,
            [](LPVOID) -> DWORD {
                Sleep(250);
                ExitProcess(7);
                return 0;
            },
            nullptr, 0, nullptr);
        MakeWindow(u"W");
        PumpUntilQuit();
        return 1u;
    });
    d.Wait(249);
    EXPECT_EQ(d.ExitCode(pid), STILL_ACTIVE);
    EXPECT_TRUE(d.FindTopmost(u"W"));
    d.Wait(1);
    EXPECT_EQ(d.ExitCode(pid), 7u);
    EXPECT_FALSE(d.FindTopmost(u"W")) << "windows go with their process";
}

TEST(Kernel, ModuleFileNameIsTruncatedAndTerminated) {
    struct Case {
        DWORD size;
        DWORD result;
        DWORD error;
        std::u16string text;
    };
    // The probe's path is "\Temp\probe.exe", 15 characters.
    const Case cases[] = {{16, 15, ERROR_SUCCESS, u"\\Temp\\probe.exe"},
                          {15, 15, ERROR_INSUFFICIENT_BUFFER, u"\\Temp\\probe.ex"},
                          {4, 4, ERROR_INSUFFICIENT_BUFFER, u"\\Te"}};
    for (const Case &c : cases) {
        sim::Device d;
        DWORD result = 0, error = 0;
        WCHAR buffer[20];
        RunInside(d, [&] {
            SetLastError(0);
            result = GetModuleFileNameW(nullptr, buffer, c.size);
            error = GetLastError();
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(std::u16string(buffer), c.text);
    }
}

TEST(Kernel, SendMessageCrossesProcesses) {
    sim::Device d;
    d.StartFunction(u"\\Temp\\server.exe", [] {
        MakeWindow(u"Server");
        PumpUntilQuit();
        return 0u;
    });
    d.Wait(10);
    LRESULT answer = 0;
    BOOL posted = FALSE;
    RunInside(d, [&] {
        HWND server = FindWindowW(u"Server", nullptr);
        answer = SendMessageW(server, WM_USER, 21, 0);
        posted = PostMessageW(reinterpret_cast<HWND>(uintptr_t(0x777)), WM_USER, 0, 0);
    });
    EXPECT_EQ(answer, 42);
    EXPECT_FALSE(posted);
}

TEST(Kernel, ProgramResourcesAreFound) {
    sim::Device d;
    DWORD size = 0;
    WORD value = 0;
    HRSRC missing = reinterpret_cast<HRSRC>(1);
    RunInside(
        d,
        [&] {
            HRSRC found = FindResourceW(nullptr, u"HI_RES_AWARE", u"CEUX");
            size = SizeofResource(nullptr, found);
            if (const void *data = LockResource(LoadResource(nullptr, found)))
                std::memcpy(&value, data, sizeof value);
            missing = FindResourceW(nullptr, u"NOTHING", u"CEUX");
        },
        "Pointrel");
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(missing, nullptr);
}

TEST(Kernel, WindowsStackInTheirBands) {
    sim::Device d(sim::DeviceConfig{240, 320, 96, false});
    RunInside(d, [&] {
        HWND top = MakePopup(u"Top", WS_EX_TOPMOST);
        HWND plain = MakePopup(u"Plain", 0);
        HWND later = MakePopup(u"Later", 0);
        // A plain window never rises above the top-most band.
        EXPECT_EQ(GetWindow(nullptr, GW_CHILD), top);
        EXPECT_EQ(GetWindow(top, GW_HWNDNEXT), later);
        SetWindowPos(plain, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        EXPECT_EQ(GetWindow(top, GW_HWNDNEXT), plain);
        SetWindowPos(later, top, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        EXPECT_EQ(GetWindow(top, GW_HWNDNEXT), later);
        EXPECT_EQ(GetWindow(top, GW_HWNDLAST), plain);
        EXPECT_EQ(FindWindowW(u"plain", nullptr), plain);
    });
}

TEST(Kernel, OwnedWindowsStayAboveTheirOwner) {
    sim::Device d(sim::DeviceConfig{240, 320, 96, false});
    std::vector<std::vector<std::u16string>> orders;
    RunInside(d, [&] {
        auto order = [&] {
            std::vector<std::u16string> names;
            for (HWND w = GetWindow(nullptr, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
                WCHAR name[32];
                GetClassNameW(w, name, 32);
                names.push_back(name);
            }
            orders.push_back(names);
        };
        const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        HWND owner = MakePopup(u"Owner", WS_EX_TOPMOST);
        HWND owned = MakePopup(u"Owned", WS_EX_TOPMOST, owner);
        HWND other = MakePopup(u"Other", WS_EX_TOPMOST);
        // The owner rises and takes its owned window along above it.
        SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, keep);
        order();
        // Unless told not to.
        SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, keep);
        SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, keep | SWP_NOOWNERZORDER);
        order();
        // A window put after itself stays where it is.
        SetWindowPos(owned, owned, 0, 0, 0, 0, keep);
        order();
    });
    using V = std::vector<std::u16string>;
    ASSERT_EQ(orders.size(), 3u);
    EXPECT_EQ(orders[0], (V{u"Owned", u"Owner", u"Other"}));
    EXPECT_EQ(orders[1], (V{u"Owner", u"Other", u"Owned"}));
    EXPECT_EQ(orders[2], (V{u"Owner", u"Other", u"Owned"}));
}
