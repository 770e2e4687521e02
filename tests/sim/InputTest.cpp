// DeviceSim's input: hot keys with exact modifiers and releases, keys for
// the focus window, auto-repeat, and stylus routing with capture, regions
// and disabled windows.
#include "support/Devices.h"
#include "support/Win32.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace test;

namespace {

struct Received {
    std::vector<std::string> messages;
};

LRESULT CALLBACK Recorder(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto *r = static_cast<Received *>(GetPropW(hwnd, u"received"));
    std::string at = " @" + std::to_string(GetTickCount());
    if (r && msg == WM_HOTKEY)
        r->messages.push_back("hotkey " + std::to_string(wParam) + " " +
                              std::to_string(LOWORD(lParam)) + " " +
                              std::to_string(HIWORD(lParam)) + at);
    if (r && (msg == WM_KEYDOWN || msg == WM_KEYUP))
        r->messages.push_back(std::string(msg == WM_KEYDOWN ? "down " : "up ") +
                              std::to_string(wParam) + at);
    if (r && (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_MOUSEMOVE))
        r->messages.push_back(std::string(msg == WM_LBUTTONDOWN ? "press "
                                          : msg == WM_LBUTTONUP ? "lift "
                                                                : "move ") +
                              std::to_string(GET_X_LPARAM(lParam)) + "," +
                              std::to_string(GET_Y_LPARAM(lParam)));
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A process with one window that records what it receives and runs its
// message loop for `ms`, after `setUp` has run with the window.
uint32_t Listen(sim::Device &d, Received &r, sim::Rect rect, int ms,
                std::function<void(HWND)> setUp = nullptr) {
    return d.StartFunction(u"\\Temp\\listener.exe", [&r, rect, ms, setUp] {
        RegisterWindowClass(u"Listener", Recorder);
        HWND w = CreateWindowExW(0, u"Listener", u"", WS_POPUP | WS_VISIBLE, rect.left, rect.top,
                                 rect.Width(), rect.Height(), nullptr, nullptr, nullptr, nullptr);
        SetPropW(w, u"received", &r);
        if (setUp)
            setUp(w);
        PumpFor(static_cast<DWORD>(ms));
        return 0u;
    });
}

} // namespace

TEST(Input, HotKeysMatchTheExactModifiersAndReportReleases) {
    sim::Device d(NoShell());
    Received r;
    Listen(d, r, sim::Rect{0, 0, 100, 100}, 5000, [](HWND w) {
        RegisterHotKey(w, 1, MOD_KEYUP, VK_UP);
        RegisterHotKey(w, 2, MOD_SHIFT | MOD_KEYUP, VK_UP);
        RegisterHotKey(w, 3, 0, VK_DOWN);
    });
    d.Wait(10);
    auto tap = [&](int vk) {
        HoldKey(d, vk, 10);
        d.Wait(10);
    };
    tap(VK_UP);
    d.Key(VK_SHIFT, false);
    tap(VK_UP);
    d.Key(VK_SHIFT, true);
    tap(VK_DOWN); // no MOD_KEYUP: the release goes on as a key
    tap(VK_LEFT); // no hot key: the focus window gets the key
    EXPECT_EQ(r.messages, (std::vector<std::string>{
                              "hotkey 1 0 38 @10", "hotkey 1 4096 38 @20", "down 16 @30",
                              "hotkey 2 4 38 @30", "hotkey 2 4100 38 @40", "up 16 @50",
                              "hotkey 3 0 40 @50", "up 40 @60", "down 37 @70", "up 37 @80"}));
}

TEST(Input, HeldKeysRepeatAndUnreadableDirectionKeys) {
    struct Case {
        const char *what;
        int vk;
        bool unreadable;
        int repeats;
        SHORT stateWhileHeld;
    };
    const Case cases[] = {{"direction key", VK_RIGHT, false, 6, SHORT(0x8000)},
                          {"unreadable direction key", VK_RIGHT, true, 6, 0},
                          {"volume key on such a device", VK_F6, true, 6, SHORT(0x8000)}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::DeviceConfig config = NoShell();
        config.keysUnreadable = c.unreadable;
        sim::Device d(config);
        Received r;
        Listen(d, r, sim::Rect{0, 0, 100, 100}, 5000);
        d.Wait(10);
        d.Key(c.vk, false);
        d.Wait(1000); // first repeat at 500 ms, then every 100 ms
        SHORT state = -1;
        RunInside(d, [&] { state = GetAsyncKeyState(c.vk); });
        d.Key(c.vk, true);
        d.Wait(10);
        EXPECT_EQ(state, c.stateWhileHeld);
        EXPECT_EQ(r.messages.size(), 1u + static_cast<size_t>(c.repeats) + 1u);
        EXPECT_EQ(r.messages[1], "down " + std::to_string(c.vk) + " @510");
    }
}

TEST(Input, StylusGoesToTheWindowUnderIt) {
    sim::Device d(NoShell());
    Received below, above;
    Listen(d, below, sim::Rect{0, 0, 200, 200}, 5000);
    d.Wait(1);
    Listen(d, above, sim::Rect{50, 50, 100, 100}, 5000, [](HWND w) {
        // Only the left half of the upper window takes the stylus.
        SetWindowRgn(w, CreateRectRgn(0, 0, 25, 50), FALSE);
    });
    d.Wait(1);
    d.StylusDown(60, 60); // inside the region
    d.StylusUp(60, 60);
    d.StylusDown(90, 60); // outside it: the window below
    d.StylusUp(90, 60);
    d.Wait(10);
    EXPECT_EQ(above.messages, (std::vector<std::string>{"press 10,10", "lift 10,10"}));
    EXPECT_EQ(below.messages, (std::vector<std::string>{"press 90,60", "lift 90,60"}));
    // Injected input takes the same road, from normalised coordinates.
    RunInside(d, [] {
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, 15019, 12288, 0, 0); // (55, 60)
        mouse_event(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, 65535, 65535, 0, 0);
    });
    d.Wait(10);
    EXPECT_EQ(above.messages.back(), "press 5,10");
    EXPECT_EQ(below.messages.size(), 2u) << "the move to the far corner lands on no window";
}

TEST(Input, TheCaptureBelongsToItsThread) {
    sim::Device d(NoShell());
    Received holder;
    Listen(d, holder, sim::Rect{0, 0, 50, 50}, 5000, [](HWND w) { SetCapture(w); });
    d.Wait(1);
    HWND seen = reinterpret_cast<HWND>(1), taken = reinterpret_cast<HWND>(1);
    RunInside(d, [&] {
        seen = GetCapture();
        taken = SetCapture(FindWindowW(u"Listener", nullptr));
    });
    EXPECT_EQ(seen, nullptr) << "another thread's capture is not reported";
    EXPECT_EQ(taken, nullptr) << "nor can another thread's window be captured for";
    // The capture still brings the holder a tap far outside it.
    d.StylusDown(200, 200);
    d.StylusUp(200, 200);
    d.Wait(10);
    EXPECT_EQ(holder.messages, (std::vector<std::string>{"press 200,200", "lift 200,200"}));
}

TEST(Input, MessageBoxesAnswerEnterEscapeAndTaps) {
    enum Act { ENTER, ESCAPE, TAP_LAST_BUTTON, TAP_TEXT };
    struct Case {
        const char *what;
        UINT type;
        Act act;
        int result; // 0: the box stays open
    };
    const Case cases[] = {
        {"enter presses OK", MB_OK | MB_ICONHAND, ENTER, IDOK},
        {"enter presses the second default", MB_YESNO | MB_DEFBUTTON2, ENTER, IDNO},
        {"escape cancels", MB_OKCANCEL, ESCAPE, IDCANCEL},
        {"escape in a lone OK box means OK", MB_OK, ESCAPE, IDOK},
        {"escape without Cancel does nothing", MB_YESNO, ESCAPE, 0},
        {"a tap on the last button", MB_OKCANCEL, TAP_LAST_BUTTON, IDCANCEL},
        {"a tap on the text does nothing", MB_OK, TAP_TEXT, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::Device d(sim::DeviceConfig{240, 320, 96, false});
        UINT type = c.type;
        uint32_t pid = d.StartFunction(u"\\Temp\\asks.exe", [type] {
            return static_cast<uint32_t>(MessageBoxW(nullptr, u"Sure?", u"Question", type));
        });
        d.Wait(10);
        auto box = d.FindTopmost(u"Dialog");
        ASSERT_TRUE(box);
        sim::Rect r = box->rect;
        switch (c.act) {
        case ENTER:
        case ESCAPE:
            d.Key(c.act == ENTER ? VK_RETURN : VK_ESCAPE, false);
            d.Key(c.act == ENTER ? VK_RETURN : VK_ESCAPE, true);
            break;
        case TAP_LAST_BUTTON:
        case TAP_TEXT: {
            // The buttons stand in a row at the bottom right.
            int x = c.act == TAP_TEXT ? r.left + 20 : r.right - 30;
            int y = c.act == TAP_TEXT ? r.top + 40 : r.bottom - 18;
            d.StylusDown(x, y);
            d.Wait(10);
            d.StylusUp(x, y);
            break;
        }
        }
        d.Wait(10);
        EXPECT_EQ(d.ExitCode(pid), c.result ? static_cast<uint32_t>(c.result) : STILL_ACTIVE);
    }
}

TEST(Input, MessageBoxesAreTopMostOnlyWhenAsked) {
    for (UINT type : {UINT(MB_OK), UINT(MB_OK | MB_TOPMOST)}) {
        sim::Device d(sim::DeviceConfig{240, 320, 96, false});
        d.CreateScriptWindow(u"Above", u"", sim::Rect{0, 0, 240, 320}, true);
        d.StartFunction(u"\\Temp\\asks.exe", [type] {
            return static_cast<uint32_t>(MessageBoxW(nullptr, u"Sure?", u"Question", type));
        });
        d.Wait(10);
        auto order = ZOrder(d);
        ASSERT_GE(order.size(), 2u);
        EXPECT_EQ(order[0], (type & MB_TOPMOST) ? u"Dialog" : u"Above");
    }
}
